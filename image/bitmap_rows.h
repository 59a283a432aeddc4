// Row converters of the bitmap decoder that use the processor's vector instructions, for the depths where they
// pay. Each gives exactly the bytes of the plain loop in bitmap.cpp, reads only the row's own pixel bytes and
// writes only the row's own output bytes.
#pragma once

#include <cstdint>

#include "image/bitmap.h"

// Blue, green, red (and at 32 bits an unused byte) per source pixel to red, green, blue.
using DibBgrRow = void (*)(const uint8_t* in, int32_t width, uint8_t* out);

// The fastest converter for 3- or 4-byte pixels that the processor runs within what is allowed, or null where
// the build, the processor or the allowance gives none (then the plain loop runs).
DibBgrRow VectorBgrRow(int bytes_per_pixel, DibInstructions allowed);
