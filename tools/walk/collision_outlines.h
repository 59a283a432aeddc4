// The player's fixed collision drawn into the world, for the preview: the walkable rectangle and the eleven
// boxes as outlines.
#pragma once

// Draws the outlines with the camera the frame was drawn with, through the band where walls block the eye;
// leaves the colour, texturing and fog as it found them.
void DrawCollisionOutlines();
