// gorvane-assets bmp FILE [--ppm OUT]: decodes a bitmap with the game's own decoder and prints its size, or
// the message the game would show for it. With --ppm, also writes the picture as a binary PPM, top row first.
#include <cstdio>
#include <cstring>

#include "image/bitmap.h"
#include "tools/commands/commands.h"
#include "tools/support/messages.h"

namespace {

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
    return CommandUsage("bmp");
  }
  const char* file_name = argv[0];
  if (file_name[0] == '-' || (ppm_path && ppm_path[0] == '\0')) return CommandUsage("bmp");

  ImageRGB* image = LoadBitmapFile(file_name);
  if (!image) {
    // The game says nothing about a file that is not there; a level maker wants to know.
    if (PrintShownMessages() == 0) fprintf(stderr, "gorvane-assets: %s: cannot open the file\n", file_name);
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
