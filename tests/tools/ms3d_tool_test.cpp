// gorvane-assets ms3d, run as a modeller runs it: the summary line, the reason on failure, the exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/model/ms3d_writer.h"
#include "tests/support/png_read.h"
#include "tests/support/tool_run.h"

namespace {

using Ms3dTool = ToolTest;

TEST_F(Ms3dTool, AGoodFilePrintsItsSummary) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.version = 3;
  directory_.Write("small.ms3d", WriteMs3d(layout));
  ToolRun run = RunTool("ms3d small.ms3d");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "{\"version\": 3, \"vertices\": 4, \"triangles\": 2, \"meshes\": 2, \"materials\": 1}\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(Ms3dTool, ABadFileSaysWhyAndExits1) {
  std::string bytes = WriteMs3d(SmallMs3dModel());
  directory_.Write("short.ms3d", bytes.substr(0, bytes.size() - 1));
  ToolRun run = RunTool("ms3d short.ms3d");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "gorvane-assets: short.ms3d: the file ends inside the materials section (1 materials declared, "
                     "360 bytes left, 361 needed)\n");
  run = RunTool("ms3d missing.ms3d");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "gorvane-assets: missing.ms3d: cannot open the file\n");
}

TEST_F(Ms3dTool, UsageErrorsExit2) {
  EXPECT_EQ(RunTool("ms3d").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d a.ms3d b.ms3d").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d --json").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d a.ms3d --png").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d a.ms3d --yaw 90").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d a.ms3d --png a.png --yaw west").exit_code, 2);
}

// The colour at (x, y), counted from the top left, as 0xRRGGBB.
uint32_t PixelOf(const std::vector<uint8_t>& rgb, int x, int y) {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * 640 + x) * 3];
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

// The small model is a square of two triangles facing +z: the lower right one textured with "potion.bmp", the
// upper left one bare (drawn in the current colour, white). The picture is framed on the square, so its middle
// row crosses both halves; seen from behind (--yaw 180) the halves change sides.
TEST_F(Ms3dTool, DrawsTheModelWithItsTexturesFromTheGivenSide) {
  directory_.Write("small.ms3d", WriteMs3d(SmallMs3dModel()));
  directory_.Write("potion.bmp", bmp::SolidPicture(4, 4, 0x00C000));
  int width = 0, height = 0;
  for (int yaw : {0, 180}) {
    SCOPED_TRACE(yaw);
    ToolRun run = RunTool("ms3d small.ms3d --png front.png --yaw " + std::to_string(yaw));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<uint8_t> picture = ReadPng("front.png", &width, &height);
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    const int textured_x = yaw == 0 ? 420 : 220, bare_x = yaw == 0 ? 220 : 420;
    EXPECT_EQ(PixelOf(picture, textured_x, 300), 0x00C000u);
    EXPECT_EQ(PixelOf(picture, bare_x, 150), 0xFFFFFFu);
    // Framed: the square fills the middle, the background shows at the corners.
    EXPECT_EQ(PixelOf(picture, 5, 5), PixelOf(picture, 634, 474));
    EXPECT_NE(PixelOf(picture, 5, 5), 0xFFFFFFu);
  }
  // A box away from the origin: the textured square in front, bare ones behind and on top. Framed on its bounds
  // and seen a little from above, its near face fills the middle and its top shows above it.
  Ms3dFileRecord box = SmallMs3dModel();
  const float lid[4][3] = {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}};
  for (int i = 0; i < 4; i++) {
    box.vertices[i].position[2] = 1;
    box.vertices.push_back(box.vertices[i]);
    box.vertices.back().position[2] = -1;
  }
  for (const auto& corner : lid) {
    box.vertices.push_back(box.vertices[0]);
    memcpy(box.vertices.back().position, corner, sizeof corner);
  }
  for (Ms3dVertexRecord& vertex : box.vertices) {
    for (int axis = 0; axis < 3; axis++) vertex.position[axis] += 3.0f + axis;
  }
  for (int i = 0; i < 4; i++) {
    box.triangles.push_back(box.triangles[i % 2]);
    for (uint16_t& index : box.triangles.back().vertex_indices) index += i < 2 ? 4 : 8;
  }
  box.groups[0].triangle_indices = {0, 1};
  box.groups[1].triangle_indices = {2, 3, 4, 5};
  directory_.Write("box.ms3d", WriteMs3d(box));
  Ms3dFileRecord centred_box = box;
  for (Ms3dVertexRecord& vertex : centred_box.vertices) {
    for (int axis = 0; axis < 3; axis++) vertex.position[axis] -= 3.0f + axis;
  }
  directory_.Write("centred.ms3d", WriteMs3d(centred_box));
  ASSERT_EQ(RunTool("ms3d box.ms3d --png box.png").exit_code, 0);
  const std::vector<uint8_t> picture = ReadPng("box.png", &width, &height);
  EXPECT_EQ(PixelOf(picture, 320, 240), 0x00C000u);
  int top = 0;
  while (top < 240 && PixelOf(picture, 320, top) == PixelOf(picture, 5, 5)) top++;
  EXPECT_EQ(PixelOf(picture, 320, top + 2), 0xFFFFFFu) << "the lid, at row " << top;
  // Framed on its bounds wherever it stands: the same box about the origin covers the same pixels, to a pixel.
  ASSERT_EQ(RunTool("ms3d centred.ms3d --png centred.png").exit_code, 0);
  auto extent = [](const std::vector<uint8_t>& rgb) {
    std::vector<int> rows_and_columns = {480, -1, 640, -1};
    for (int y = 0; y < 480; y++) {
      for (int x = 0; x < 640; x++) {
        if (PixelOf(rgb, x, y) == PixelOf(rgb, 5, 5)) continue;
        rows_and_columns = {std::min(rows_and_columns[0], y), std::max(rows_and_columns[1], y),
                            std::min(rows_and_columns[2], x), std::max(rows_and_columns[3], x)};
      }
    }
    return rows_and_columns;
  };
  const std::vector<int> moved = extent(picture), centred = extent(ReadPng("centred.png", &width, &height));
  for (int side = 0; side < 4; side++) EXPECT_NEAR(moved[side], centred[side], 1) << side;
}

// The game makes every material's texture from its one model texture file, whatever the material names.
TEST_F(Ms3dTool, TexturesComeFromTheModelTextureFileWhateverTheMaterialNames) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.materials[0].texture_file = "skin.bmp";
  directory_.Write("small.ms3d", WriteMs3d(layout));
  directory_.Write("skin.bmp", bmp::SolidPicture(4, 4, 0xC00000));
  ToolRun run = RunTool("ms3d small.ms3d --png front.png");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.err.find("small.ms3d: no potion.bmp beside the model"), std::string::npos) << run.err;
  layout.materials[0].texture_file = "";
  directory_.Write("bare.ms3d", WriteMs3d(layout));
  EXPECT_EQ(RunTool("ms3d bare.ms3d --png bare.png").err, "") << "a model without textures needs no potion.bmp";
  directory_.Write("potion.bmp", bmp::SolidPicture(4, 4, 0x00C000));
  run = RunTool("ms3d small.ms3d --png front.png");
  EXPECT_EQ(run.err, "");
  int width = 0, height = 0;
  EXPECT_EQ(PixelOf(ReadPng("front.png", &width, &height), 420, 300), 0x00C000u);
}

}  // namespace
