// Bitmap decoding. (Placeholder until the decoder lands: every load fails silently.)
#include "image/bitmap.h"

#include <cstdlib>

ImageRGB* LoadBitmapFile(const char*) { return nullptr; }

ImageRGB* DecodeDib(const char*) { return nullptr; }

void FreeImage(ImageRGB* image) {
  if (!image) return;
  free(image->data);
  free(image);
}
