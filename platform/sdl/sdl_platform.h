// What the SDL backend offers beyond os.h, for its tests.
#pragma once

#include <SDL.h>

#include "platform/os.h"

// The SDL window behind a game window; null until the window's pixel format is set.
SDL_Window* SdlWindowOf(OsWindow window);

// True while the pointer is held in relative mode, standing in for the pointer moves the desktop refuses.
bool SdlPointerCaptured();

// What SDL is asked to show for a message box of the given style: its flags and its buttons, in the order shown.
struct SdlMessageBoxLayout {
  Uint32 flags;
  int button_count;
  SDL_MessageBoxButtonData buttons[2];
};
SdlMessageBoxLayout SdlMessageBoxFor(uint32_t style);

// What SDL is asked for by a pixel format: bits per colour channel, alpha, depth and stencil bits, and double
// buffering.
struct SdlGlAttributes {
  int channel_bits, alpha_bits, depth_bits, stencil_bits;
  bool double_buffer;
};
SdlGlAttributes SdlGlAttributesFor(const OsPixelFormat& request);
