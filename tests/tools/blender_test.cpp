// Levels and Blender, with the real Blender: a level built by a Blender script comes in through glTF and OBJ as
// its geometry says, and the shipped level, exported as glTF or glTF Binary, opens in Blender whole and comes
// back with a picture painted there. Skipped, with the reason, where Blender or its glTF exporter's numpy cannot
// run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "scene/textures.h"
#include "tests/support/game_test.h"
#include "tests/support/png_read.h"
#include "tests/support/tool_run.h"

namespace {

std::string Scripts() { return SourceDir() + "/tests/tools/blender/"; }

// Runs a script in Blender without a window; its output goes to blender.txt. A Python error fails the run.
bool RunBlender(const std::string& arguments) {
  const std::string command = "blender -b --factory-startup --python-exit-code 1 " + arguments + " >blender.txt 2>&1";
  return system(command.c_str()) == 0;
}

class BlenderLevels : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    if (IsSkipped()) return;
    static const std::string failure =
        RunBlender("--python-expr 'import numpy'") ? "" : "no Blender with numpy here: " + ReadFileBytes("blender.txt");
    if (!failure.empty()) GTEST_SKIP() << failure << " (scripts/setup.sh test installs blender and python3-numpy)";
    if (RunTool("import").err.find("built without") != std::string::npos) GTEST_SKIP() << "no import in this build";
  }
};

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Which of the four quadrant colours a pixel shows through the fog, or '?'.
char Quadrant(const std::vector<uint8_t>& picture, int x, int y) {
  const uint8_t* p = &picture[(static_cast<size_t>(y) * 640 + x) * 3];
  const bool r = p[0] > 190, g = p[1] > 190, b = p[2] > 190;
  if (r && g && p[2] < 100) return 'Y';
  if (r && p[1] < 100 && p[2] < 100) return 'R';
  if (g && p[0] < 100 && p[2] < 100) return 'G';
  if (b && p[0] < 100 && p[1] < 100) return 'B';
  return '?';
}

TEST_F(BlenderLevels, ALevelMadeInBlenderComesInThroughGltfAndObjAsItsGeometrySays) {
  ASSERT_TRUE(RunBlender("-P '" + Scripts() + "make_level.py' -- '" + directory_.path() + "'"))
      << ReadFileBytes("blender.txt");
  WriteSceneBitmaps();
  directory_.Write("wall1.bmp", bmp::QuadrantPicture(4, 4, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00}));
  for (const char* scene : {"level.gltf", "level.obj"}) {
    ToolRun run = RunTool(std::string("import ") + scene + " --out world.dat");
    ASSERT_EQ(run.exit_code, 0) << scene << ": " << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find("\ncrate.bmp: ")),
              "slot 0 (floor1): 2 triangles\nslot 2 (wall1): 4 triangles\nslot 3 (crate): 12 triangles\n"
              "bounds: x -8..16, y 0..1.2, z -8..16")
        << scene << ": " << run.out;
    // The crate's picture, which Blender saved beside both scenes, becomes its bitmap once.
    EXPECT_NE(run.out.find(scene == std::string("level.gltf") ? "\ncrate.bmp: written from crate.png (4 x 4)\n"
                                                              : "\ncrate.bmp: kept, crate.png has its pixels\n"),
              std::string::npos)
        << scene << ": " << run.out;
    // The stray wall's two triangles stand in open ground; the wall in box 2 guards its west edge, and its east
    // edge, over two units away, has none.
    EXPECT_EQ(Count(run.out, " stands in open ground from (8, 10) to (12, 10)\n"), 2u) << scene << ": " << run.out;
    EXPECT_NE(run.out.find("\ncollision: 2 walls in open ground, "), std::string::npos) << scene;
    EXPECT_EQ(run.out.find("box 2 (x 2..6, z -4..4): west edge"), std::string::npos) << scene;
    EXPECT_NE(run.out.find("box 2 (x 2..6, z -4..4): east edge from z=-4 to z=4 has no wall"), std::string::npos)
        << scene;
    // From eight units west of the wall, facing east: the texture's quadrants where Blender shows them.
    ToolRun view = RunTool("view . --at -5.5,0,270 --tick 3 --png view.png");
    ASSERT_EQ(view.exit_code, 0) << view.err;
    int width = 0, height = 0;
    const std::vector<uint8_t> picture = ReadPng("view.png", &width, &height);
    ASSERT_EQ(width * height, 640 * 480);
    EXPECT_EQ(std::string({Quadrant(picture, 175, 236), Quadrant(picture, 465, 236), Quadrant(picture, 175, 193),
                           Quadrant(picture, 465, 193)}),
              "RGBY")
        << scene << ": bottom left, bottom right, top left, top right";
  }
}

TEST_F(BlenderLevels, TheExportedShippedLevelOpensInBlenderAndComesBackWithAPaintedPicture) {
  const std::string data = SourceDir() + "/data";
  std::vector<std::string> bitmaps;
  for (int slot = 0; slot < 16; ++slot) {
    bitmaps.push_back(ReadFileBytes(data + "/" + SceneTextureFile(slot)));
    directory_.Write(SceneTextureFile(slot), bitmaps.back());
  }
  std::filesystem::create_directory("painted");
  for (const std::string scene : {"valley.gltf", "valley.glb"}) {
    ToolRun exported = RunTool("export '" + data + "/world.dat' --out " + scene);
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    ASSERT_TRUE(RunBlender("-P '" + Scripts() + "open_level.py' -- " + scene + " painted/" + scene))
        << ReadFileBytes("blender.txt");
    // A mesh per run of one slot (65), a material per slot used (14), and the collision outlines and start
    // arrow with their material.
    EXPECT_NE(ReadFileBytes("blender.txt")
                  .find("opened: 67 meshes, 15 materials, 1784 faces, 48 collision edges, 14 pictures\n"),
              std::string::npos)
        << scene << ": " << ReadFileBytes("blender.txt");
    // The painted picture comes back pixel for pixel, bottom row first as Blender shows it; the others are kept.
    ToolRun imported = RunTool("import painted/" + scene + " --out world.dat");
    ASSERT_EQ(imported.exit_code, 0) << imported.err;
    EXPECT_NE(imported.out.find("\nwall1.bmp: written from wall1"), std::string::npos) << imported.out;
    EXPECT_EQ(Count(imported.out, ": kept, "), 13u) << imported.out;
    ImageRGB* wall = LoadBitmapFile("wall1.bmp");
    ASSERT_NE(wall, nullptr);
    ASSERT_EQ(std::make_pair(wall->width, wall->height), std::make_pair(128, 128));
    for (int y = 0, i = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x, i += 3) {
        ASSERT_EQ(std::vector<int>(wall->data + i, wall->data + i + 3),
                  std::vector<int>({(x + 2 * y) % 256, 3 * x % 256, 2 * y % 256}))
            << scene << ": pixel " << x << ", " << y;
      }
    }
    FreeImage(wall);
    for (int slot = 0; slot < 16; ++slot) {
      EXPECT_EQ(ReadFileBytes(SceneTextureFile(slot)) == bitmaps[slot], slot != 2) << scene << SceneTextureFile(slot);
    }
    directory_.Write("wall1.bmp", bitmaps[2]);
  }
}

}  // namespace
