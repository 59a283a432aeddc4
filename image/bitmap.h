// Decoding Windows bitmap files into RGB images.
#pragma once

#include <cstdint>

// width x height pixels of red, green, blue bytes, rows tightly packed, bottom row first. The record and its
// pixel block are malloc'd; the owner frees data first, then the record.
struct ImageRGB {
  int32_t width;
  int32_t height;
  uint8_t* data;
};

// Decodes the named bitmap file; none (and no message) when there is no name or the file does not open.
ImageRGB* LoadBitmapFile(const char* name);
// Decodes the named bitmap file; on failure shows exactly one message box and returns none.
ImageRGB* DecodeDib(const char* name);
// Frees the pixel block, then the record. Accepts none.
void FreeImage(ImageRGB* image);
