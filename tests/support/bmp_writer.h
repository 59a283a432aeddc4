// Windows bitmap files written byte by byte from the file layout, for the tests and the benchmarks: headers and
// colour tables by hand, whole 24-bit pictures, and edits of files other encoders wrote.
#pragma once

#include <cstdint>
#include <string>

#include "image/bitmap.h"

namespace bmp {

// Little-endian bytes, as every bitmap field is stored.
class Bytes {
 public:
  Bytes& U8(uint32_t v) {
    s_.push_back(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  Bytes& Raw(const std::string& bytes) {
    s_ += bytes;
    return *this;
  }
  Bytes& Bgr(uint32_t rgb) { return U8(rgb).U8(rgb >> 8).U8(rgb >> 16); }
  Bytes& Bgr0(uint32_t rgb) { return Bgr(rgb).U8(0); }
  const std::string& str() const { return s_; }
  size_t size() const { return s_.size(); }

 private:
  std::string s_;
};

// A 40-byte info header.
inline std::string InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = kBiRgb,
                              uint32_t colours_used = 0, uint32_t image_size = 0) {
  return Bytes()
      .U32(40)
      .I32(width)
      .I32(height)
      .U16(1)
      .U16(bits)
      .U32(compression)
      .U32(image_size)
      .I32(2835)
      .I32(2835)
      .U32(colours_used)
      .U32(0)
      .str();
}

// A 12-byte core header.
inline std::string CoreHeader(uint16_t width, uint16_t height, uint16_t bits) {
  return Bytes().U32(12).U16(width).U16(height).U16(1).U16(bits).str();
}

// A whole file: "BM" header pointing right after the image header and colour table, then the pixels.
inline std::string WithFileHeader(const std::string& header_and_table, const std::string& pixels) {
  uint32_t offset = static_cast<uint32_t>(14 + header_and_table.size());
  return Bytes().U8('B').U8('M').U32(offset + pixels.size()).U32(0).U32(offset).str() + header_and_table + pixels;
}

// A 24-bit picture with a file header and an info header, one colour (0xRRGGBB) in each quadrant: bottom left,
// bottom right, top left, top right, so that a picture turned upside down or mirrored shows.
inline std::string QuadrantPicture(int width, int height, const uint32_t (&quadrants)[4]) {
  const int row = (width * 3 + 3) / 4 * 4;
  Bytes pixels;
  // Rows are stored bottom-up.
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) pixels.Bgr(quadrants[(y >= height / 2) * 2 + (x >= width / 2)]);
    for (int fill = width * 3; fill < row; fill++) pixels.U8(0);
  }
  return WithFileHeader(InfoHeader(width, height, 24, kBiRgb, 0, static_cast<uint32_t>(row * height)), pixels.str());
}

// A 24-bit picture of one colour (0xRRGGBB).
inline std::string SolidPicture(int width, int height, uint32_t rgb) {
  return QuadrantPicture(width, height, {rgb, rgb, rgb, rgb});
}

inline uint32_t ReadU32(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; i--) v = v << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return v;
}

inline void PutU32(std::string* bytes, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; i++) (*bytes)[offset + i] = static_cast<char>(v >> (8 * i));
}

// ImageMagick writes 16- and 32-bit pixels only under a 124-byte header, which the game refuses. This rewrites
// such a file with a 40-byte info header: BI_BITFIELDS with the file's three masks after it, or BI_RGB with none.
inline std::string InfoFromV5(const std::string& file, bool bitfields) {
  std::string info = file.substr(14, 40);
  PutU32(&info, 0, 40);
  std::string masks;
  if (bitfields) {
    masks = file.substr(54, 12);
  } else {
    PutU32(&info, 16, kBiRgb);
  }
  return WithFileHeader(info + masks, file.substr(ReadU32(file, 10)));
}

}  // namespace bmp
