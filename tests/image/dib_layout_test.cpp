// Hand-made bitmaps, byte by byte from the file layout, for what an encoder will not write: the exact
// examples a level maker can check by hand, header variants, top-down rows and every run-length code.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/bmp_files.h"
#include "tests/support/game_test.h"

namespace {

using namespace bmp_test;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

std::string Rgb(std::initializer_list<uint32_t> pixels) {
  std::string bytes;
  for (uint32_t p : pixels) bytes += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
  return bytes;
}

class HandMadeFiles : public GameTest {};

TEST_F(HandMadeFiles, TwentyFourBitRowsComeOutRgbBottomRowFirstWithoutTheirFill) {
  // File order: blue, green (bottom row), then red, white (top row); each row carries 2 fill bytes.
  std::string pixels = Bytes().Bgr(kBlue).Bgr(kGreen).U16(0xEEEE).Bgr(kRed).Bgr(kWhite).U16(0xEEEE).str();
  std::string header = InfoHeader(2, 2, 24);
  for (const std::string& file : {WithFileHeader(header, pixels), header + pixels}) {
    Decoded image = DecodeBytes(file);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb, std::string("\0\0\xFF\0\xFF\0\xFF\0\0\xFF\xFF\xFF", 12));
  }
  // 3 pixels wide: 3 fill bytes in the file, 9 bytes a row out. 4 wide: no fill, 12 bytes a row.
  Decoded three = DecodeBytes(WithFileHeader(InfoHeader(3, 2, 24), Bytes().Bgr(1).Bgr(2).Bgr(3).U8(0xEE).U16(0xEEEE)
                                                                        .Bgr(4).Bgr(5).Bgr(6).U8(0xEE).U16(0xEEEE).str()));
  EXPECT_EQ(three.rgb, Rgb({1, 2, 3, 4, 5, 6}));
  Decoded four = DecodeBytes(WithFileHeader(InfoHeader(4, 2, 24), Bytes().Bgr(1).Bgr(2).Bgr(3).Bgr(4)
                                                                       .Bgr(5).Bgr(6).Bgr(7).Bgr(8).str()));
  EXPECT_EQ(four.rgb, Rgb({1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(HandMadeFiles, EveryWidthAndDepthComesOutPixelForPixel) {
  // Widths up to 35 end rows at every place in the decoder's groups of 4 and 8 pixels and in the bytes of 1- and
  // 4-bit rows; every stored byte differs, so a pixel from the wrong place or a channel from the wrong byte shows.
  Bytes table;
  for (uint32_t i = 0; i < 256; i++) table.Bgr0((i * 37 + 5) << 16 | ((i * 11 + 100) & 0xFF) << 8 | (255 - i));
  for (int bits : {1, 4, 8, 24, 32}) {
    for (int width = 1; width <= 35; width++) {
      for (int height : {3, -3}) {
        SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " x " + std::to_string(height));
        const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
        std::string pixels(stride * 3, '\0');
        for (size_t i = 0; i < pixels.size(); i++) pixels[i] = static_cast<char>(i * 97 + width * 13 + bits);
        std::string expected(static_cast<size_t>(width) * 3 * 3, '\0');
        for (int row = 0; row < 3; row++) {
          const uint8_t* in = reinterpret_cast<const uint8_t*>(pixels.data()) + row * stride;
          char* out = &expected[(height > 0 ? row : 2 - row) * width * 3];
          for (int x = 0; x < width; x++, out += 3) {
            if (bits <= 8) {
              unsigned index = (in[x * bits / 8] >> (8 - bits - x * bits % 8)) & ((1u << bits) - 1);
              const char* colour = &table.str()[index * 4];
              out[0] = colour[2];
              out[1] = colour[1];
              out[2] = colour[0];
            } else {
              const uint8_t* pixel = in + x * bits / 8;
              out[0] = static_cast<char>(pixel[2]);
              out[1] = static_cast<char>(pixel[1]);
              out[2] = static_cast<char>(pixel[0]);
            }
          }
        }
        std::string header = InfoHeader(width, height, static_cast<uint16_t>(bits));
        if (bits <= 8) header += table.str().substr(0, (4u << bits));
        Decoded image = DecodeBytes(WithFileHeader(header, pixels));
        ASSERT_TRUE(image.ok);
        EXPECT_TRUE(image.rgb == expected);
      }
    }
  }
}

TEST_F(HandMadeFiles, RunsOfEveryLengthUpToTheRowsEnd) {
  // Rows of runs 1, 2, 3, ... pixels long, the last one cut at the row's end, at 8 bits one colour a run and at 4
  // two alternating; then a row left short and an early end, which leave black.
  Bytes table;
  for (uint32_t i = 0; i < 16; i++) table.Bgr0(0x0F0000 * i + 0x000F00 * (15 - i) + 3 * i);
  auto colour = [&](unsigned index) {
    const std::string& t = table.str();
    return std::string{t[index * 4 + 2], t[index * 4 + 1], t[index * 4]};
  };
  for (bool four : {false, true}) {
    for (int width : {5, 13, 30}) {
      SCOPED_TRACE(std::string(four ? "RLE4" : "RLE8") + " width " + std::to_string(width));
      Bytes codes;
      std::string expected;
      for (int x = 0, length = 1; x < width; x += length, length++) {
        int count = std::min(length, width - x);
        unsigned first = length % 16, second = four ? (length * 7 + 3) % 16 : first;
        codes.U8(static_cast<uint32_t>(count)).U8(four ? first << 4 | second : first);
        for (int i = 0; i < count; i++) expected += colour(i % 2 ? second : first);
      }
      codes.U8(0).U8(0).U8(1).U8(four ? 0x9A : 9).U8(0).U8(1);
      expected += colour(9) + std::string(static_cast<size_t>(width - 1) * 3 + static_cast<size_t>(width) * 3, '\0');
      Decoded image = DecodeBytes(WithFileHeader(InfoHeader(width, 3, four ? 4 : 8, four ? kBiRle4 : kBiRle8, 16) +
                                                     table.str(),
                                                 codes.str()));
      ASSERT_TRUE(image.ok);
      EXPECT_TRUE(image.rgb == expected);
    }
  }
}

TEST_F(HandMadeFiles, TopDownFilesAreTurnedBottomRowFirst) {
  // Height -2: the first stored row is the top one.
  std::string pixels = Bytes().Bgr(kRed).U8(0).Bgr(kBlue).U8(0).str();
  Decoded image = DecodeBytes(WithFileHeader(InfoHeader(1, -2, 24), pixels));
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.rgb, Rgb({kBlue, kRed}));
  // An 8-bit one too, through its colour table.
  std::string table = Bytes().Bgr0(kGreen).Bgr0(kWhite).str();
  Decoded indexed = DecodeBytes(InfoHeader(2, -2, 8, kBiRgb, 2) + table + Bytes().U32(0x0001).U32(0x0100).str());
  ASSERT_TRUE(indexed.ok);
  EXPECT_EQ(indexed.rgb, Rgb({kGreen, kWhite, kWhite, kGreen}));
}

TEST_F(HandMadeFiles, TheColourTableHasTheCountTheHeaderGives) {
  // Colours used 16 at 8 bits: 16 entries, and without a file header the pixels start 40 + 64 bytes in.
  Bytes table;
  for (uint32_t i = 0; i < 16; i++) table.Bgr0(i * 0x110000 + 0x0F);
  std::string pixels = Bytes().U8(15).U8(3).U16(0).str();
  for (uint32_t used : {16u, 0x10010u}) {  // only the low 16 bits of colours used count
    Decoded image = DecodeBytes(InfoHeader(2, 1, 8, kBiRgb, used) + table.str() + pixels);
    ASSERT_TRUE(image.ok) << used;
    EXPECT_EQ(image.rgb, Rgb({0xFF000F, 0x33000F})) << used;
  }
  // An index past a short table reads black.
  Decoded past = DecodeBytes(InfoHeader(2, 1, 8, kBiRgb, 2) + Bytes().Bgr0(kRed).Bgr0(kGreen).str() +
                             Bytes().U8(1).U8(200).U16(0).str());
  ASSERT_TRUE(past.ok);
  EXPECT_EQ(past.rgb, Rgb({kGreen, kBlack}));
  // A core header at 8 bits takes 256 three-byte entries; its colours come out unchanged.
  Bytes core_table;
  for (uint32_t i = 0; i < 256; i++) core_table.Bgr(i << 16 | (255 - i) << 8 | (i ^ 0x5A));
  Decoded core = DecodeBytes(CoreHeader(3, 1, 8) + core_table.str() + Bytes().U8(0).U8(128).U8(255).U8(0).str());
  ASSERT_TRUE(core.ok);
  EXPECT_EQ(core.rgb, Rgb({0x00FF5A, 0x807FDA, 0xFF00A5}));
}

TEST_F(HandMadeFiles, TheWorkingHeaderFillsInImageSizeAndColoursUsed) {
  std::string core = CoreHeader(3, 2, 8) + std::string(256 * 3, '\0') + std::string(8, '\0');
  DibHeader header;
  ASSERT_EQ(ReadDibHeader(reinterpret_cast<const uint8_t*>(core.data()), core.size(), &header), nullptr);
  EXPECT_EQ(header.header_size, 12u);
  EXPECT_EQ(header.width, 3);
  EXPECT_EQ(header.height, 2);
  EXPECT_EQ(header.compression, kBiRgb);
  EXPECT_EQ(header.colour_count, 256u);
  EXPECT_EQ(header.colours_used, 256u);
  EXPECT_EQ(header.colours_important, 256u);
  EXPECT_EQ(header.image_size, 6u);  // (3 * 8 + 7) / 8 * 2, no fill counted
  EXPECT_EQ(header.pixel_offset, 12u + 768u);

  std::string info = WithFileHeader(InfoHeader(3, 2, 24), std::string(24, '\0'));
  ASSERT_EQ(ReadDibHeader(reinterpret_cast<const uint8_t*>(info.data()), info.size(), &header), nullptr);
  EXPECT_EQ(header.image_size, 18u);
  EXPECT_EQ(header.colours_used, 0u);
  EXPECT_EQ(header.pixel_offset, 54u);
  info = WithFileHeader(InfoHeader(3, 2, 24, kBiRgb, 0, 1234), std::string(24, '\0'));
  ASSERT_EQ(ReadDibHeader(reinterpret_cast<const uint8_t*>(info.data()), info.size(), &header), nullptr);
  EXPECT_EQ(header.image_size, 1234u);
}

TEST_F(HandMadeFiles, NarrowChannelsAreWidenedByRepeatingTheirBits) {
  // 5-6-5 through bit fields: 1 -> 8 / 4 / 8, 16 -> 132, 32 (6 bits) -> 130, all ones -> 255.
  std::string masks = Bytes().U32(0xF800).U32(0x07E0).U32(0x001F).str();
  Decoded wide = DecodeBytes(WithFileHeader(InfoHeader(3, 1, 16, kBiBitfields) + masks,
                                            Bytes().U16(0x0821).U16(0x8410).U16(0xFFFF).U16(0).str()));
  ASSERT_TRUE(wide.ok);
  EXPECT_EQ(wide.rgb, Rgb({0x080408, 0x848284, kWhite}));
  // 16 bits without bit fields are 5-5-5, the top bit unused.
  Decoded plain = DecodeBytes(WithFileHeader(InfoHeader(2, 1, 16), Bytes().U16(0x7C00).U16(0x8000 | 0x0010).str()));
  ASSERT_TRUE(plain.ok);
  EXPECT_EQ(plain.rgb, Rgb({kRed, 0x000084}));
  // 32 bits: masks in any order; a 10-bit channel keeps its top 8 bits.
  Decoded rgbx = DecodeBytes(WithFileHeader(InfoHeader(1, 1, 32, kBiBitfields) +
                                                Bytes().U32(0x000000FF).U32(0x0000FF00).U32(0x00FF0000).str(),
                                            Bytes().U32(0x00332211).str()));
  EXPECT_EQ(rgbx.rgb, Rgb({0x112233}));
  Decoded ten = DecodeBytes(WithFileHeader(InfoHeader(1, 1, 32, kBiBitfields) +
                                               Bytes().U32(0x3FF00000).U32(0x000FFC00).U32(0x000003FF).str(),
                                           Bytes().U32(0x3FF << 20 | 0x200 << 10 | 0x0FF).str()));
  EXPECT_EQ(ten.rgb, Rgb({0xFF803F}));
  // And without bit fields, blue, green, red, unused.
  EXPECT_EQ(DecodeBytes(WithFileHeader(InfoHeader(1, 1, 32), Bytes().U32(0xAA332211).str())).rgb, Rgb({0x332211}));
}

TEST_F(HandMadeFiles, EveryRunLengthCodeOfEightBitFiles) {
  std::string table = Bytes().Bgr0(0x112233).Bgr0(kRed).Bgr0(kGreen).Bgr0(kBlue).str();
  std::string codes = Bytes()
                          .U8(2).U8(1)                            // two of colour 1
                          .U8(0).U8(3).U8(2).U8(3).U8(1).U8(0)    // absolute: 2 3 1, padded to 16 bits
                          .U8(0).U8(0)                            // end of line (the sixth pixel left undefined)
                          .U8(0).U8(2).U8(2).U8(0)                // delta: two right
                          .U8(2).U8(3)                            // two of colour 3
                          .U8(0).U8(2).U8(1).U8(1)                // delta: one right, one up
                          .U8(1).U8(2)                            // one of colour 2
                          .U8(0).U8(1)                            // end of bitmap
                          .str();
  Decoded image = DecodeBytes(WithFileHeader(InfoHeader(6, 3, 8, kBiRle8, 4) + table, codes));
  ASSERT_TRUE(image.ok);
  // Pixels the codes skip or never reach are black, not colour 0.
  EXPECT_EQ(image.rgb, Rgb({kRed, kRed, kGreen, kBlue, kRed, kBlack,
                            kBlack, kBlack, kBlue, kBlue, kBlack, kBlack,
                            kBlack, kBlack, kBlack, kBlack, kBlack, kGreen}));
}

TEST_F(HandMadeFiles, EveryRunLengthCodeOfFourBitFiles) {
  Bytes table;
  for (uint32_t i = 0; i < 16; i++) table.Bgr0(0x100000 * i + i);
  auto c = [](uint32_t i) { return 0x100000 * i + i; };
  std::string codes = Bytes()
                          .U8(5).U8(0x12)                         // 1 2 1 2 1
                          .U8(2).U8(0x34)                         // 3 4
                          .U8(0).U8(0)                            // end of line
                          .U8(0).U8(5).U8(0x56).U8(0x78).U8(0x90).U8(0)  // absolute 5 6 7 8 9, padded
                          .U8(0).U8(2).U8(1).U8(0)                // delta: one right
                          .U8(1).U8(0xA0)                         // A
                          .U8(0).U8(1)                            // end of bitmap
                          .str();
  Decoded image = DecodeBytes(WithFileHeader(InfoHeader(7, 2, 4, kBiRle4) + table.str(), codes));
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.rgb, Rgb({c(1), c(2), c(1), c(2), c(1), c(3), c(4),
                            c(5), c(6), c(7), c(8), c(9), kBlack, c(10)}));
  // Without the file header the codes follow the 16-entry table.
  Decoded packed = DecodeBytes(InfoHeader(7, 2, 4, kBiRle4) + table.str() + codes);
  EXPECT_EQ(packed.rgb, image.rgb);
  EXPECT_TRUE(Scripted().message_boxes.empty());
}

}  // namespace
