// Decoding Windows bitmap files into RGB images.
#pragma once

#include <cstddef>
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

// Decodes a bitmap file already in memory (size bytes at bytes, which may be null when size is 0). name is
// only used in the open-failure message, which an empty file gets. Shows exactly one message box on failure.
ImageRGB* DecodeDibBytes(const uint8_t* bytes, size_t size, const char* name);
// Decodes a bitmap file in memory as DecodeDibBytes does but shows nothing, for the tools: none, with the text
// of the message the game would show in *failure, when it does not decode.
ImageRGB* DecodeDibBytesSilently(const uint8_t* bytes, size_t size, const char** failure);

// The instructions the decoder may use: its plain loops only, those and SSSE3, or the best the processor has
// (the default). Every choice gives the same pixels; the tests and the fuzz target decode with each and compare.
// Where the build has no vector code (anything but x86-64 Linux) all three run the plain loops.
enum class DibInstructions { kPlain, kSsse3, kBest };
void SetDibInstructions(DibInstructions allowed);

// The compressions an info header may name.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// The largest image the decoder makes, in pixels: 4096 x 4096 (48 MB of RGB).
constexpr uint64_t kMaxDibPixels = uint64_t{1} << 24;

// The failure texts, as the player sees them in the "Error" box.
extern const char kDibOutOfMemoryText[];       // "Out of memory."
extern const char kDibUnknownFormatText[];     // "Unknown DIB file format."
extern const char kDibConversionErrorText[];   // "Image file conversion error."

// What the decoder reads from a bitmap's headers before it converts the pixels: the working info header (a
// core header widened to it, the image-size and colours-used defaults filled in), where the colour table and
// the pixels lie, and the channel masks of 16- and 32-bit pixels.
struct DibHeader {
  uint32_t header_size;  // 12 or 40, as the file gives it
  int32_t width;
  int32_t height;  // negative: rows stored top row first
  uint16_t planes;
  uint16_t bits_per_pixel;
  uint32_t compression;
  uint64_t image_size;  // from the file, or (width * bits per pixel + 7) / 8 * |height| when the file gives 0
  int32_t x_pixels_per_metre;
  int32_t y_pixels_per_metre;
  uint32_t colours_used;  // from the file, or the colour count when the file gives 0
  uint32_t colours_important;
  uint32_t colour_count;   // entries in the colour table
  size_t colour_table_offset;  // from the start of the file
  size_t colour_entry_size;    // 3 (core) or 4 (info)
  size_t pixel_offset;         // from the start of the file
  uint32_t masks[3];           // red, green, blue
};

// Reads and checks the headers of the bitmap in memory. Returns null on success, else the text of the message
// the decoder shows for the fault (shows nothing itself).
const char* ReadDibHeader(const uint8_t* bytes, size_t size, DibHeader* header);
