// Player movement and collision. Every amount is per frame.
#include "app/movement.h"

#include <cmath>
#include <iterator>

#include "app/globals.h"
#include "platform/os.h"

namespace {

// Degrees to radians, rounded to single precision; sines and cosines are taken in double precision.
constexpr float kPiOver180 = 0.0174532924f;

double Radians(float degrees) { return static_cast<double>(degrees) * static_cast<double>(kPiOver180); }

// What each box's rule does to a position strictly inside the box: one coordinate is pushed to an edge.
enum class Axis { kX, kZ };
enum class Test { kLess, kGreater, kAlways };

struct BoxPush {
  Axis axis;
  Test test;
  float threshold;
  float if_true;
  float if_false;
};

// The thresholds are not always the middle of a box: the hut's north wall splits at -3, the north structure
// holds a player at -62 inside its own range, and its east block always pushes to x = 5.
constexpr BoxPush kBoxPushes[] = {
    {Axis::kZ, Test::kLess, -3, -6, -2},     {Axis::kX, Test::kGreater, 4, 6, 2},
    {Axis::kX, Test::kLess, -4, -6, -2},     {Axis::kZ, Test::kGreater, 4, 6, 2},
    {Axis::kZ, Test::kGreater, 4, 6, 2},     {Axis::kZ, Test::kLess, 10, 8, 12},
    {Axis::kZ, Test::kLess, 10, 8, 12},      {Axis::kX, Test::kGreater, -12, -10, -14},
    {Axis::kZ, Test::kLess, -60, -62, -58},  {Axis::kX, Test::kGreater, -4, -2, -6},
    {Axis::kX, Test::kAlways, 0, 5, 5},
};
static_assert(std::size(kBoxPushes) == std::size(kCollisionBoxes), "one push per collision box");

void AdvanceBob() { g_game.walk_bias = static_cast<float>(std::sin(Radians(g_game.walk_bias_angle)) / 20.0); }

}  // namespace

void ApplyMouseLook() {
  OsGetCursorPos(&g_game.cursor_pos);
  if (g_game.mouse_look != 1) return;
  OsSetCursorPos(320, 240);
  // The offsets use the position read before the re-centring.
  g_game.heading += static_cast<float>(320 - g_game.cursor_pos.x) / 100 * 5;
  g_game.view_yaw = g_game.heading;
  g_game.look_pitch -= static_cast<float>(240 - g_game.cursor_pos.y) / 100 * 5;
}

void ClampPlayerPosition() {
  float& x = g_game.player_x;
  float& z = g_game.player_z;
  if (z < kWalkableRect.z_min) z = kWalkableRect.z_min;
  if (z > kWalkableRect.z_max) z = kWalkableRect.z_max;
  if (x < kWalkableRect.x_min) x = kWalkableRect.x_min;
  if (x > kWalkableRect.x_max) x = kWalkableRect.x_max;
  for (size_t i = 0; i < std::size(kCollisionBoxes); ++i) {
    const CollisionRect& box = kCollisionBoxes[i];
    const BoxPush& push = kBoxPushes[i];
    if (!(x > box.x_min && x < box.x_max && z > box.z_min && z < box.z_max)) continue;
    float& coordinate = push.axis == Axis::kX ? x : z;
    bool result = push.test == Test::kAlways ||
                  (push.test == Test::kLess ? coordinate < push.threshold : coordinate > push.threshold);
    coordinate = result ? push.if_true : push.if_false;
  }
}

void ApplyMovementKeys() {
  const uint8_t* key = g_game.key_down;
  if (key[kVkLeft]) g_game.heading += 5;
  if (key[kVkRight]) g_game.heading -= 5;
  if (key[kVkUp]) {
    double heading = Radians(g_game.heading);
    g_game.player_x = static_cast<float>(g_game.player_x - std::sin(heading) * 0.5);
    g_game.player_z = static_cast<float>(g_game.player_z - std::cos(heading) * 0.5);
    if (g_game.walk_bias_angle >= 359) {
      g_game.walk_bias_angle = 0;
    } else {
      g_game.walk_bias_angle += 10;
    }
    AdvanceBob();
  }
  if (key[kVkDown]) {
    double heading = Radians(g_game.heading);
    g_game.player_x = static_cast<float>(g_game.player_x + std::sin(heading) * 0.5);
    g_game.player_z = static_cast<float>(g_game.player_z + std::cos(heading) * 0.5);
    if (g_game.walk_bias_angle <= 1) {
      g_game.walk_bias_angle = 359;
    } else {
      g_game.walk_bias_angle -= 10;
    }
    AdvanceBob();
  }
}
