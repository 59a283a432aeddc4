#include "tools/support/png_file.h"

#include <stb_image_write.h>

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
