// The game's pictures drawn without a window: a hidden 640 x 480 OpenGL context, and its colour buffer read back.
#pragma once

#include <cstdint>
#include <vector>

// The game's picture size: 640 x 480.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct OffscreenGl;

// Makes a hidden 640 x 480 context current. Null, with the reason on standard error, when the system gives
// none; release it with OffscreenDestroy.
OffscreenGl* StartHiddenContext();

// The current context's 640 x 480 colour buffer, RGB, top row first.
std::vector<uint8_t> ReadPicture();
