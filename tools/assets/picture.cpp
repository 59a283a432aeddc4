#include "tools/assets/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <stb_image_write.h>

#include "app/globals.h"
#include "platform/gl.h"
#include "platform/offscreen.h"
#include "platform/scripted/scripted.h"
#include "scene/day_cycle.h"

OffscreenGl* StartHiddenContext() {
  OffscreenGl* gl = OffscreenCreate(kPictureWidth, kPictureHeight);
  if (!gl || !OffscreenMakeCurrent(gl)) {
    fprintf(stderr, "gorvane-assets: this system gives no hidden OpenGL context to draw into\n");
    OffscreenDestroy(gl);
    return nullptr;
  }
  return gl;
}

void SettleCycle(int tick) {
  for (int earlier = 1; earlier < tick; earlier++) {
    g_game.cycle_tick = earlier;
    glColor3f(1.0f, 1.0f, 1.0f);
    AdvanceCycle();
    ApplySkyColour();
  }
  g_game.cycle_tick = tick;
}

std::vector<uint8_t> ReadPicture() {
  std::vector<uint8_t> rows(static_cast<size_t>(kPictureWidth) * kPictureHeight * 3);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kPictureWidth, kPictureHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  // OpenGL hands rows bottom-up; pictures are stored top row first.
  std::vector<uint8_t> picture(rows.size());
  const size_t stride = static_cast<size_t>(kPictureWidth) * 3;
  for (int y = 0; y < kPictureHeight; y++) {
    std::copy_n(rows.data() + (kPictureHeight - 1 - y) * stride, stride, picture.data() + y * stride);
  }
  return picture;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

std::string PngBytes(const std::vector<uint8_t>& rgb, int width, int height) {
  std::string bytes;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
  };
  stbi_write_png_to_func(append, &bytes, width, height, 3, rgb.data(), width * 3);
  return bytes;
}

std::string AbsolutePath(const char* path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string(path) : absolute.string();
}

void PrintMessageBoxesSince(size_t first) {
  const auto& boxes = Scripted().message_boxes;
  for (size_t i = first; i < boxes.size(); i++) {
    const std::string& text = boxes[i].text;
    fprintf(stderr, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
  }
}

bool ParseFloatList(const char* text, int least, int most, float* values, int* count) {
  int n = 0;
  const char* p = text;
  while (true) {
    if (n == most) return false;
    char* end = nullptr;
    float value = strtof(p, &end);
    if (end == p || !std::isfinite(value)) return false;
    values[n++] = value;
    if (*end == '\0') break;
    if (*end != ',') return false;
    p = end + 1;
  }
  if (n < least) return false;
  *count = n;
  return true;
}
