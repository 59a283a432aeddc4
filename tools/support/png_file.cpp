#include "tools/support/png_file.h"

#include <stb_image_write.h>

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}
