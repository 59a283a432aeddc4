// gorvane-assets bmp FILE [--ppm OUT]: decodes a bitmap with the game's own decoder and prints its size, or
// the message the game would show for it. With --ppm, also writes the picture as a binary PPM, top row first.
#include <cstdio>
#include <cstring>
#include <string>

#include "image/bitmap.h"
#include "platform/scripted/scripted.h"
#include "tools/assets/commands.h"

namespace {

int BmpUsage() {
  fprintf(stderr, "usage: gorvane-assets bmp FILE [--ppm OUT]\n");
  return 2;
}

bool WritePpm(const ImageRGB& image, const char* path) {
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  bool ok = fprintf(file, "P6\n%d %d\n255\n", image.width, image.height) > 0;
  const size_t row_bytes = static_cast<size_t>(image.width) * 3;
  // The image is stored bottom row first; PPM wants the top row first.
  for (int32_t row = image.height - 1; ok && row >= 0; row--) {
    ok = fwrite(image.data + static_cast<size_t>(row) * row_bytes, 1, row_bytes, file) == row_bytes;
  }
  return fclose(file) == 0 && ok;
}

}  // namespace

int RunBmpCommand(int argc, char** argv) {
  const char* ppm_path = nullptr;
  if (argc == 3 && strcmp(argv[1], "--ppm") == 0) {
    ppm_path = argv[2];
  } else if (argc != 1) {
    return BmpUsage();
  }
  const char* file_name = argv[0];
  if (file_name[0] == '-' || (ppm_path && ppm_path[0] == '\0')) return BmpUsage();

  size_t boxes_before = Scripted().message_boxes.size();
  ImageRGB* image = LoadBitmapFile(file_name);
  if (!image) {
    const auto& boxes = Scripted().message_boxes;
    if (boxes.size() == boxes_before) {
      // The game says nothing about a file that is not there; a level maker wants to know.
      fprintf(stderr, "gorvane-assets: %s: cannot open the file\n", file_name);
    }
    for (size_t i = boxes_before; i < boxes.size(); i++) {
      const std::string& text = boxes[i].text;
      fprintf(stderr, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
    }
    return 1;
  }
  printf("{\"width\": %d, \"height\": %d}\n", image->width, image->height);
  int exit_code = 0;
  if (ppm_path && !WritePpm(*image, ppm_path)) {
    fprintf(stderr, "gorvane-assets: %s: cannot write the file\n", ppm_path);
    exit_code = 1;
  }
  FreeImage(image);
  return exit_code;
}
