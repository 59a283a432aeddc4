#include "tests/support/png_read.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

std::vector<uint8_t> ReadPng(const std::string& path, int* width, int* height) {
  int channels = 0;
  *width = *height = 0;
  stbi_uc* pixels = stbi_load(path.c_str(), width, height, &channels, 3);
  std::vector<uint8_t> picture;
  if (pixels) picture.assign(pixels, pixels + static_cast<size_t>(*width) * *height * 3);
  stbi_image_free(pixels);
  return picture;
}
