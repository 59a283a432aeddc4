// Bitmap decoding: the whole file is read into memory, every field is checked against what the file holds
// before it is used, and the pixels of any supported depth and encoding are converted straight into the
// bottom-up RGB rows of the result.
#include "image/bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bitmap_rows.h"
#include "platform/os.h"

const char kDibOutOfMemoryText[] = "Out of memory.";
const char kDibUnknownFormatText[] = "Unknown DIB file format.";
const char kDibConversionErrorText[] = "Image file conversion error.";

namespace {

DibInstructions g_instructions = DibInstructions::kBest;

constexpr uint16_t kFileHeaderMagic = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

// Every read of the file's bytes goes through here. A read that would pass the end fails and reads nothing.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t position() const { return position_; }
  size_t remaining() const { return size_ - position_; }

  bool Seek(size_t position) {
    if (position > size_) return false;
    position_ = position;
    return true;
  }
  // n bytes in place, the cursor moved past them; null when fewer remain.
  const uint8_t* Take(size_t n) {
    if (n > remaining()) return nullptr;
    const uint8_t* bytes = data_ + position_;
    position_ += n;
    return bytes;
  }
  bool U8(uint8_t* value) {
    const uint8_t* bytes = Take(1);
    if (!bytes) return false;
    *value = bytes[0];
    return true;
  }
  bool U16(uint16_t* value) {
    const uint8_t* bytes = Take(2);
    if (!bytes) return false;
    *value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
  }
  bool U32(uint32_t* value) {
    const uint8_t* bytes = Take(4);
    if (!bytes) return false;
    *value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
  }
  bool I32(int32_t* value) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    *value = static_cast<int32_t>(bits);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// The colour table's entry count for a depth when the header does not give one.
uint32_t DefaultColourCount(uint16_t bits_per_pixel) {
  switch (bits_per_pixel) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

void ShowDibError(const char* text) { OsShowMessageBox(OsGetFocus(), text, "Error", kMbOk); }

// One colour per possible index, 4 bytes each (red, green, blue, 0) so that a pixel can be stored with one
// 4-byte copy. Indices past the file's colour table stay black.
struct Palette {
  uint8_t entries[256][4];
};

void BuildPalette(const uint8_t* bytes, const DibHeader& header, Palette* palette) {
  memset(palette, 0, sizeof *palette);
  uint32_t count = header.colour_count < 256 ? header.colour_count : 256;
  const uint8_t* entry = bytes + header.colour_table_offset;
  for (uint32_t i = 0; i < count; i++, entry += header.colour_entry_size) {
    palette->entries[i][0] = entry[2];
    palette->entries[i][1] = entry[1];
    palette->entries[i][2] = entry[0];
  }
}

// Stores one palette colour at out and returns the next pixel's place. Copies 4 bytes: the caller leaves room
// for the spare byte, which the next pixel overwrites.
inline uint8_t* PutWide(uint8_t* out, const uint8_t* colour) {
  memcpy(out, colour, 4);
  return out + 3;
}

inline uint8_t* Put(uint8_t* out, const uint8_t* colour) {
  out[0] = colour[0];
  out[1] = colour[1];
  out[2] = colour[2];
  return out + 3;
}

// The palette, and at 1 and 4 bits the colours of every possible source byte (the 8 or 2 pixels it holds, as
// RGB bytes), so that those rows are converted a byte at a time.
struct IndexedColours {
  Palette palette;
  int bits;
  uint8_t byte_colours[256][24];
};

void BuildIndexedColours(const uint8_t* bytes, const DibHeader& header, int bits, IndexedColours* colours) {
  BuildPalette(bytes, header, &colours->palette);
  colours->bits = bits;
  if (bits != 1 && bits != 4) return;
  const int per_byte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (unsigned value = 0; value < 256; value++) {
    uint8_t* out = colours->byte_colours[value];
    for (int i = 0; i < per_byte; i++) out = Put(out, colours->palette.entries[(value >> (8 - bits * (i + 1))) & mask]);
  }
}

// Indexed rows: 1, 4 or 8 bits per pixel, the most significant bits of each byte first.
void ConvertIndexedRow(const uint8_t* in, int32_t width, const IndexedColours& colours, uint8_t* out) {
  if (width <= 0) return;
  const int bits = colours.bits;
  const Palette& palette = colours.palette;
  int32_t x = 0;
  if (bits == 8) {
    for (; x < width - 1; x++) out = PutWide(out, palette.entries[in[x]]);
    Put(out, palette.entries[in[x]]);
    return;
  }
  const int per_byte = 8 / bits;
  // Whole source bytes first, then the pixels of a last, partly used byte one by one.
  const int32_t whole = width / per_byte;
  if (bits == 1) {
    for (int32_t i = 0; i < whole; i++, out += 24) memcpy(out, colours.byte_colours[in[i]], 24);
  } else {
    for (int32_t i = 0; i < whole; i++, out += 6) memcpy(out, colours.byte_colours[in[i]], 6);
  }
  const unsigned mask = (1u << bits) - 1;
  for (x = whole * per_byte; x < width; x++) {
    int shift = 8 - bits * (x % per_byte + 1);
    out = Put(out, palette.entries[(in[x / per_byte] >> shift) & mask]);
  }
}

void ConvertBgrRow(const uint8_t* in, int32_t width, size_t in_step, uint8_t* out) {
  for (int32_t x = 0; x < width; x++, in += in_step, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

// One colour channel of a 16- or 32-bit pixel: its mask's bits shifted down to at most 8, then widened to 8
// by repeating them.
struct Channel {
  uint32_t mask;
  int shift;
  uint8_t widen[256];
};

int CountTrailingZeros(uint32_t value) {
  int n = 0;
  while (!(value & 1)) {
    value >>= 1;
    n++;
  }
  return n;
}

int CountOnes(uint32_t value) {
  int n = 0;
  for (; value; value &= value - 1) n++;
  return n;
}

bool MakeChannel(uint32_t mask, Channel* channel) {
  channel->mask = mask;
  channel->shift = 0;
  memset(channel->widen, 0, sizeof channel->widen);
  if (mask == 0) return true;
  int low = CountTrailingZeros(mask);
  int bits = CountOnes(mask);
  // The bits of a channel must lie together.
  if (bits < 32 && (mask >> low) != (1u << bits) - 1) return false;
  if (bits == 32 && mask != 0xFFFFFFFFu) return false;
  int kept = bits > 8 ? 8 : bits;
  channel->shift = low + (bits - kept);
  for (uint32_t value = 0; value < (1u << kept); value++) {
    uint32_t wide = value << (8 - kept);
    for (int filled = kept; filled < 8; filled *= 2) wide |= wide >> filled;
    channel->widen[value] = static_cast<uint8_t>(wide);
  }
  return true;
}

inline uint8_t Extract(const Channel& channel, uint32_t pixel) {
  return channel.widen[((pixel & channel.mask) >> channel.shift) & 0xFF];
}

void ConvertMaskedRow(const uint8_t* in, int32_t width, int bytes_per_pixel, const Channel* channels, uint8_t* out) {
  for (int32_t x = 0; x < width; x++, out += 3) {
    uint32_t pixel;
    if (bytes_per_pixel == 2) {
      pixel = in[0] | in[1] << 8;
      in += 2;
    } else {
      pixel = in[0] | in[1] << 8 | in[2] << 16 | static_cast<uint32_t>(in[3]) << 24;
      in += 4;
    }
    out[0] = Extract(channels[0], pixel);
    out[1] = Extract(channels[1], pixel);
    out[2] = Extract(channels[2], pixel);
  }
}

const char* DecodeUncompressed(const uint8_t* bytes, size_t size, const DibHeader& header, uint8_t* out) {
  const int32_t width = header.width;
  const uint64_t rows = header.height < 0 ? -static_cast<int64_t>(header.height) : header.height;
  const int bits = header.bits_per_pixel;
  const uint64_t row_bytes = (static_cast<uint64_t>(width) * bits + 7) / 8;
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t out_stride = static_cast<uint64_t>(width) * 3;
  // The last row need not carry its fill.
  ByteCursor cursor(bytes, size);
  if (!cursor.Seek(header.pixel_offset)) return kDibConversionErrorText;
  const uint64_t needed = (rows - 1) * stride + row_bytes;
  if (needed > cursor.remaining()) return kDibConversionErrorText;
  const uint8_t* first_row = cursor.Take(static_cast<size_t>(needed));

  IndexedColours colours;
  Channel channels[3];
  bool plain_bgr = false;
  if (bits <= 8) {
    BuildIndexedColours(bytes, header, bits, &colours);
  } else if (bits == 16 || bits == 32) {
    uint32_t defaults[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bits == 16) {
      defaults[0] = 0x7C00;
      defaults[1] = 0x03E0;
      defaults[2] = 0x001F;
    }
    const uint32_t* masks = header.compression == kBiBitfields ? header.masks : defaults;
    for (int c = 0; c < 3; c++) {
      uint32_t mask = bits == 16 ? masks[c] & 0xFFFF : masks[c];
      if (!MakeChannel(mask, &channels[c])) return kDibConversionErrorText;
    }
    plain_bgr = bits == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
  }
  const DibBgrRow vector_row = bits == 24 || plain_bgr ? VectorBgrRow(bits / 8, g_instructions) : nullptr;

  for (uint64_t row = 0; row < rows; row++) {
    const uint8_t* in = first_row + row * stride;
    // Top-down files are turned over so that the result is bottom row first like every other.
    uint64_t out_row = header.height < 0 ? rows - 1 - row : row;
    uint8_t* line = out + out_row * out_stride;
    if (bits <= 8) {
      ConvertIndexedRow(in, width, colours, line);
    } else if (vector_row) {
      vector_row(in, width, line);
    } else if (bits == 24) {
      ConvertBgrRow(in, width, 3, line);
    } else if (plain_bgr) {
      ConvertBgrRow(in, width, 4, line);
    } else {
      ConvertMaskedRow(in, width, bits / 8, channels, line);
    }
  }
  return nullptr;
}

// The pixels of each possible run-length code value, which alternate between two colours (one at 8 bits), as
// 16 bytes of RGB: five pixels and the first byte of a sixth, so that a short run is stored with one copy.
struct RunPatterns {
  uint8_t bytes[256][16];
};

void BuildRunPatterns(const Palette& palette, bool four, RunPatterns* patterns) {
  for (unsigned value = 0; value < 256; value++) {
    const uint8_t* pair[2] = {palette.entries[four ? value >> 4 : value], palette.entries[four ? value & 0x0F : value]};
    for (int i = 0; i < 16; i++) patterns->bytes[value][i] = pair[(i / 3) & 1][i % 3];
  }
}

// Run-length encoded pixels (8 or 4 bits), always bottom row first. Pixels the codes never reach are black: the
// codes only ever move forward through the rows, so each stretch they skip is zeroed when the next write lies
// past it, and what is left at the end. Codes may cover a row's fill, as some writers encode the stored row
// whole; what lies past the width is dropped. A code that runs past the stored row or past the image, or data
// that ends before the picture does, fails the decoding. Without kWrite, only checks the codes.
template <bool kWrite>
const char* DecodeRunLength(const uint8_t* bytes, size_t size, const DibHeader& header, uint8_t* out) {
  const bool four = header.compression == kBiRle4;
  const int64_t width = header.width;
  const int64_t height = header.height;
  const int64_t stored_width = four ? (width * 4 + 31) / 32 * 8 : (width + 3) / 4 * 4;
  IndexedColours colours;
  RunPatterns patterns;
  uint8_t* const end = kWrite ? out + static_cast<uint64_t>(width) * height * 3 : nullptr;
  // Bytes before this one are written or zeroed.
  uint8_t* done = out;
  if (kWrite) {
    BuildIndexedColours(bytes, header, four ? 4 : 8, &colours);
    BuildRunPatterns(colours.palette, four, &patterns);
  }
  auto finish = [&]() -> const char* {
    if (kWrite) memset(done, 0, end - done);
    return nullptr;
  };
  ByteCursor cursor(bytes, size);
  if (!cursor.Seek(header.pixel_offset)) return kDibConversionErrorText;
  int64_t x = 0;
  int64_t y = 0;
  uint8_t* row = out;
  for (;;) {
    const uint8_t* code = cursor.Take(2);
    if (!code) {
      // Some writers stop after the last row's end-of-line code.
      return y >= height ? finish() : kDibConversionErrorText;
    }
    const uint8_t count = code[0];
    const uint8_t value = code[1];
    if (count > 0) {
      if (y >= height || x + count > stored_width) return kDibConversionErrorText;
      // Only a pixel inside the image is addressed: past the right edge there is nothing to point at.
      if (kWrite && x < width) {
        uint8_t* start = row + x * 3;
        uint8_t* stop = start + (x + count > width ? width - x : count) * 3;
        if (start > done) memset(done, 0, start - done);
        const uint8_t* pattern = patterns.bytes[value];
        // 16-byte copies while they stay inside the block, each moving on by four pixels, which keeps the two
        // colours in step; what they store past the run is overwritten or zeroed later.
        uint8_t* pixel = start;
        while (end - pixel >= 16) {
          memcpy(pixel, pattern, 16);
          if (stop - pixel <= 15) {
            pixel = stop;
            break;
          }
          pixel += 12;
        }
        for (; pixel < stop; pixel += 3) memcpy(pixel, pattern + ((pixel - start) / 3 & 1) * 3, 3);
        done = stop;
      }
      x += count;
      continue;
    }
    if (value == 0) {
      if (y >= height) return kDibConversionErrorText;
      x = 0;
      y++;
      if (kWrite) row += width * 3;
    } else if (value == 1) {
      return finish();
    } else if (value == 2) {
      uint8_t dx;
      uint8_t dy;
      if (!cursor.U8(&dx) || !cursor.U8(&dy)) return kDibConversionErrorText;
      x += dx;
      y += dy;
      if (x > stored_width || y > height) return kDibConversionErrorText;
      row = kWrite ? out + y * width * 3 : nullptr;
    } else {
      // An absolute run of value pixels, padded to a 16-bit boundary.
      size_t data_bytes = four ? (value + 1u) / 2 : value;
      const uint8_t* run = cursor.Take(data_bytes + (data_bytes & 1));
      if (!run) return kDibConversionErrorText;
      if (y >= height || x + value > stored_width) return kDibConversionErrorText;
      if (kWrite && x < width) {
        const int64_t shown = x + value > width ? width - x : value;
        uint8_t* start = row + x * 3;
        if (start > done) memset(done, 0, start - done);
        // The run's bytes are laid out as a stored row's, high nibble first.
        ConvertIndexedRow(run, static_cast<int32_t>(shown), colours, start);
        done = start + shown * 3;
      }
      x += value;
    }
  }
}

// Reads the file whole. Returns false when it cannot be opened or read; *out_of_memory tells the two apart.
bool ReadWholeFile(const char* name, uint8_t** bytes, size_t* size, bool* out_of_memory) {
  *bytes = nullptr;
  *size = 0;
  *out_of_memory = false;
  FILE* file = fopen(name, "rb");
  if (!file) return false;
  long hint = -1;
  if (fseek(file, 0, SEEK_END) == 0) hint = ftell(file);
  rewind(file);
  // A sane size hint reads the file in one go; anything else grows as it reads.
  size_t capacity = hint > 0 && hint < (1L << 30) ? static_cast<size_t>(hint) + 1 : 65536;
  uint8_t* buffer = static_cast<uint8_t*>(malloc(capacity));
  if (!buffer) {
    fclose(file);
    *out_of_memory = true;
    return false;
  }
  size_t length = 0;
  for (;;) {
    if (length == capacity) {
      uint8_t* grown = capacity < (SIZE_MAX / 2) ? static_cast<uint8_t*>(realloc(buffer, capacity * 2)) : nullptr;
      if (!grown) {
        free(buffer);
        fclose(file);
        *out_of_memory = true;
        return false;
      }
      buffer = grown;
      capacity *= 2;
    }
    size_t n = fread(buffer + length, 1, capacity - length, file);
    length += n;
    if (n == 0) break;
  }
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) {
    free(buffer);
    return false;
  }
  *bytes = buffer;
  *size = length;
  return true;
}

void ShowOpenFailure(const char* name) {
  char text[256];
  snprintf(text, sizeof text, "Failed to open DIB file %s.\n", name ? name : "");
  ShowDibError(text);
}

}  // namespace

const char* ReadDibHeader(const uint8_t* bytes, size_t size, DibHeader* header) {
  memset(header, 0, sizeof *header);
  ByteCursor cursor(bytes, size);
  size_t header_start = 0;
  bool has_file_header = false;
  uint32_t pixel_offset = 0;
  uint16_t magic;
  if (cursor.U16(&magic) && magic == kFileHeaderMagic) {
    if (!cursor.Seek(10) || !cursor.U32(&pixel_offset)) return kDibUnknownFormatText;
    has_file_header = true;
    header_start = kFileHeaderSize;
  }
  if (!cursor.Seek(header_start) || !cursor.U32(&header->header_size)) return kDibUnknownFormatText;

  if (header->header_size == kCoreHeaderSize) {
    uint16_t width;
    uint16_t height;
    if (!cursor.U16(&width) || !cursor.U16(&height) || !cursor.U16(&header->planes) ||
        !cursor.U16(&header->bits_per_pixel)) {
      return kDibUnknownFormatText;
    }
    header->width = width;
    header->height = height;
    header->compression = kBiRgb;
    header->colour_count = DefaultColourCount(header->bits_per_pixel);
    header->colours_used = header->colour_count;
    header->colours_important = header->colour_count;
    header->colour_entry_size = 3;
  } else if (header->header_size == kInfoHeaderSize) {
    uint32_t image_size;
    if (!cursor.I32(&header->width) || !cursor.I32(&header->height) || !cursor.U16(&header->planes) ||
        !cursor.U16(&header->bits_per_pixel) || !cursor.U32(&header->compression) || !cursor.U32(&image_size) ||
        !cursor.I32(&header->x_pixels_per_metre) || !cursor.I32(&header->y_pixels_per_metre) ||
        !cursor.U32(&header->colours_used) || !cursor.U32(&header->colours_important)) {
      return kDibUnknownFormatText;
    }
    header->image_size = image_size;
    // The colour count is a 16-bit quantity: only the low half of colours-used counts.
    uint32_t used = header->colours_used & 0xFFFF;
    header->colour_count = used ? used : DefaultColourCount(header->bits_per_pixel);
    header->colour_entry_size = 4;
    if (header->compression == kBiBitfields) {
      if (!cursor.U32(&header->masks[0]) || !cursor.U32(&header->masks[1]) || !cursor.U32(&header->masks[2])) {
        return kDibConversionErrorText;
      }
    }
  } else {
    return kDibUnknownFormatText;
  }

  header->colour_table_offset = cursor.position();
  size_t table_bytes = static_cast<size_t>(header->colour_count) * header->colour_entry_size;
  if (!cursor.Take(table_bytes)) return kDibConversionErrorText;
  header->pixel_offset = has_file_header ? pixel_offset : cursor.position();

  if (header->image_size == 0) {
    uint64_t rows = header->height < 0 ? -static_cast<int64_t>(header->height) : header->height;
    uint64_t width = header->width < 0 ? 0 : header->width;
    uint64_t row_bytes = (width * header->bits_per_pixel + 7) / 8;
    if (__builtin_mul_overflow(row_bytes, rows, &header->image_size)) header->image_size = UINT64_MAX;
  }
  if (header->colours_used == 0) header->colours_used = header->colour_count;
  return nullptr;
}

ImageRGB* DecodeDibBytesSilently(const uint8_t* bytes, size_t size, const char** failure) {
  DibHeader header;
  *failure = ReadDibHeader(bytes, size, &header);
  if (*failure) return nullptr;

  const uint16_t bits = header.bits_per_pixel;
  bool supported;
  switch (header.compression) {
    case kBiRgb:
      supported = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
      break;
    case kBiRle8:
      supported = bits == 8 && header.height > 0;
      break;
    case kBiRle4:
      supported = bits == 4 && header.height > 0;
      break;
    case kBiBitfields:
      supported = bits == 16 || bits == 32;
      break;
    default:
      supported = false;
  }
  if (!supported || header.width <= 0 || header.height == 0) {
    *failure = kDibConversionErrorText;
    return nullptr;
  }
  const uint64_t rows = header.height < 0 ? -static_cast<int64_t>(header.height) : header.height;
  const uint64_t pixels = static_cast<uint64_t>(header.width) * rows;
  if (pixels > kMaxDibPixels) {
    *failure = kDibOutOfMemoryText;
    return nullptr;
  }

  const bool run_length = header.compression == kBiRle8 || header.compression == kBiRle4;
  // Every encoding writes every byte, run-length codes zeroing what they skip.
  uint8_t* data = static_cast<uint8_t*>(malloc(pixels * 3));
  if (!data) {
    // Broken codes are reported as such even when there is no memory for the pixels.
    const char* codes = run_length ? DecodeRunLength<false>(bytes, size, header, nullptr) : nullptr;
    *failure = codes ? codes : kDibOutOfMemoryText;
    return nullptr;
  }
  *failure =
      run_length ? DecodeRunLength<true>(bytes, size, header, data) : DecodeUncompressed(bytes, size, header, data);
  if (*failure) {
    free(data);
    return nullptr;
  }
  ImageRGB* image = static_cast<ImageRGB*>(malloc(sizeof(ImageRGB)));
  if (!image) {
    free(data);
    *failure = kDibOutOfMemoryText;
    return nullptr;
  }
  image->width = header.width;
  image->height = static_cast<int32_t>(rows);
  image->data = data;
  return image;
}

ImageRGB* DecodeDibBytes(const uint8_t* bytes, size_t size, const char* name) {
  // An empty file is one that cannot be opened as a bitmap at all.
  if (size == 0 || !bytes) {
    ShowOpenFailure(name);
    return nullptr;
  }
  const char* failure = nullptr;
  ImageRGB* image = DecodeDibBytesSilently(bytes, size, &failure);
  if (!image) ShowDibError(failure);
  return image;
}

ImageRGB* DecodeDib(const char* name) {
  uint8_t* bytes = nullptr;
  size_t size = 0;
  bool out_of_memory = false;
  if (!name || !ReadWholeFile(name, &bytes, &size, &out_of_memory)) {
    if (out_of_memory) {
      ShowDibError(kDibOutOfMemoryText);
    } else {
      ShowOpenFailure(name);
    }
    return nullptr;
  }
  ImageRGB* image = DecodeDibBytes(bytes, size, name);
  free(bytes);
  return image;
}

ImageRGB* LoadBitmapFile(const char* name) {
  if (!name) return nullptr;
  FILE* file = fopen(name, "r");
  if (!file) return nullptr;
  fclose(file);
  return DecodeDib(name);
}

void SetDibInstructions(DibInstructions allowed) { g_instructions = allowed; }

void FreeImage(ImageRGB* image) {
  if (!image) return;
  free(image->data);
  free(image);
}
