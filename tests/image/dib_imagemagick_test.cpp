// Bitmaps written by an independent encoder (ImageMagick) decode to the pixels its own decoder reads from them,
// at every depth and encoding, with and without the file header, at widths that need every amount of row fill.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/bmp_files.h"
#include "tests/support/game_test.h"

namespace {

using namespace bmp_test;

constexpr int kHeight = 40;
// 1 to 4 cover every amount of row fill at 8 bits and more; 37 is a wide odd row.
constexpr int kWidths[] = {1, 2, 3, 4, 37};

// How a file is made, and what its header must say for the case to test what it claims. ImageMagick picks
// the depth from the number of colours, writes 8-bit files run-length encoded unless told not to, and writes
// 16- and 32-bit pixels only under a 124-byte header (its 40-byte BI_BITFIELDS files lack the masks), so
// those are rewritten with a 40-byte header. Its reading of its own run-length files loses the last row of
// narrow pictures, so their reference is its reading of the same picture written uncompressed.
struct EncoderCase {
  const char* name;
  const char* options;  // ImageMagick options before the output name
  uint32_t header_size;  // as ImageMagick writes it
  int bits;
  uint32_t compression;
  const char* reference_options = nullptr;  // when set, the reference is read from this uncompressed twin
};

constexpr EncoderCase kCases[] = {
    {"info-1bit", "-colors 2 -compress None BMP3:", 40, 1, kBiRgb},
    {"info-4bit", "-colors 12 -compress None BMP3:", 40, 4, kBiRgb},
    {"info-8bit", "-colors 200 -compress None BMP3:", 40, 8, kBiRgb},
    {"info-24bit", "-type TrueColor BMP3:", 40, 24, kBiRgb},
    {"info-rle8", "-colors 200 -compress RLE BMP3:", 40, 8, kBiRle8, "-colors 200 -compress None BMP3:"},
    {"core-1bit", "-colors 2 BMP2:", 12, 1, kBiRgb},
    {"core-4bit", "-colors 12 BMP2:", 12, 4, kBiRgb},
    {"core-8bit", "-colors 200 BMP2:", 12, 8, kBiRgb},
    {"core-24bit", "-type TrueColor BMP2:", 12, 24, kBiRgb},
    {"v5-rgb555", "-type TrueColor -define bmp:subtype=RGB555 BMP:", 124, 16, kBiBitfields},
    {"v5-rgb565", "-type TrueColor -define bmp:subtype=RGB565 BMP:", 124, 16, kBiBitfields},
    {"v5-argb1555", "-alpha on -define bmp:subtype=ARGB1555 BMP:", 124, 16, kBiBitfields},
    {"v5-argb4444", "-alpha on -define bmp:subtype=ARGB4444 BMP:", 124, 16, kBiBitfields},
    {"v5-argb8888", "-alpha on BMP:", 124, 32, kBiBitfields},
};

class ImageMagickFiles : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    if (!HaveConvert()) GTEST_SKIP() << kConvert << " is not installed";
  }

  // Writes the case's file for a picture of the given width; empty when the encoder fails.
  std::string Encode(const EncoderCase& c, int width, const char* options = nullptr) {
    std::string source = "source" + std::to_string(width) + ".png";
    // A corner of the identity colour cube: every pixel a colour of its own.
    if (access(source.c_str(), R_OK) != 0 && !Convert("hald:4 -crop " + std::to_string(width) + "x" + std::to_string(kHeight) + "+3+5 +repage " +
                 source)) {
      return "";
    }
    if (!Convert(source + " " + (options ? options : c.options) + FileName(c, width))) return "";
    return ReadFileBytes(FileName(c, width));
  }

  static std::string FileName(const EncoderCase& c, int width) {
    return std::string(c.name) + "-" + std::to_string(width) + ".bmp";
  }

  // ImageMagick's reading of the case's picture, bottom row first.
  std::string Reference(const EncoderCase& c, int width) {
    if (c.reference_options) {
      EncoderCase twin = c;
      twin.name = "twin";
      if (Encode(twin, width, c.reference_options).empty()) return "";
      return ReferenceRgb(FileName(twin, width), width, kHeight);
    }
    return ReferenceRgb(FileName(c, width), width, kHeight);
  }

  // Checks that the encoder wrote the kind of file the case is about.
  void ExpectKind(const std::string& file, const EncoderCase& c) {
    ASSERT_GT(file.size(), 54u);
    ASSERT_EQ(ReadU32(file, 14), c.header_size);
    if (c.header_size == 12) {
      ASSERT_EQ(static_cast<uint8_t>(file[24]), c.bits);
    } else {
      ASSERT_EQ(static_cast<uint8_t>(file[28]), c.bits);
      ASSERT_EQ(ReadU32(file, 30), c.compression);
    }
  }

  void ExpectDecodesTo(const std::string& bytes, const std::string& reference, int width, const std::string& what) {
    Decoded decoded = DecodeBytes(bytes);
    ASSERT_TRUE(decoded.ok) << what << ": " << (Scripted().message_boxes.empty() ? "" : Scripted().message_boxes.back().text);
    EXPECT_EQ(decoded.width, width) << what;
    EXPECT_EQ(decoded.height, kHeight) << what;
    EXPECT_TRUE(decoded.rgb == reference) << what << ": pixels differ from ImageMagick's decoding";
  }

  ScopedWorkingDirectory directory_;
};

// ImageMagick keeps only the top 4 bits of a 4-bit channel; the decoder widens by repeating them.
std::string RepeatTopNibbles(std::string rgb) {
  for (char& c : rgb) c = static_cast<char>((c & 0xF0) | ((c >> 4) & 0x0F));
  return rgb;
}

TEST_F(ImageMagickFiles, EveryDepthAndEncodingDecodesLikeTheEncodersOwnReading) {
  for (const EncoderCase& c : kCases) {
    for (int width : kWidths) {
      std::string what = std::string(c.name) + " width " + std::to_string(width);
      SCOPED_TRACE(what);
      std::string file = Encode(c, width);
      ASSERT_FALSE(file.empty()) << "the encoder failed";
      ExpectKind(file, c);
      std::string reference = Reference(c, width);
      ASSERT_FALSE(reference.empty()) << "the encoder cannot read its own file";
      if (c.bits == 16 && ReadU32(file, 54) == 0x0F00) reference = RepeatTopNibbles(reference);

      std::vector<std::pair<std::string, std::string>> variants;
      if (c.header_size == 124) {
        variants.push_back({"bitfields", InfoFromV5(file, true)});
        bool default_masks = c.bits == 16 ? ReadU32(file, 54) == 0x7C00 && ReadU32(file, 58) == 0x03E0
                                          : ReadU32(file, 54) == 0x00FF0000 && ReadU32(file, 58) == 0x0000FF00;
        if (default_masks) variants.push_back({"BI_RGB", InfoFromV5(file, false)});
      } else {
        variants.push_back({"as written", file});
      }
      for (const auto& [kind, bytes] : variants) {
        ExpectDecodesTo(bytes, reference, width, what + " " + kind);
        // The same DIB without its file header: the pixels follow the masks and colour table.
        ExpectDecodesTo(StripFileHeader(bytes), reference, width, what + " " + kind + " without file header");
        if (ReadU32(bytes, 14) == 40 && ReadU32(bytes, 30) != kBiRle8) {
          ExpectDecodesTo(TopDownFrom(bytes), reference, width, what + " " + kind + " stored top-down");
        }
      }
      EXPECT_TRUE(Scripted().message_boxes.empty());
    }
  }
}

TEST_F(ImageMagickFiles, ColourTablesShorterThanTheDepthAllows) {
  // ImageMagick always writes the full table (2, 16 or 256 entries); cut it to the entries the pixels use.
  for (const EncoderCase& c : {kCases[1], kCases[2], kCases[4]}) {
    for (int width : {3, 37}) {
      SCOPED_TRACE(std::string(c.name) + " width " + std::to_string(width));
      std::string file = Encode(c, width);
      ASSERT_FALSE(file.empty());
      ExpectKind(file, c);
      std::string reference = Reference(c, width);
      uint32_t used = 0;
      if (c.compression == kBiRgb) {
        used = ColoursUsedByPixels(file, width, kHeight, c.bits);
      } else {
        // Run-length codes carry the index in every second byte; the largest one bounds what is used.
        for (size_t i = ReadU32(file, 10) + 1; i < file.size(); i += 2) {
          if (file[i - 1] != 0) used = std::max<uint32_t>(used, static_cast<uint8_t>(file[i]) + 1u);
        }
      }
      ASSERT_GT(used, 1u);
      ASSERT_LT(used, c.bits == 4 ? 16u : 256u);
      std::string shortened = ShortenColourTable(file, used);
      ExpectDecodesTo(shortened, reference, width, "short table");
      ExpectDecodesTo(StripFileHeader(shortened), reference, width, "short table without file header");
    }
  }
}

}  // namespace
