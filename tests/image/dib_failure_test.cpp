// Files the decoder refuses: each failure shows exactly one "Error" box with its text, reads nothing past the
// file's end and leaks nothing (the sanitizer build checks the last two). A missing file says nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/image/bmp_files.h"
#include "tests/support/game_test.h"

namespace {

using namespace bmp_test;

const std::string kOutOfMemory = "Out of memory.";
const std::string kUnknownFormat = "Unknown DIB file format.";
const std::string kConversionError = "Image file conversion error.";

class RefusedFiles : public GameTest {
 protected:
  // Decodes the bytes from a file and expects none, after exactly one box with the text.
  void ExpectRefused(const std::string& bytes, const std::string& text, const std::string& what = "") {
    Scripted().message_boxes.clear();
    directory_.Write("bad.bmp", bytes);
    ImageRGB* image = LoadBitmapFile("bad.bmp");
    EXPECT_EQ(image, nullptr) << what;
    FreeImage(image);
    ASSERT_EQ(Scripted().message_boxes.size(), 1u) << what;
    const ScriptedMessageBox& box = Scripted().message_boxes[0];
    EXPECT_EQ(box.text, text) << what;
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, kMbOk);
    EXPECT_EQ(box.owner, OsGetFocus());
  }

  ScopedWorkingDirectory directory_;
};

std::string Small24Bit() { return WithFileHeader(InfoHeader(2, 2, 24), std::string(16, '\x40')); }

TEST_F(RefusedFiles, NoNameOrAMissingFileYieldsNoneSilently) {
  EXPECT_EQ(LoadBitmapFile(nullptr), nullptr);
  EXPECT_EQ(LoadBitmapFile("missing.bmp"), nullptr);
  EXPECT_TRUE(Scripted().message_boxes.empty());
}

TEST_F(RefusedFiles, AFileThatOpensButCannotBeReadAsBytes) {
  ExpectRefused("", "Failed to open DIB file bad.bmp.\n", "empty file");
  // A directory opens for reading but holds no bytes.
  ASSERT_EQ(mkdir("folder.bmp", 0700), 0);
  Scripted().message_boxes.clear();
  EXPECT_EQ(LoadBitmapFile("folder.bmp"), nullptr);
  ASSERT_EQ(Scripted().message_boxes.size(), 1u);
  EXPECT_EQ(Scripted().message_boxes[0].text, "Failed to open DIB file folder.bmp.\n");
  // A name too long for the text is cut at 255 characters.
  std::string long_name(240, 'n');
  directory_.Write(long_name, "");
  Scripted().message_boxes.clear();
  EXPECT_EQ(DecodeDib(long_name.c_str()), nullptr);
  ASSERT_EQ(Scripted().message_boxes.size(), 1u);
  EXPECT_EQ(Scripted().message_boxes[0].text, ("Failed to open DIB file " + long_name + ".\n").substr(0, 255));
  // DecodeDib itself reports a missing file.
  Scripted().message_boxes.clear();
  EXPECT_EQ(DecodeDib("missing.bmp"), nullptr);
  ASSERT_EQ(Scripted().message_boxes.size(), 1u);
  EXPECT_EQ(Scripted().message_boxes[0].text, "Failed to open DIB file missing.bmp.\n");
}

TEST_F(RefusedFiles, HeaderSizesOtherThan12And40AreUnknown) {
  for (uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
    std::string file = Small24Bit() + std::string(200, '\0');
    PutU32(&file, 14, size);
    ExpectRefused(file, kUnknownFormat, std::to_string(size));
    ExpectRefused(file.substr(14), kUnknownFormat, std::to_string(size) + " without file header");
  }
  ExpectRefused("hello, world: not a picture", kUnknownFormat);
}

TEST_F(RefusedFiles, EveryCutOfAGoodFileIsRefusedWithOneMessage) {
  // A file cut inside its headers is not recognisable; cut later, it lacks its colour table or pixels.
  std::string table = Bytes().Bgr0(0xFF0000).Bgr0(0).str();
  // Each file with the length it needs: the last row need not carry its fill.
  const std::pair<std::string, size_t> files[] = {
      {WithFileHeader(InfoHeader(3, 2, 24), Bytes().Raw(std::string(9, '\x11')).U8(0).U8(0).U8(0)
                                                .Raw(std::string(9, '\x22')).U8(0).U8(0).U8(0).str()), 75},
      {WithFileHeader(InfoHeader(9, 2, 1, kBiRgb, 2) + table, Bytes().U32(0x80FF).U32(0xFF01).str()), 68},
      {WithFileHeader(CoreHeader(2, 1, 4) + std::string(48, '\x33'), Bytes().U8(0x1F).U8(0).U16(0).str()), 75},
      {WithFileHeader(InfoHeader(4, 1, 8, kBiRle8, 2) + table, Bytes().U8(4).U8(1).U8(0).U8(1).str()), 66},
      {WithFileHeader(InfoHeader(1, 1, 16, kBiBitfields) + Bytes().U32(0xF800).U32(0x7E0).U32(0x1F).str(),
                      Bytes().U16(0xFFFF).U16(0).str()), 68},
  };
  for (const auto& [file, needed] : files) {
    ASSERT_TRUE(DecodeBytes(file).ok);
    ASSERT_TRUE(DecodeBytes(file.substr(0, needed)).ok);
    size_t header_end = 14 + ReadU32(file, 14);
    for (size_t length = 1; length < needed; length++) {
      const std::string& expected = length < header_end ? kUnknownFormat : kConversionError;
      ExpectRefused(file.substr(0, length), expected,
                    "cut to " + std::to_string(length) + " of " + std::to_string(file.size()));
    }
  }
}

TEST_F(RefusedFiles, PixelsTheFileDoesNotHold) {
  std::string file = Small24Bit();
  PutU32(&file, 10, static_cast<uint32_t>(file.size() + 1));
  ExpectRefused(file, kConversionError, "offset past the end");
  PutU32(&file, 10, 0xFFFFFFF0u);
  ExpectRefused(file, kConversionError, "offset far past the end");
  PutU32(&file, 10, static_cast<uint32_t>(file.size() - 4));
  ExpectRefused(file, kConversionError, "rows past the end");
  // A colour table longer than the file.
  ExpectRefused(InfoHeader(1, 1, 8, kBiRgb, 60000) + std::string(64, '\0'), kConversionError, "long table");
}

TEST_F(RefusedFiles, DimensionsAndEncodingsThatCannotBeConverted) {
  const std::string pixels(64, '\0');
  struct Case {
    std::string header;
    const std::string& text;
    const char* what;
  } cases[] = {
      {InfoHeader(0, 2, 24), kConversionError, "zero width"},
      {InfoHeader(2, 0, 24), kConversionError, "zero height"},
      {InfoHeader(-2, 2, 24), kConversionError, "negative width"},
      {InfoHeader(2, 2, 0), kConversionError, "zero depth"},
      {InfoHeader(2, 2, 2), kConversionError, "2 bits"},
      {InfoHeader(2, 2, 7), kConversionError, "7 bits"},
      {InfoHeader(2, 2, 24, kBiRle8), kConversionError, "24 bits run-length"},
      {InfoHeader(2, 2, 8, kBiRle4), kConversionError, "RLE4 at 8 bits"},
      {InfoHeader(2, -2, 8, kBiRle8), kConversionError, "top-down run-length"},
      {InfoHeader(2, 2, 24, kBiBitfields) + std::string(12, '\xFF'), kConversionError, "24-bit bit fields"},
      {InfoHeader(2, 2, 24, 4), kConversionError, "JPEG"},
      {InfoHeader(2, 2, 24, 5), kConversionError, "PNG"},
      {InfoHeader(1, 1, 16, kBiBitfields) + Bytes().U32(0xF0F0).U32(0).U32(0).str(), kConversionError,
       "mask with a gap"},
      {InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 24), kOutOfMemory, "overflowing size"},
      {InfoHeader(1, INT32_MIN, 24), kOutOfMemory, "most negative height"},
      {InfoHeader(20000, 20000, 8, kBiRle8, 1), kOutOfMemory, "too many pixels"},
      {InfoHeader(4096, 4097, 8, kBiRle8, 1), kOutOfMemory, "a row more than 4096 x 4096"},
      {CoreHeader(0xFFFF, 0xFFFF, 24), kOutOfMemory, "largest core header"},
  };
  for (const Case& c : cases) {
    ExpectRefused(WithFileHeader(c.header, pixels), c.text, c.what);
  }
  // The largest image the decoder makes: 4096 x 4096, here of one colour, ended at once by a run-length code.
  const Decoded largest = DecodeBytes(WithFileHeader(
      InfoHeader(4096, 4096, 8, kBiRle8, 1) + Bytes().Bgr0(0x102030).str(), Bytes().U8(0).U8(1).str()));
  EXPECT_TRUE(largest.ok && largest.width == 4096 && largest.height == 4096);
}

TEST_F(RefusedFiles, RunLengthCodesThatLeaveTheRowOrTheImage) {
  // 5 pixels wide: a stored row is 8 pixels, and codes may fill it (some writers do); past that is an error.
  std::string header = InfoHeader(5, 2, 8, kBiRle8, 1) + Bytes().Bgr0(0x808080).str();
  struct Case {
    std::string codes;
    const char* what;
  } cases[] = {
      {Bytes().U8(9).U8(0).U8(0).U8(1).str(), "a run past the stored row"},
      {Bytes().U8(4).U8(0).U8(5).U8(0).U8(0).U8(1).str(), "two runs past the stored row"},
      {Bytes().U8(0).U8(9).Raw(std::string(10, '\0')).U8(0).U8(1).str(), "an absolute run past the row"},
      {Bytes().U8(0).U8(2).U8(9).U8(0).U8(0).U8(1).str(), "a delta past the row"},
      {Bytes().U8(0).U8(2).U8(0).U8(3).U8(0).U8(1).str(), "a delta past the image"},
      {Bytes().U8(0).U8(0).U8(0).U8(0).U8(1).U8(0).U8(0).U8(1).str(), "a run above the top row"},
      {Bytes().U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(1).str(), "an end of line past the top row"},
      {Bytes().U8(5).U8(0).U8(0).U8(0).str(), "codes that end before the picture"},
      {Bytes().U8(0).U8(4).U8(0).U8(0).str(), "an absolute run cut short"},
      {Bytes().U8(0).U8(2).U8(1).str(), "a delta cut short"},
  };
  for (const Case& c : cases) ExpectRefused(WithFileHeader(header, c.codes), kConversionError, c.what);
  // Filling the stored row and stopping after the last row's end of line are fine.
  Decoded filled = DecodeBytes(WithFileHeader(header, Bytes().U8(8).U8(0).U8(0).U8(0).U8(3).U8(0).U8(0).U8(0).str()));
  ASSERT_TRUE(filled.ok);
  EXPECT_EQ(PixelAt(filled, 4, 0), 0x808080u);
  EXPECT_EQ(PixelAt(filled, 3, 1), 0u);
  // The same rules for 4-bit codes: a 5-pixel row is stored as 8.
  std::string header4 = InfoHeader(5, 1, 4, kBiRle4, 1) + Bytes().Bgr0(0x808080).str();
  EXPECT_TRUE(DecodeBytes(WithFileHeader(header4, Bytes().U8(8).U8(0).U8(0).U8(1).str())).ok);
  ExpectRefused(WithFileHeader(header4, Bytes().U8(9).U8(0).U8(0).U8(1).str()), kConversionError, "4-bit run");
  ExpectRefused(WithFileHeader(header4, Bytes().U8(0).U8(9).Raw(std::string(6, '\0')).U8(0).U8(1).str()),
                kConversionError, "4-bit absolute run");
}

}  // namespace
