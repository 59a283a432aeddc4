// Mouse look, the arrow keys and the clamp rules that keep the player in the walkable area.
#pragma once

// Reads the cursor and, while mouse look is on, turns and tilts the view and re-centres the cursor.
void ApplyMouseLook();
// Pushes the position back inside the outer rectangle and out of the eleven boxes.
void ClampPlayerPosition();
// Turns and walks by the arrow keys held, with the head bob.
void ApplyMovementKeys();
