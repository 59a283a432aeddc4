#include "tools/interchange/bitmap_writer.h"

namespace {

// A field of size bytes, least significant first, as every bitmap field is stored.
void PutLittleEndian(std::string* bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

std::string BitmapFileBytes(const uint8_t* rgb, int32_t width, int32_t height) {
  constexpr uint32_t kHeaders = 14 + 40;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const uint32_t pixel_bytes = static_cast<uint32_t>(stride * static_cast<size_t>(height));
  std::string bytes = "BM";
  bytes.reserve(kHeaders + pixel_bytes);
  PutLittleEndian(&bytes, kHeaders + pixel_bytes, 4);
  PutLittleEndian(&bytes, 0, 4);
  PutLittleEndian(&bytes, kHeaders, 4);
  PutLittleEndian(&bytes, 40, 4);
  PutLittleEndian(&bytes, static_cast<uint32_t>(width), 4);
  // Positive: rows bottom-up. A top-down file (a negative height) would give the game's first decoder no rows.
  PutLittleEndian(&bytes, static_cast<uint32_t>(height), 4);
  PutLittleEndian(&bytes, 1, 2);
  PutLittleEndian(&bytes, 24, 2);
  PutLittleEndian(&bytes, 0, 4);  // uncompressed
  PutLittleEndian(&bytes, pixel_bytes, 4);
  // Resolution and colours used, none.
  for (int field = 0; field < 4; ++field) PutLittleEndian(&bytes, 0, 4);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int32_t x = 0; x < width; ++x) {
      bytes.push_back(static_cast<char>(row[3 * x + 2]));
      bytes.push_back(static_cast<char>(row[3 * x + 1]));
      bytes.push_back(static_cast<char>(row[3 * x]));
    }
    bytes.append(stride - static_cast<size_t>(width) * 3, '\0');
  }
  return bytes;
}
