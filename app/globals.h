// All game-wide state, in one record grouped by the part of the game that keeps it.
#pragma once

#include <cstdint>

#include "app/frame_timer.h"
#include "platform/os.h"
#include "scene/textures.h"
#include "scene/world.h"

class Ms3dModel;

struct GameGlobals {
  // Main loop and game states.
  int32_t screen_stage = 1;
  int32_t mouse_look = 1;
  bool fullscreen = true;
  int32_t frame_step_ms = 10;
  int32_t frame_divider = 0;
  int32_t cycle_tick = 1;
  Ms3dModel* model = nullptr;

  // Player movement.
  float player_x = 0;
  float player_z = 0;
  float heading = 0;
  float view_yaw = 0;
  float look_pitch = 0;
  float walk_bias = 0;
  float walk_bias_angle = 0;
  OsPoint cursor_pos = {0, 0};

  // Frame timer.
  FrameTimer timer = {};

  // Window and rendering context.
  OsInstance instance_handle = nullptr;
  OsWindow window_handle = nullptr;
  OsDeviceContext device_context = nullptr;
  OsGlContext render_context = nullptr;
  bool window_active = true;
  uint8_t key_down[256] = {};
  OsPixelFormat pixel_format = {sizeof(OsPixelFormat), 1, kPfdDrawToWindow | kPfdSupportOpenGl | kPfdDoubleBuffer,
                                kPfdTypeRgba};
  bool pixel_format_complete = false;

  // World and scene.
  World world = {};
  TextureTable textures = {};
};

extern GameGlobals g_game;

// Puts every field back to its value at program start. Releases the world's triangles; the model object is
// left to its owner.
void ResetGameGlobals();
