// Reading back what the scripted backend's offscreen context drew.
#include <cstdint>
#include <vector>

#include "platform/gl.h"
#include "platform/offscreen.h"
#include "platform/scripted/scripted.h"

std::vector<uint8_t> ScriptedReadFrame(int* width, int* height) {
  int w = 0, h = 0;
  if (!OffscreenCurrentSize(&w, &h)) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    w = viewport[2];
    h = viewport[3];
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
  if (!pixels.empty()) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  }
  if (width) *width = w;
  if (height) *height = h;
  return pixels;
}

uint32_t ScriptedReadPixel(int x, int y) {
  uint8_t rgb[3] = {0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
}
