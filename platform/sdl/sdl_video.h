// Starting SDL's video, shared by the game's SDL backend and the preview window: one check that a display is
// really there, and one way to ask for a pixel format.
#pragma once

// Starts SDL's video subsystem. False, with the reason on standard error after `who` (for example "gorvane"),
// when it cannot start, or when it could start only a driver that shows nothing: without a display SDL quietly
// falls back to such drivers, which are used only when asked for by name (SDL_VIDEODRIVER, as the tests do).
bool SdlStartVideo(const char* who);

// Asks the next window's OpenGL context for these bits per colour channel, alpha, depth and stencil.
void SdlAskPixelFormat(int channel_bits, int alpha_bits, int depth_bits, int stencil_bits, bool double_buffer);
