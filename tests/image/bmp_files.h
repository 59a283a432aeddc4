// Bitmap files for the decoder's tests: the byte writer of tests/support for hand-made files, the ImageMagick
// encoder and its own decoding as the reference, and edits that turn one of its files into a variant it cannot
// write.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "platform/scripted/scripted.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/files.h"

namespace bmp_test {

constexpr const char* kConvert = "/usr/bin/convert";

inline bool HaveConvert() { return access(kConvert, X_OK) == 0; }

using bmp::Bytes;
using bmp::CoreHeader;
using bmp::InfoFromV5;
using bmp::InfoHeader;
using bmp::PutU32;
using bmp::ReadU32;
using bmp::WithFileHeader;

// The decoded image: size and RGB bytes, bottom row first. ok is false when the decoder refused the bytes.
struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::string rgb;
};

inline Decoded DecodeWith(const std::string& bytes, DibInstructions allowed) {
  Decoded result;
  SetDibInstructions(allowed);
  ImageRGB* image = DecodeDibBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "test.bmp");
  SetDibInstructions(DibInstructions::kBest);
  if (!image) return result;
  result.ok = true;
  result.width = image->width;
  result.height = image->height;
  result.rgb.assign(reinterpret_cast<const char*>(image->data), static_cast<size_t>(image->width) * image->height * 3);
  FreeImage(image);
  return result;
}

// Decodes with the best instructions the processor has, after checking that the plain loops and SSSE3 alone
// give the same image and the same message; only the last decoding's message box is kept.
inline Decoded DecodeBytes(const std::string& bytes) {
  std::vector<ScriptedMessageBox>& boxes = Scripted().message_boxes;
  const size_t before = boxes.size();
  auto messages = [&](bool keep) {
    std::string texts;
    for (size_t i = before; i < boxes.size(); i++) texts += boxes[i].text + "|";
    if (!keep) boxes.resize(before);
    return texts;
  };
  const Decoded plain = DecodeWith(bytes, DibInstructions::kPlain);
  const std::string plain_messages = messages(false);
  const Decoded ssse3 = DecodeWith(bytes, DibInstructions::kSsse3);
  const std::string ssse3_messages = messages(false);
  const Decoded best = DecodeWith(bytes, DibInstructions::kBest);
  const std::string best_messages = messages(true);
  const struct {
    const char* name;
    const Decoded& image;
    const std::string& messages;
  } vector_decodings[] = {{"SSSE3", ssse3, ssse3_messages}, {"the best instructions", best, best_messages}};
  for (const auto& [name, image, texts] : vector_decodings) {
    EXPECT_TRUE(image.ok == plain.ok && image.width == plain.width && image.height == plain.height &&
                image.rgb == plain.rgb)
        << name << " and the plain loops decode differently";
    EXPECT_EQ(texts, plain_messages) << name;
  }
  return best;
}

// Runs ImageMagick's convert in the working directory; false when it fails.
inline bool Convert(const std::string& arguments) {
  std::string command = std::string(kConvert) + " " + arguments + " 2>convert-errors.txt";
  return system(command.c_str()) == 0;
}

// ImageMagick's own decoding of a file: RGB bytes, turned to bottom row first like ours.
inline std::string ReferenceRgb(const std::string& file, int width, int height) {
  if (!Convert(file + " -depth 8 rgb:reference.rgb")) return "";
  std::string top_first = ReadFileBytes("reference.rgb");
  if (top_first.size() != static_cast<size_t>(width) * height * 3) return "";
  std::string bottom_first;
  for (int row = height - 1; row >= 0; row--) bottom_first += top_first.substr(static_cast<size_t>(row) * width * 3, width * 3);
  return bottom_first;
}

// The packed DIB inside a file: the same bytes without the 14-byte file header. Only right for files whose
// pixels follow the colour table directly.
inline std::string StripFileHeader(const std::string& file) { return file.substr(14); }

// Cuts an info-header file's colour table down to count entries and says so in colours-used.
inline std::string ShortenColourTable(const std::string& file, uint32_t count) {
  std::string info = file.substr(14, 40);
  PutU32(&info, 32, count);
  std::string table = file.substr(54, count * 4);
  return WithFileHeader(info + table, file.substr(ReadU32(file, 10)));
}

// The same picture stored top row first: rows reversed, height negated.
inline std::string TopDownFrom(const std::string& file) {
  std::string out = file;
  int32_t width = static_cast<int32_t>(ReadU32(file, 18));
  int32_t height = static_cast<int32_t>(ReadU32(file, 22));
  int bits = static_cast<uint8_t>(file[28]);
  size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  size_t offset = ReadU32(file, 10);
  for (int32_t row = 0; row < height; row++) {
    out.replace(offset + row * stride, stride, file.substr(offset + (height - 1 - row) * stride, stride));
  }
  PutU32(&out, 22, static_cast<uint32_t>(-height));
  return out;
}

// The largest colour index an uncompressed indexed file's pixels use, plus one.
inline uint32_t ColoursUsedByPixels(const std::string& file, int width, int height, int bits) {
  size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  size_t offset = ReadU32(file, 10);
  uint32_t top = 0;
  for (int row = 0; row < height; row++) {
    for (int x = 0; x < width; x++) {
      uint8_t byte = static_cast<uint8_t>(file[offset + row * stride + x * bits / 8]);
      uint32_t index = (byte >> (8 - bits - (x * bits) % 8)) & ((1u << bits) - 1);
      top = std::max(top, index + 1);
    }
  }
  return top;
}

// One RGB pixel of a decoded image, 0xRRGGBB; y from the bottom.
inline uint32_t PixelAt(const Decoded& image, int x, int y) {
  size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
  return static_cast<uint8_t>(image.rgb[at]) << 16 | static_cast<uint8_t>(image.rgb[at + 1]) << 8 |
         static_cast<uint8_t>(image.rgb[at + 2]);
}

}  // namespace bmp_test
