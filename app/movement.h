// Mouse look, the arrow keys and the clamp rules that keep the player in the walkable area.
#pragma once

// A rectangle on the ground plane, in world units. The clamp rules compare strictly, so a position exactly on
// a bound is left alone.
struct CollisionRect {
  float x_min, x_max, z_min, z_max;
};

// The walkable area: the rectangle the player is held inside, and the eleven boxes, in rule order, the player
// is pushed out of. The level is built on them; the asset tool and the data tests check levels against them.
inline constexpr CollisionRect kWalkableRect = {-18, 18, -68, 18};
inline constexpr CollisionRect kCollisionBoxes[11] = {
    {-4, 4, -6, -2},   {2, 6, -4, 4},      {-6, -2, -4, 4},     {-4, 1, 2, 6},      {2, 4, 2, 6},    {-20, -17, 8, 12},
    {-16, -12, 8, 12}, {-14, -10, 10, 20}, {-4, 3, -70, -58}, {-6, -2, -70, -58}, {1, 5, -70, -58},
};

// Reads the cursor and, while mouse look is on, turns and tilts the view and re-centres the cursor.
void ApplyMouseLook();
// Pushes the position back inside the outer rectangle and out of the eleven boxes.
void ClampPlayerPosition();
// Turns and walks by the arrow keys held, with the head bob.
void ApplyMovementKeys();
