// gorvane-assets import and export, run as a level maker runs them: materials to slots, what a bad scene gets,
// the materials' pictures as the slots' bitmaps, and the shipped level through glTF and back.
#include <gtest/gtest.h>
#if __has_include(<assimp/Importer.hpp>)
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "scene/world_reader.h"
#include "tests/image/bmp_files.h"
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
                   "newmtl Floor1.001\nmap_Kd crate.png\nnewmtl Stone\nmap_Kd textures/Crate.PNG\nnewmtl Grass\n"
                   "newmtl rock\n");
  directory_.Write("level.obj", "mtllib level.mtl\no Walls\nusemtl Floor1.001\n" + ObjSquare(1, 0, true) +
                                    "o Crates\nusemtl Stone\n" + ObjSquare(5, 1, true) + "o Lawn\nusemtl Grass\n" +
                                    ObjSquare(9, 2, false) + "o Rocks\nusemtl rock\n" + ObjSquare(13, 3, true) +
                                    "l 1 2\nl 2 3\np 3\n");
  directory_.Write("world.dat", "NUMPOLLIES 0\n");
  ToolRun run = RunTool("import level.obj --out world.dat --scale 2 --slot GRASS=green --slot rock.002=10 --no-bitmaps");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find("8 triangles\n")),
            "slot 0 (floor1): 2 triangles\nslot 3 (crate): 2 triangles\nslot 6 (green): 2 triangles\n"
            "slot 10 (brick1): 2 triangles\nbounds: x 0..2, y 0..6, z -2..0\nbitmaps left alone: all sixteen "
            "(--no-bitmaps)\n");
  EXPECT_FALSE(std::filesystem::exists("crate.bmp"));
  EXPECT_NE(run.out.find("\ncollision: "), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("1 point and 2 lines skipped (in Rocks)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Lawn has no texture coordinates"), std::string::npos) << run.err;
  // OBJ keeps texture coordinates bottom-up, as the game does: they come through as they are, scaled not.
  const std::vector<WorldTriangle> triangles = Loaded("world.dat");
  ASSERT_EQ(triangles.size(), 8u);
  const WorldVertex& corner = triangles[0].vertices[1];
  EXPECT_EQ(std::vector<float>({corner.x, corner.y, corner.z, corner.u, corner.v}),
            std::vector<float>({2, 0, 0, 1, 0}));
  // So does COLLADA, whose reader names its format as glTF's does; only glTF's are turned over and have the round
  // trip's error taken out (0.100000024 would become 0.1).
  directory_.Write("corner.dae", R"(<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_effects><effect id="e"><profile_COMMON><technique sid="t"><lambert/></technique></profile_COMMON></effect>
</library_effects><library_materials><material id="crate"><instance_effect url="#e"/></material></library_materials>
<library_geometries><geometry id="g"><mesh><source id="p"><float_array id="pa" count="9">
0 0 0 1 0 0 0 1 0</float_array><technique_common><accessor source="#pa" count="3" stride="3">
<param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor>
</technique_common></source><source id="u"><float_array id="ua" count="6">0 0 1 0 0 0.100000024</float_array>
<technique_common><accessor source="#ua" count="3" stride="2"><param name="S" type="float"/>
<param name="T" type="float"/></accessor></technique_common></source><vertices id="v">
<input semantic="POSITION" source="#p"/></vertices><triangles material="m" count="1">
<input semantic="VERTEX" source="#v" offset="0"/><input semantic="TEXCOORD" source="#u" offset="1" set="0"/><p>
0 0 1 1 2 2</p></triangles></mesh></geometry></library_geometries><library_visual_scenes><visual_scene id="s">
<node id="n"><instance_geometry url="#g"><bind_material><technique_common>
<instance_material symbol="m" target="#crate"/></technique_common></bind_material></instance_geometry></node>
</visual_scene></library_visual_scenes><scene><instance_visual_scene url="#s"/></scene></COLLADA>)");
  ASSERT_EQ(RunTool("import corner.dae --out world.dat --no-bitmaps").exit_code, 0);
  const WorldTriangle dae = Loaded("world.dat").at(0);
  EXPECT_EQ(std::max({dae.vertices[0].v, dae.vertices[1].v, dae.vertices[2].v}), 0.100000024f);
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
      // A slot rule needs a name, an equals sign and a slot.
      {"unnamed.obj --slot Stone", 2, "usage: gorvane-assets import"},
      {"unnamed.obj --slot =3", 2, "usage: gorvane-assets import"},
      {"unnamed.obj --slot Stone=", 2, "usage: gorvane-assets import"},
  };
  for (const Case& c : cases) {
    directory_.Write("world.dat", "as it was");
    ToolRun run = RunTool(std::string("import ") + c.arguments + " --out world.dat");
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_EQ(ReadFileBytes("world.dat"), "as it was") << c.arguments;
  }
  // An option at the end of the command line, without its value, or with an empty one.
  for (const char* last : {"--out", "--scale", "--slot", "--out ''"}) {
    EXPECT_EQ(RunTool(std::string("import unnamed.obj --slot Stone=wall1 ") + last).exit_code, 2) << last;
  }
  // Nothing is left beside the world file.
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find("world.dat."), std::string::npos) << entry.path();
  }
}

// Nothing is left of the files an import writes beside their places first.
void ExpectNoTemporaries(const std::string& label) {
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find(".new"), std::string::npos) << label << entry.path();
  }
}

TEST_F(SceneTool, TheMaterialsPicturesBecomeTheirSlotsBitmapsOrNothingIsWritten) {
  if (!bmp_test::HaveConvert()) GTEST_SKIP() << bmp_test::kConvert << " is not installed";
  // Made by an independent encoder: a palette PNG in a folder with a space, a 16-bit grey PNG whose values an
  // 8-bit cut would get wrong, a half-transparent PNG, a JPEG, and sizes the game's OpenGL does not take.
  directory_.Write("quad.bmp", bmp::QuadrantPicture(8, 4, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00}));
  const int levels[4][4] = {{10, 90, 170, 240}, {20, 80, 160, 250}, {30, 70, 150, 200}, {40, 60, 140, 0}};
  std::string grey = "P5 4 4 65535\n", grey_rgb;
  for (int row = 0; row < 4; ++row) {
    for (int x : levels[row]) grey += {static_cast<char>((257 * x + 200) >> 8), static_cast<char>((257 * x + 200) & 0xFF)};
    // Rounded up, where cutting to the high byte would not; the bitmap's rows bottom first.
    for (int x : levels[3 - row]) grey_rgb.append(3, static_cast<char>(x + 1));
  }
  directory_.Write("grey.pgm", grey);
  std::filesystem::create_directories("textures/my dir");
  for (const char* make : {"quad.bmp 'textures/my dir/Quad.png'", "grey.pgm grey16.png", "quad.bmp quad.jpg",
                           "quad.bmp -alpha set -channel A -evaluate set 50% +channel rgba.png",
                           "quad.bmp -alpha set opaque.png",
                           "-size 12x4 xc:red wide.png", "-size 2048x4 xc:red huge.png", "-size 2x2 xc:red tiny.png"}) {
    ASSERT_TRUE(bmp_test::Convert(make)) << make;
  }
  // crate (slot 3), wall1 and a copy of it (slot 2), energy (slot 9, the status bars): a square each.
  std::string obj = "mtllib level.mtl\n";
  const char* materials[] = {"crate", "wall1", "wall1.001", "energy"};
  for (int i = 0; i < 4; ++i) obj += std::string("usemtl ") + materials[i] + "\n" + ObjSquare(4 * i + 1, i, true);
  directory_.Write("level.obj", obj);
  struct Case {
    const char* images[4];  // of crate, wall1, wall1.001, energy; null: none
    const char* options;
    int exit_code;
    const char* says;
    const char* written;  // the bitmaps that change, in slot order
  } cases[] = {
      {{"textures/my%20dir/Quad.png", "grey16.png", "grey16.png", "quad.jpg"}, "", 0,
       "\nwall1.bmp: written from grey16.png (4 x 4)\ncrate.bmp: written from textures/my%20dir/Quad.png (8 x 4)\n"
       "bitmaps left alone: floor1.bmp, ", "wall1.bmp crate.bmp"},
      {{"rgba.png", "quad.jpg", nullptr, nullptr}, "", 0, "rgba.png: 32 pixels are not wholly opaque; the game "
       "draws no transparency, so the alpha channel is dropped", "wall1.bmp crate.bmp"},
      {{"rgba.png", "wide.png", nullptr, nullptr}, "", 1, "wide.png is 12 x 4 pixels; the game's textures have "
       "sides that are powers of two from 4 to 1024: 8 or 16 wide and 4 high would do (--resize-images scales it "
       "to 16 x 4)", ""},
      {{"rgba.png", "wide.png", nullptr, nullptr}, "--resize-images", 0, "wall1.bmp: written from wide.png scaled from 12 x 4 (16 x 4)",
       "wall1.bmp crate.bmp"},
      {{"huge.png", nullptr, nullptr, nullptr}, "", 1, "1024 wide and 4 high would do", ""},
      {{"tiny.png", nullptr, nullptr, nullptr}, "", 1, "4 wide and 4 high would do", ""},
      {{"quad.jpg", "grey16.png", "rgba.png", nullptr}, "", 1, "slot 2 (wall1) has one bitmap, but its materials "
       "\"wall1\" and \"wall1.001\" have different images: grey16.png and rgba.png", ""},
      {{"missing.png", nullptr, nullptr, nullptr}, "", 1, "the material \"crate\": its image missing.png cannot be "
       "read", ""},
      {{"quad.jpg", nullptr, nullptr, nullptr}, "--no-bitmaps", 0, "bitmaps left alone: all sixteen", ""},
      {{"quad.bmp", nullptr, nullptr, nullptr}, "", 0, "\ncrate.bmp: written from quad.bmp (8 x 4)\n", "crate.bmp"},
      {{"opaque.png", nullptr, nullptr, nullptr}, "", 0, "\ncrate.bmp: written from opaque.png (8 x 4)\n", "crate.bmp"},
  };
  for (const Case& c : cases) {
    std::string mtl;
    for (int i = 0; i < 4; ++i) {
      mtl += std::string("newmtl ") + materials[i] + "\n" + (c.images[i] ? "map_Kd " + std::string(c.images[i]) + "\n" : "");
    }
    mtl += "newmtl crate.002\nmap_Kd grey16.png\n";  // on no face: its picture is no slot's
    directory_.Write("level.mtl", mtl);
    WriteSceneBitmaps();
    directory_.Write("world.dat", "as it was");
    std::vector<std::string> before;
    for (int slot = 0; slot < 16; ++slot) before.push_back(ReadFileBytes(SceneTextureFile(slot)));
    ToolRun run = RunTool("import level.obj --out world.dat " + std::string(c.options));
    const std::string label = mtl + c.options;
    EXPECT_EQ(run.exit_code, c.exit_code) << label << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << label << run.out << run.err;
    // An alpha channel that holds no transparency is dropped without a word.
    if (c.images[0] == std::string("opaque.png")) {
      EXPECT_EQ(run.err.find("opaque"), std::string::npos) << run.err;
    }
    std::string written;
    for (int slot = 0; slot < 16; ++slot) {
      if (ReadFileBytes(SceneTextureFile(slot)) == before[slot]) continue;
      written.append(written.empty() ? "" : " ").append(SceneTextureFile(slot));
      ImageRGB* bitmap = LoadBitmapFile(SceneTextureFile(slot));
      ASSERT_NE(bitmap, nullptr) << label << SceneTextureFile(slot);
      const char* image = c.images[slot == 3 ? 0 : 1];
      const std::string file = std::filesystem::path(image).filename() == "Quad.png" ? "'textures/my dir/Quad.png'" : image;
      const std::string reference = image == std::string("grey16.png") ? grey_rgb : bmp_test::ReferenceRgb(file, bitmap->width, bitmap->height);
      // Two JPEG decoders may differ a little; a scaled picture has no reference but its size.
      const int tolerance = file == "quad.jpg" ? 3 : 0;
      EXPECT_EQ(bitmap->width, file == "wide.png" ? 16 : file == "grey16.png" ? 4 : 8) << label;
      // Scaled, a picture of one colour keeps its colour.
      for (int i = 0; file == "wide.png" && i < bitmap->width * bitmap->height * 3; i += 3) {
        ASSERT_EQ(bitmap->data[i] << 16 | bitmap->data[i + 1] << 8 | bitmap->data[i + 2], 0xFF0000) << label << i;
      }
      for (size_t i = 0; file != "wide.png" && i < reference.size(); ++i) {
        ASSERT_LE(std::abs(bitmap->data[i] - static_cast<uint8_t>(reference[i])), tolerance) << label << i;
      }
      FreeImage(bitmap);
    }
    EXPECT_EQ(written, c.written) << label;
    EXPECT_EQ(ReadFileBytes("world.dat") == "as it was", c.exit_code != 0) << label;
    ExpectNoTemporaries(label);
  }
  // A bitmap that cannot be replaced (a folder stands in its place) stops the import before the world is.
  directory_.Write("world.dat", "as it was");
  std::filesystem::remove("crate.bmp");
  std::filesystem::create_directories("crate.bmp/in the way");
  ToolRun run = RunTool("import level.obj --out world.dat");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("crate.bmp: cannot be replaced"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileBytes("world.dat"), "as it was");
  ExpectNoTemporaries("a folder in the way");
}

// The same triangles in the same order, which decides what shows where faces share a plane: every number as the
// game read it.
void ExpectSameTriangles(const std::string& level, const std::string& back_file) {
  const std::vector<WorldTriangle> triangles = Loaded(level);
  const std::vector<WorldTriangle> back = Loaded(back_file);
  ASSERT_EQ(back.size(), triangles.size()) << level;
  for (size_t i = 0; i < back.size(); ++i) {
    ASSERT_EQ(memcmp(&back[i], &triangles[i], sizeof(WorldTriangle)), 0) << level << ", triangle " << i;
  }
}

TEST_F(SceneTool, TheShippedLevelComesBackFromGltfAndGlbTriangleForTriangleAndBitmapForBitmap) {
  const std::string data = SourceDir() + "/data";
  // The level's folder holds the shipped bitmaps; the import finds them there.
  std::vector<std::string> bitmaps;
  std::vector<std::filesystem::file_time_type> stamps;
  std::filesystem::create_directory("level");
  for (int slot = 0; slot < 16; ++slot) {
    const std::string bitmap = std::string("level/") + SceneTextureFile(slot);
    bitmaps.push_back(ReadFileBytes(data + "/" + SceneTextureFile(slot)));
    directory_.Write(bitmap, bitmaps.back());
    stamps.push_back(std::filesystem::last_write_time(bitmap));
  }
  for (const char* scene : {"scene/valley.gltf", "one/valley.glb"}) {
    std::filesystem::create_directory(std::filesystem::path(scene).parent_path());
    ToolRun exported = RunTool("export '" + data + "/world.dat' --out " + scene);
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    ToolRun imported = RunTool(std::string("import ") + scene + " --out level/world.dat");
    ASSERT_EQ(imported.exit_code, 0) << imported.err;
    EXPECT_NE(imported.out.find("\ncollision: 0 walls in open ground, 0 edge stretches with no wall\n"),
              std::string::npos)
        << imported.out;
    EXPECT_NE(imported.err.find("51 lines skipped (in collision, start)"), std::string::npos) << imported.err;
    ExpectSameTriangles(data + "/world.dat", "level/world.dat");
    // Every bitmap as it was, its time stamp too, so that the preview reads none of them again.
    EXPECT_NE(imported.out.find("\nlevel/wall1.bmp: kept, wall1.png"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("\nbitmaps left alone: energy.bmp, pressX.bmp (not a world surface)\n"),
              std::string::npos) << imported.out;
    for (int slot = 0; slot < 16; ++slot) {
      const std::string bitmap = std::string("level/") + SceneTextureFile(slot);
      EXPECT_EQ(ReadFileBytes(bitmap), bitmaps[slot]) << scene << " " << bitmap;
      EXPECT_EQ(std::filesystem::last_write_time(bitmap), stamps[slot]) << scene << " " << bitmap;
    }
  }
  // A .glb is the level in one file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("one"), std::filesystem::directory_iterator()), 1);
  const std::string gltf = ReadFileBytes("scene/valley.gltf");
  // Texture coordinates are pairs, as glTF has them.
  for (const char* part : {"\"name\": \"collision\"", "\"name\": \"start\"", "\"mode\": 1", "\"uri\": \"wall1.png\"",
                           "\"type\": \"VEC2\""}) {
    EXPECT_NE(gltf.find(part), std::string::npos) << part;
  }
#if __has_include(<assimp/Importer.hpp>)
  // The start: an arrow a unit long from the start point to the north, its two barbs back a quarter unit.
  Assimp::Importer importer;
  const aiScene* read = importer.ReadFile("scene/valley.gltf", 0);
  ASSERT_NE(read, nullptr) << importer.GetErrorString();
  std::multiset<std::vector<float>> arrow;
  for (unsigned m = 0; m < read->mNumMeshes; ++m) {
    const aiMesh* mesh = read->mMeshes[m];
    if (std::string(mesh->mName.C_Str()) != "start") continue;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiVector3D& a = mesh->mVertices[mesh->mFaces[f].mIndices[0]];
      const aiVector3D& b = mesh->mVertices[mesh->mFaces[f].mIndices[1]];
      arrow.insert({a.x, a.y, a.z, b.x, b.y, b.z});
    }
  }
  EXPECT_EQ(arrow, (std::multiset<std::vector<float>>{
                       {0, 0, 0, 0, 0, -1}, {-0.25f, 0, -0.75f, 0, 0, -1}, {0.25f, 0, -0.75f, 0, 0, -1}}));
  // Its node only moves it to the start point: no turn, scale or shear.
  const aiNode* placed = read->mRootNode->FindNode("start");
  ASSERT_NE(placed, nullptr);
  EXPECT_TRUE(aiMatrix3x3(placed->mTransformation) == aiMatrix3x3());
#endif
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

  // Beside it, numbers a float away from short ones, at the ends of the range and of the fast digits, -0 and a
  // round number written out in full; exported into the working directory.
  directory_.Write("tricky.dat", "NUMPOLLIES 1\n3\n0.49999997 0.50000006 -0 200000 0.25\n1e-07 123456.79 -3.3917 "
                                 "16777216 -1.0417\n1.17549435e-38 -7.0000005 3e+38 0.33333334 0.1833\n");
  ASSERT_EQ(RunTool("export tricky.dat --out tricky.gltf").exit_code, 0);
  ASSERT_EQ(RunTool("import tricky.gltf --out tricky-back.dat").exit_code, 0);
  ExpectSameTriangles("tricky.dat", "tricky-back.dat");
  EXPECT_NE(ReadFileBytes("tricky-back.dat").find(" 200000 "), std::string::npos);
  // A triangle whose fifteen numbers each take the most characters a float's shortest form takes.
  std::string longest = "NUMPOLLIES 1\n3";
  int count = 0;
  for (float f = -1e30f; count < 15; f = std::nextafter(f, -FLT_MAX)) {
    char text[32];
    const size_t length = static_cast<size_t>(std::to_chars(text, text + sizeof text, f).ptr - text);
    if (length < 15) continue;
    longest.append(count++ % 5 == 0 ? "\n" : " ").append(text, length);
  }
  directory_.Write("longest.dat", longest + "\n");
  ASSERT_EQ(RunTool("export longest.dat --out scene/longest.gltf").exit_code, 0);
  ASSERT_EQ(RunTool("import scene/longest.gltf --out longest-back.dat --no-bitmaps").exit_code, 0);
  ExpectSameTriangles("longest.dat", "longest-back.dat");
  // Every texture coordinate of up to four decimals from 0 to 1 comes back as it was written, in both directions
  // of the picture (glTF counts v from the top); so do coordinates of seven decimals, where a float step is near
  // a unit of the last decimal.
  std::string fine = "NUMPOLLIES 4000\n";
  for (int k = 0; k < 12000; ++k) {
    if (k % 3 == 0) fine += "6\n";
    char v[32];
    if (k <= 10000) {
      snprintf(v, sizeof v, "%.4f", k / 10000.0);
    } else {
      snprintf(v, sizeof v, "%.7f", (k * 7919 % 10000000) / 1e7);
    }
    fine += std::to_string(k) + " " + std::to_string(k % 2) + " " + std::to_string(k % 3) + " " + v + " " + v + "\n";
  }
  directory_.Write("fine.dat", fine);
  ASSERT_EQ(RunTool("export fine.dat --out scene/fine.gltf").exit_code, 0);
  ASSERT_EQ(RunTool("import scene/fine.gltf --out fine-back.dat --no-bitmaps").exit_code, 0);
  ExpectSameTriangles("fine.dat", "fine-back.dat");
  // A level with a number a glTF file cannot hold, in any of a corner's five, is not exported.
  for (int field = 0; field < 5; ++field) {
    std::string corner;
    for (int i = 0; i < 5; ++i) corner += i == field ? (field % 2 ? " nan" : " -inf") : " 0";
    directory_.Write("odd.dat", "NUMPOLLIES 1\n3\n1 0 0 0 0\n" + corner.substr(1) + "\n0 1 0 0 0\n");
    ToolRun run = RunTool("export odd.dat --out scene/odd.gltf");
    EXPECT_EQ(run.exit_code, 1) << corner;
    EXPECT_NE(run.err.find("triangle 1 has a corner that is not a finite number"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists("scene/odd.gltf")) << corner;
  }
}

}  // namespace
