// The scene bitmaps the import writes, in the one form the game's decoder and every paint program read.
#pragma once

#include <cstdint>
#include <string>

// The bytes of a 24-bit uncompressed Windows bitmap of width x height RGB pixels given bottom row first: a 14-byte
// file header, a 40-byte info header, then the rows bottom-up, blue, green, red, each filled to 4 bytes.
std::string BitmapFileBytes(const uint8_t* rgb, int32_t width, int32_t height);
