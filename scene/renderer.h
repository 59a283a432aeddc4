// Draws one frame: the title screen, or the world in play.
#pragma once

// Draws the frame into the back buffer; always true.
bool DrawScene();
