// The scene's sixteen textures and the model's texture, made in a real offscreen OpenGL context from bitmaps
// written into a temporary working directory.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/gl.h"
#include "scene/textures.h"
#include "tests/image/bmp_files.h"
#include "tests/support/game_test.h"

namespace {

using namespace bmp_test;

const char* const kSlotFiles[kSceneTextureCount] = {
    "floor1.bmp", "door1.bmp",  "wall1.bmp",     "crate.bmp", "sand.bmp",  "tree.bmp",   "green.bmp",  "title.bmp",
    "red.bmp",    "energy.bmp", "brick1.bmp", "waterfall.bmp", "door2.bmp", "intro.bmp", "pressX.bmp", "waterfall2.bmp",
};

uint32_t SlotColour(int slot) { return (slot * 16u + 15) << 16 | (15u - slot) * 16 << 8 | 0x40u; }

// The texture bound to GL_TEXTURE_2D, read back as RGB bytes, first texel first.
std::vector<uint8_t> ReadBoundTexture(int* width, int* height) {
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
  std::vector<uint8_t> texels(static_cast<size_t>(*width) * *height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  return texels;
}

// The bound texture was uploaded as the game uploads: three components without alpha at its own size, one
// level, linear filtering both ways, OpenGL's default repeat wrapping.
void ExpectGameUpload() {
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
  EXPECT_EQ(value, 3) << "internal format: three components, as asked";
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &value);
  EXPECT_EQ(value, 0) << "alpha bits";
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &value);
  EXPECT_EQ(value, 0) << "no second level";
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR) << "minification";
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR) << "magnification";
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT) << "wrap s";
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_REPEAT) << "wrap t";
}

// Makes a texture name and returns it: in a fresh context, the probes' names run 1, 2, ... unless something
// else made names in between.
GLuint ProbeTextureName() {
  GLuint name = 0;
  glGenTextures(1, &name);
  return name;
}

class SceneTextures : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // The backend's reset destroys every context, so ours lives between the resets.
    context_.emplace(64, 64);
    ASSERT_TRUE(context_->ok());
  }
  void TearDown() override {
    context_.reset();
    GameTest::TearDown();
  }

  void WriteAllSlots() {
    for (int slot = 0; slot < kSceneTextureCount; slot++) {
      directory_.Write(kSlotFiles[slot], bmp::SolidPicture(slot % 2 ? 3 : 4, 2 + slot % 3, SlotColour(slot)));
    }
  }

  ScopedWorkingDirectory directory_;
  std::optional<ScriptedGlContext> context_;
};

TEST_F(SceneTextures, SixteenFilesBecomeSixteenTexturesInSlotOrder) {
  WriteAllSlots();
  ASSERT_EQ(LoadSceneTextures(), 1);
  std::set<uint32_t> names(g_game.textures.names, g_game.textures.names + kSceneTextureCount);
  EXPECT_EQ(names.size(), 16u);
  EXPECT_EQ(names.count(0), 0u);
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    SCOPED_TRACE(kSlotFiles[slot]);
    EXPECT_TRUE(glIsTexture(g_game.textures.names[slot]));
    glBindTexture(GL_TEXTURE_2D, g_game.textures.names[slot]);
    int width, height;
    std::vector<uint8_t> texels = ReadBoundTexture(&width, &height);
    EXPECT_EQ(width, slot % 2 ? 3 : 4);
    EXPECT_EQ(height, 2 + slot % 3);
    // Every texel, rows of 9 bytes included, is the file's colour.
    for (size_t i = 0; i < texels.size(); i += 3) {
      ASSERT_EQ(texels[i] << 16 | texels[i + 1] << 8 | texels[i + 2], static_cast<int>(SlotColour(slot))) << i;
    }
    ExpectGameUpload();
  }
  GLint alignment;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4) << "the unpack alignment is put back after the upload";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_TRUE(Scripted().message_boxes.empty());
}

TEST_F(SceneTextures, TheBitmapsBottomLeftPixelIsTheFirstTexel) {
  WriteAllSlots();
  Bytes pixels;
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 64; x++) pixels.Bgr(static_cast<uint32_t>(x << 16 | y << 8 | 0x80));
  }
  directory_.Write("floor1.bmp", WithFileHeader(InfoHeader(64, 32, 24), pixels.str()));
  ASSERT_EQ(LoadSceneTextures(), 1);
  glBindTexture(GL_TEXTURE_2D, g_game.textures.names[0]);
  int width, height;
  std::vector<uint8_t> texels = ReadBoundTexture(&width, &height);
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 32);
  EXPECT_EQ(texels[0], 0);
  EXPECT_EQ(texels[1], 0);
  EXPECT_EQ(texels[2], 0x80);
  // The last texel is the top-right pixel.
  EXPECT_EQ(texels[texels.size() - 3], 63);
  EXPECT_EQ(texels[texels.size() - 2], 31);
}

TEST_F(SceneTextures, AMissingBitmapStopsTheSetBeforeAnyTextureIsMade) {
  WriteAllSlots();
  remove("title.bmp");
  // A broken file after the missing one is never read; one before it is, and says so.
  directory_.Write("red.bmp", "broken");
  for (uint32_t& name : g_game.textures.names) name = 0;
  EXPECT_EQ(LoadSceneTextures(), 0);
  EXPECT_TRUE(Scripted().message_boxes.empty());
  for (uint32_t name : g_game.textures.names) EXPECT_EQ(name, 0u);
  EXPECT_EQ(ProbeTextureName(), 1u) << "no texture name was made";

  directory_.Write("green.bmp", "broken");
  EXPECT_EQ(LoadSceneTextures(), 0);
  ASSERT_EQ(Scripted().message_boxes.size(), 1u);
  EXPECT_EQ(Scripted().message_boxes[0].text, "Unknown DIB file format.");
  EXPECT_EQ(ProbeTextureName(), 2u);
}

TEST_F(SceneTextures, TheModelTextureIsAlwaysThePotion) {
  EXPECT_EQ(LoadModelTexture("potion.bmp"), 7u) << "no potion: the stand-in name";
  EXPECT_EQ(ProbeTextureName(), 1u) << "no texture was made";
  EXPECT_TRUE(Scripted().message_boxes.empty());

  directory_.Write("potion.bmp", bmp::SolidPicture(5, 3, 0x2080C0));
  directory_.Write("other.bmp", bmp::SolidPicture(2, 2, 0xFFFFFF));
  uint32_t first = LoadModelTexture("other.bmp");
  uint32_t second = LoadModelTexture("");
  EXPECT_NE(first, second) << "each call makes a texture of its own";
  for (uint32_t name : {first, second}) {
    glBindTexture(GL_TEXTURE_2D, name);
    int width, height;
    std::vector<uint8_t> texels = ReadBoundTexture(&width, &height);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);
    EXPECT_EQ(texels[texels.size() - 3] << 16 | texels[texels.size() - 2] << 8 | texels.back(), 0x2080C0);
    ExpectGameUpload();
  }
}

}  // namespace
