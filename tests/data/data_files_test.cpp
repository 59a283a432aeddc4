// The shipped pictures, sounds and level plan, read with the game's own loaders. Run in data/.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "app/globals.h"
#include "image/bitmap.h"
#include "platform/scripted/scripted.h"
#include "scene/textures.h"
#include "tests/support/files.h"
#include "tests/support/game_test.h"

namespace {

// The sixteen scene bitmaps and the model's texture.
std::vector<std::string> Bitmaps() {
  std::vector<std::string> names;
  for (int slot = 0; slot < kSceneTextureCount; slot++) names.push_back(SceneTextureFile(slot));
  names.push_back("potion.bmp");
  return names;
}

uint32_t U32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

struct Decoded {
  ImageRGB* image = nullptr;
  explicit Decoded(const char* name) : image(LoadBitmapFile(name)) {}
  ~Decoded() { FreeImage(image); }
  const uint8_t* At(int x, int y) const { return image->data + (size_t(y) * image->width + x) * 3; }
};

class ShippedBitmaps : public GameTest {};

TEST_F(ShippedBitmaps, EveryBitmapDecodesWithTheGameDecoderAtATextureSize) {
  for (const std::string& name : Bitmaps()) {
    SCOPED_TRACE(name);
    Decoded decoded(name.c_str());
    ASSERT_NE(nullptr, decoded.image);
    EXPECT_TRUE(PowerOfTwo(decoded.image->width)) << decoded.image->width;
    EXPECT_TRUE(PowerOfTwo(decoded.image->height)) << decoded.image->height;
    EXPECT_GE(decoded.image->width, 64);
    EXPECT_LE(decoded.image->width, 256);
    EXPECT_GE(decoded.image->height, 64);
    EXPECT_LE(decoded.image->height, 256);
    EXPECT_EQ(0, decoded.image->width * 3 % 4) << "rows are uploaded with an alignment of 4";
  }
  EXPECT_TRUE(Scripted().message_boxes.empty());
}

TEST_F(ShippedBitmaps, ExerciseTheDecodersEncodings) {
  // Header size, bits per pixel and compression of each file, as the recipes write them.
  std::set<std::string> kinds;
  for (const std::string& name : Bitmaps()) {
    std::string b = ReadFileBytes(name);
    ASSERT_GE(b.size(), 26u) << name;
    ASSERT_EQ("BM", b.substr(0, 2)) << name;
    uint32_t header = U32(b, 14);
    if (header == 12) {
      kinds.insert("core " + std::to_string(U16(b, 24)));
    } else {
      ASSERT_EQ(40u, header) << name;
      kinds.insert(std::to_string(U16(b, 28)) + (U32(b, 30) == 1 ? " rle" : ""));
    }
  }
  for (const char* kind : {"24", "8", "4", "8 rle", "core 8"}) EXPECT_TRUE(kinds.count(kind)) << kind;
}

TEST_F(ShippedBitmaps, SceneTexturesAndTheModelTextureUpload) {
  ScriptedGlContext context;
  ASSERT_TRUE(context.ok());
  ASSERT_EQ(1, LoadSceneTextures());
  std::set<uint32_t> names(g_game.textures.names, g_game.textures.names + kSceneTextureCount);
  EXPECT_EQ(16u, names.size());
  EXPECT_NE(7u, LoadModelTexture("anything.bmp"));
  EXPECT_TRUE(Scripted().message_boxes.empty());
}

TEST_F(ShippedBitmaps, TitlePictureIsNotBlank) {
  Decoded title("pressX.bmp");
  ASSERT_NE(nullptr, title.image);
  std::set<uint32_t> colours;
  int darkest = 255 * 3, brightest = 0;
  for (int y = 0; y < title.image->height; ++y) {
    for (int x = 0; x < title.image->width; ++x) {
      const uint8_t* p = title.At(x, y);
      colours.insert(uint32_t(p[0]) << 16 | p[1] << 8 | p[2]);
      darkest = std::min(darkest, p[0] + p[1] + p[2]);
      brightest = std::max(brightest, p[0] + p[1] + p[2]);
    }
  }
  EXPECT_GT(colours.size(), 200u);
  EXPECT_GT(brightest - darkest, 3 * 160) << "the lettering must stand out from the background";
}

// Texture coordinates in the level repeat these pictures, so their left and right edges, and their top and
// bottom rows, must meet as smoothly as any two neighbouring columns inside the picture.
double EdgeStep(const Decoded& d, bool across_x, int a, int b) {
  double sum = 0;
  int n = across_x ? d.image->height : d.image->width;
  for (int k = 0; k < n; ++k) {
    const uint8_t* p = across_x ? d.At(a, k) : d.At(k, a);
    const uint8_t* q = across_x ? d.At(b, k) : d.At(k, b);
    for (int c = 0; c < 3; ++c) sum += std::abs(p[c] - q[c]);
  }
  return sum / n;
}

TEST_F(ShippedBitmaps, RepeatingTexturesTileWithoutSeams) {
  for (const char* name : {"floor1.bmp", "wall1.bmp", "brick1.bmp", "sand.bmp", "green.bmp", "waterfall.bmp",
                           "waterfall2.bmp"}) {
    SCOPED_TRACE(name);
    Decoded d(name);
    ASSERT_NE(nullptr, d.image);
    for (bool across_x : {true, false}) {
      int size = across_x ? d.image->width : d.image->height;
      double inside = 0;
      for (int k = 0; k + 1 < size; ++k) inside += EdgeStep(d, across_x, k, k + 1);
      inside /= size - 1;
      double seam = EdgeStep(d, across_x, size - 1, 0);
      EXPECT_LT(seam, inside * 2.5 + 4) << (across_x ? "left/right" : "top/bottom") << " seam " << seam
                                        << " against " << inside << " inside";
    }
  }
}

// The WAV files as the platform's sound layer reads them: RIFF, PCM, mono, 22050 Hz, 16-bit.
struct Wave {
  bool ok = false;
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  std::vector<int16_t> samples;
};

Wave ReadWave(const std::string& name) {
  Wave w;
  std::string b = ReadFileBytes(name);
  if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return w;
  if (U32(b, 4) + 8 != b.size()) return w;
  bool have_format = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    std::string id = b.substr(at, 4);
    uint32_t size = U32(b, at + 4);
    if (size > b.size() - at - 8) return w;
    if (id == "fmt " && size >= 16) {
      w.format = U16(b, at + 8);
      w.channels = U16(b, at + 10);
      w.rate = U32(b, at + 12);
      w.bits = U16(b, at + 22);
      have_format = true;
    } else if (id == "data" && have_format) {
      for (uint32_t k = 0; k + 1 < size; k += 2) w.samples.push_back(int16_t(U16(b, at + 8 + k)));
      w.ok = true;
    }
    at += 8 + size + (size & 1);
  }
  return w;
}

TEST(ShippedSounds, AreMonoPcmAt22050HzIn16BitsAndAtMost30Seconds) {
  for (const char* name : {"plokhello.wav", "plokitsme.wav", "plokstart.wav", "track2.wav"}) {
    SCOPED_TRACE(name);
    Wave w = ReadWave(name);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(1, w.format);
    EXPECT_EQ(1, w.channels);
    EXPECT_EQ(22050u, w.rate);
    EXPECT_EQ(16, w.bits);
    EXPECT_GT(w.samples.size(), 22050u / 4);
    EXPECT_LE(w.samples.size(), 30u * 22050);
    int loudest = 0;
    for (int16_t s : w.samples) loudest = std::max(loudest, std::abs(int(s)));
    EXPECT_GT(loudest, 8000) << "too quiet to hear";
  }
}

TEST(ShippedSounds, VoiceClipsEndBeforeTheNextRequestCutsThemOff) {
  // The cycle requests the clips at ticks 1, 15 and 27 and the music at 37; a tick is 6 frames of 20 ms.
  const struct {
    const char* name;
    int ticks_until_next;
  } clips[] = {{"plokhello.wav", 14}, {"plokitsme.wav", 12}, {"plokstart.wav", 10}};
  for (const auto& clip : clips) {
    Wave w = ReadWave(clip.name);
    ASSERT_TRUE(w.ok) << clip.name;
    double seconds = double(w.samples.size()) / 22050;
    EXPECT_LT(seconds, clip.ticks_until_next * 6 * 0.020) << clip.name;
  }
}

TEST(ShippedSounds, MusicLoopsWithoutAClick) {
  Wave w = ReadWave("track2.wav");
  ASSERT_TRUE(w.ok);
  ASSERT_GT(w.samples.size(), 22050u * 10);
  // Where the loop joins, the last sample runs into the first: both near silence.
  EXPECT_LT(std::abs(int(w.samples.front())), 300);
  EXPECT_LT(std::abs(int(w.samples.back())), 300);
  EXPECT_LT(std::abs(int(w.samples.front()) - int(w.samples.back())), 300);
}

TEST(LevelPlan, ShippedLevelDrawsWithItsBoxesAndStart) {
  const char* tool = getenv("GORVANE_ASSETS");
  if (tool == nullptr) GTEST_SKIP() << "GORVANE_ASSETS names the asset tool";
  ScopedWorkingDirectory scratch;
  std::string world = SourceDir() +
                      "/data/world.dat";
  std::string command = std::string(tool) + " world " + world + " --svg plan.svg >/dev/null 2>&1";
  ASSERT_EQ(0, system(command.c_str()));
  std::string svg = ReadFileBytes("plan.svg");
  ASSERT_EQ(0u, svg.find("<?xml"));
  EXPECT_NE(std::string::npos, svg.find("</svg>"));
  auto count = [&](const std::string& what) {
    size_t n = 0;
    for (size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(11u, count("stroke=\"#d00000\" stroke-width=\"1.5\"")) << "the eleven collision boxes";
  EXPECT_EQ(1u, count("stroke-dasharray=\"8 4\"")) << "the walkable rectangle";
  EXPECT_GT(count("<line "), 100u) << "upright surfaces are drawn as lines";
  EXPECT_GT(count("<polygon "), 300u) << "flat surfaces are drawn as footprints";
  EXPECT_NE(std::string::npos, svg.find("id=\"start\""));

  // A plan that cannot be written is a failure of the command, not a silent success.
  std::string unwritable = std::string(tool) + " world " + world + " --svg no-such-dir/plan.svg >/dev/null 2>&1";
  int status = system(unwritable.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

}  // namespace
