// gorvane-assets import and export, run as a level maker runs them: materials to slots, what a bad scene gets,
// and the shipped level through glTF and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "scene/world_reader.h"
#include "tests/support/png_read.h"
#include "tests/support/tool_run.h"

namespace {

class SceneTool : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    if (IsSkipped()) return;
    ToolRun probe = RunTool("import");
    if (probe.err.find("built without") != std::string::npos) GTEST_SKIP() << probe.err;
  }
};

// The triangles the game's loader reads from a world file.
std::vector<WorldTriangle> Loaded(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  World world;
  EXPECT_TRUE(ParseWorld(text.data(), text.size(), &world, nullptr)) << path;
  std::vector<WorldTriangle> triangles(world.triangles, world.triangles + world.triangle_count);
  ReleaseWorld(&world);
  return triangles;
}

// A square of two triangles at height y, under the material in effect (OBJ's corners count from 1).
std::string ObjSquare(int first, float y, bool with_uvs) {
  std::string text;
  for (const char* xz : {"0 0", "1 0", "1 -1", "0 -1"}) {
    std::string corner(xz);
    text += "v " + corner.substr(0, 1) + " " + std::to_string(y) + " " + corner.substr(2) + "\n";
  }
  if (with_uvs) text += "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
  text += "f";
  for (int k = 0; k < 4; ++k) {
    const std::string index = std::to_string(first + k);
    text.append(" ").append(index);
    if (with_uvs) text.append("/").append(index);
  }
  return text + "\n";
}

TEST_F(SceneTool, MaterialsTakeSlotsByNameByTextureOrByTheSlotOption) {
  directory_.Write("level.mtl",
                   "newmtl Wall1.001\nnewmtl Stone\nmap_Kd textures/Crate.PNG\nnewmtl Grass\nnewmtl rock\n");
  directory_.Write("level.obj", "mtllib level.mtl\no Walls\nusemtl Wall1.001\n" + ObjSquare(1, 0, true) +
                                    "o Crates\nusemtl Stone\n" + ObjSquare(5, 1, true) + "o Lawn\nusemtl Grass\n" +
                                    ObjSquare(9, 2, false) + "o Rocks\nusemtl rock\n" + ObjSquare(13, 3, true) +
                                    "l 1 2\n");
  directory_.Write("world.dat", "NUMPOLLIES 0\n");
  ToolRun run = RunTool("import level.obj --out world.dat --scale 2 --slot GRASS=green --slot rock.002=10");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find("8 triangles\n")),
            "slot 2 (wall1): 2 triangles\nslot 3 (crate): 2 triangles\nslot 6 (green): 2 triangles\n"
            "slot 10 (brick1): 2 triangles\nbounds: x 0..2, y 0..6, z -2..0\n");
  EXPECT_NE(run.out.find("\ncollision: "), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("1 line skipped (in Rocks)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Lawn has no texture coordinates"), std::string::npos) << run.err;
  // OBJ keeps texture coordinates bottom-up, as the game does: they come through as they are, scaled not.
  const std::vector<WorldTriangle> triangles = Loaded("world.dat");
  ASSERT_EQ(triangles.size(), 8u);
  const WorldVertex& corner = triangles[0].vertices[1];
  EXPECT_EQ(std::vector<float>({corner.x, corner.y, corner.z, corner.u, corner.v}),
            std::vector<float>({2, 0, 0, 1, 0}));
}

TEST_F(SceneTool, BadScenesExit1AndLeaveTheWorldAsItWas) {
  directory_.Write("broken.gltf", "{ \"asset\": { \"version\": ");
  directory_.Write("lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n");
  directory_.Write("unnamed.mtl", "newmtl Material.001\nnewmtl Stone\nmap_Kd rock.png\n");
  directory_.Write("unnamed.obj", "mtllib unnamed.mtl\no Hut\nusemtl Material.001\n" + ObjSquare(1, 0, true) +
                                      "o Cliff\nusemtl Stone\n" + ObjSquare(5, 1, true));
  directory_.Write("tower.obj", "o Tower\nv 0 0 0\nv 1 0 0\nv 0 3e38 0\nf 1 2 3\n");
  struct Case {
    const char* arguments;
    int exit_code;
    const char* says;
  } cases[] = {
      {"broken.gltf", 1, "broken.gltf: cannot be read as a scene: "},
      {"lines.obj", 1, "lines.obj: the scene holds no triangles"},
      {"unnamed.obj", 1,
       "unnamed.obj: 2 materials have no texture slot:\n  \"Material.001\", used by Hut\n  \"Stone\", texture "
       "rock.png, used by Cliff\nName a material, or its base-colour texture file, after a scene texture (0 floor1, "
       "1 door1, 2 wall1, 3 crate,"},
      {"tower.obj --scale 10 --slot DefaultMaterial=crate", 1, "tower.obj: Tower has a corner whose position or "},
      {"unnamed.obj --slot Stone=rock", 2, "rock is neither a slot number 0 to 15 nor a scene texture's name"},
      {"unnamed.obj --slot Stone=16", 2, "16 is neither"},
      {"unnamed.obj --scale 0", 2, "usage: gorvane-assets import"},
  };
  for (const Case& c : cases) {
    directory_.Write("world.dat", "as it was");
    ToolRun run = RunTool(std::string("import ") + c.arguments + " --out world.dat");
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_EQ(ReadFileBytes("world.dat"), "as it was") << c.arguments;
  }
  // Nothing is left beside the world file.
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find("world.dat."), std::string::npos) << entry.path();
  }
}

TEST_F(SceneTool, TheShippedLevelComesBackFromGltfTriangleForTriangle) {
  const std::string data = SourceDir() + "/data";
  std::filesystem::create_directory("scene");
  ToolRun exported = RunTool("export '" + data + "/world.dat' --out scene/valley.gltf");
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  const std::string gltf = ReadFileBytes("scene/valley.gltf");
  for (const char* part : {"\"name\": \"collision\"", "\"name\": \"start\"", "\"mode\": 1", "\"uri\": \"wall1.png\""}) {
    EXPECT_NE(gltf.find(part), std::string::npos) << part;
  }
  // The texture beside it is the bitmap, top row first.
  ImageRGB* bitmap = LoadBitmapFile((data + "/wall1.bmp").c_str());
  ASSERT_NE(bitmap, nullptr);
  int width = 0, height = 0;
  const std::vector<uint8_t> png = ReadPng("scene/wall1.png", &width, &height);
  ASSERT_EQ(std::make_pair(width, height), std::make_pair(bitmap->width, bitmap->height));
  const size_t row = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    ASSERT_EQ(memcmp(png.data() + row * y, bitmap->data + row * (height - 1 - y), row), 0) << "row " << y;
  }
  FreeImage(bitmap);

  ToolRun imported = RunTool("import scene/valley.gltf --out world.dat");
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_NE(imported.out.find("\ncollision: 0 walls in open ground, 0 edge stretches with no wall\n"),
            std::string::npos)
      << imported.out;
  EXPECT_NE(imported.err.find("51 lines skipped (in collision, start)"), std::string::npos) << imported.err;
  // Beside it, numbers a float away from short ones, at the ends of the range and of the fast digits, and -0.
  directory_.Write("tricky.dat", "NUMPOLLIES 1\n3\n0.49999997 0.50000006 -0 0.1 0.25\n1e-07 123456.79 -3.3917 "
                                 "16777216 -1.0417\n1.17549435e-38 -7.0000005 3e+38 0.33333334 0.1833\n");
  ASSERT_EQ(RunTool("export tricky.dat --out scene/tricky.gltf").exit_code, 0);
  ASSERT_EQ(RunTool("import scene/tricky.gltf --out tricky-back.dat").exit_code, 0);
  // The same triangles in the same order, which decides what shows where faces share a plane: every number
  // as the game read it.
  for (const auto& [level, back_file] :
       {std::pair{data + "/world.dat", "world.dat"}, {"tricky.dat", "tricky-back.dat"}}) {
    const std::vector<WorldTriangle> triangles = Loaded(level);
    const std::vector<WorldTriangle> back = Loaded(back_file);
    ASSERT_EQ(back.size(), triangles.size()) << level;
    for (size_t i = 0; i < back.size(); ++i) {
      ASSERT_EQ(memcmp(&back[i], &triangles[i], sizeof(WorldTriangle)), 0) << level << ", triangle " << i;
    }
  }
}

}  // namespace
