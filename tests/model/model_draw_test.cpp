// Drawing a model on the offscreen context: where its triangles land, which are textured, and that texturing
// ends as it began.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "image/bitmap.h"
#include "model/model.h"
#include "platform/gl.h"
#include "platform/scripted/scripted.h"
#include "tests/model/ms3d_writer.h"
#include "tests/support/game_test.h"

namespace {

constexpr int kSize = 64;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x0000FF;  // the bottom half of the potion texture
constexpr uint32_t kRed = 0xFF0000;   // its top half

// An 8 x 8 24-bit bitmap, bottom four rows blue, top four rows red.
std::string PotionBitmap() { return bmp::QuadrantPicture(8, 8, {kBlue, kBlue, kRed, kRed}); }

// A textured triangle on the left, an untextured one on the right and an empty group between them. The
// textured corners all sit at file t = 0.75, which in OpenGL's orientation is the bottom quarter: blue.
Ms3dFileRecord TwoTriangles() {
  Ms3dFileRecord layout;
  const float corners[6][2] = {{-0.9f, -0.9f}, {-0.1f, -0.9f}, {-0.9f, 0.9f},
                               {0.1f, -0.9f},  {0.9f, -0.9f},  {0.9f, 0.9f}};
  for (const auto& corner : corners) {
    Ms3dVertexRecord vertex;
    vertex.position[0] = corner[0];
    vertex.position[1] = corner[1];
    layout.vertices.push_back(vertex);
  }
  for (uint16_t first : {0, 3}) {
    Ms3dTriangleRecord triangle;
    for (int k = 0; k < 3; k++) {
      triangle.vertex_indices[k] = static_cast<uint16_t>(first + k);
      triangle.s[k] = 0.5f;
      triangle.t[k] = 0.75f;
    }
    layout.triangles.push_back(triangle);
  }
  Ms3dGroupRecord textured;
  textured.triangle_indices = {0};
  textured.material_byte = 0;
  Ms3dGroupRecord empty;
  empty.material_byte = 0;
  Ms3dGroupRecord bare;
  bare.triangle_indices = {1};
  bare.material_byte = 0xFF;
  layout.groups = {textured, empty, bare};
  Ms3dMaterialRecord material;
  material.texture_file = "potion.bmp";
  layout.materials = {material};
  return layout;
}

// A white current colour on black, with x and y from -1 to 1 across the frame, as the title screen draws in
// white at its own matrix.
class ModelDrawing : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // The backend's reset destroys every context, so ours lives between the resets.
    context_.emplace(kSize, kSize);
    ASSERT_TRUE(context_->ok());
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
  }

  void TearDown() override {
    context_.reset();
    GameTest::TearDown();
  }

  bool LoadTwoTriangles() {
    directory_.Write("potion.bmp", PotionBitmap());
    directory_.Write("two.ms3d", WriteMs3d(TwoTriangles()));
    return model_.LoadFromFile("two.ms3d");
  }

  ScopedWorkingDirectory directory_;
  std::optional<ScriptedGlContext> context_;
  Ms3dModel model_;
};

TEST_F(ModelDrawing, TheEmptyModelDrawsNothingAndLeavesTexturingAsItFoundIt) {
  directory_.Write("potion.bmp", PotionBitmap());
  model_.LoadMaterialTextures();
  GLuint probe = 0;
  glGenTextures(1, &probe);
  EXPECT_EQ(probe, 1u) << "the empty model made no texture";
  for (bool enabled : {true, false}) {
    if (enabled) {
      glEnable(GL_TEXTURE_2D);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    model_.Draw();
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), enabled ? GL_TRUE : GL_FALSE);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  std::vector<uint8_t> frame = ScriptedReadFrame();
  for (uint8_t byte : frame) ASSERT_EQ(byte, 0);
}

TEST_F(ModelDrawing, ALoadedModelsTrianglesLandWhereTheyShouldTexturedPerMesh) {
  ASSERT_TRUE(LoadTwoTriangles());
  ASSERT_NE(model_.materials[0].texture, 0u);
  glDisable(GL_TEXTURE_2D);
  model_.Draw();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "one balanced begin/end pair per mesh";

  EXPECT_EQ(ScriptedReadPixel(56, 16), kWhite) << "the mesh without a material is drawn untextured";
  EXPECT_EQ(ScriptedReadPixel(40, 56), kBlack) << "outside both triangles";
  EXPECT_EQ(ScriptedReadPixel(32, 4), kBlack) << "between the triangles";
  EXPECT_EQ(ScriptedReadPixel(2, 2), kBlack) << "below and left of the first triangle";
  uint32_t textured = ScriptedReadPixel(8, 16);
  EXPECT_NE(textured, kBlack) << "the textured triangle is drawn";

  ImageRGB* potion = LoadBitmapFile("potion.bmp");
  bool decodes = potion != nullptr;
  FreeImage(potion);
  if (!decodes) GTEST_SKIP() << "the bitmap decoder cannot read potion.bmp yet, so there is no texture colour";
  EXPECT_NE(textured, kRed) << "t was not turned to OpenGL's orientation";
  EXPECT_EQ(textured, kBlue) << "the first mesh is textured from potion.bmp";
}

TEST_F(ModelDrawing, TexturingEndsAsItBeganWhateverTheMeshesDid) {
  ASSERT_TRUE(LoadTwoTriangles());
  // The textured mesh enables texturing; the last mesh, without a material, disables it.
  glDisable(GL_TEXTURE_2D);
  model_.Draw();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glEnable(GL_TEXTURE_2D);
  model_.Draw();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ModelDrawing, MaterialTexturesComeFromTheirFileNamesOnly) {
  Ms3dFileRecord layout = TwoTriangles();
  layout.materials.resize(2);
  layout.materials[1].texture_file = "";
  directory_.Write("potion.bmp", PotionBitmap());
  directory_.Write("two.ms3d", WriteMs3d(layout));
  ASSERT_TRUE(model_.LoadFromFile("two.ms3d"));
  EXPECT_NE(model_.materials[0].texture, 0u);
  EXPECT_EQ(model_.materials[1].texture, 0u);
  // A new context needs new textures: every call makes new ones and leaves the earlier ones alone.
  uint32_t first = model_.materials[0].texture;
  model_.LoadMaterialTextures();
  EXPECT_NE(model_.materials[0].texture, 0u);
  EXPECT_NE(model_.materials[0].texture, first);
  EXPECT_TRUE(glIsTexture(first));
  EXPECT_EQ(model_.materials[1].texture, 0u);
}

TEST_F(ModelDrawing, AHandFilledModelWithBadIndicesDrawsNothingOutOfRange) {
  Ms3dModel model;
  model.vertex_count = 1;
  model.vertices = static_cast<ModelVertex*>(calloc(1, sizeof(ModelVertex)));
  model.triangle_count = 1;
  model.triangles = static_cast<ModelTriangle*>(calloc(1, sizeof(ModelTriangle)));
  model.triangles[0].vertex_indices[2] = 9;
  model.mesh_count = 1;
  model.meshes = static_cast<ModelMesh*>(calloc(1, sizeof(ModelMesh)));
  model.meshes[0].material_index = 3;  // there are no materials
  model.meshes[0].triangle_count = 2;
  model.meshes[0].triangle_indices = static_cast<int32_t*>(calloc(2, sizeof(int32_t)));
  model.meshes[0].triangle_indices[1] = -4;
  glEnable(GL_TEXTURE_2D);
  model.Draw();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

namespace {

// Two triangles sharing vertices 0 and 2, each corner with a normal and texture coordinates of its own, in a
// lit mesh; then an empty mesh under a second material, which is still applied.
class ModelCorners : public ModelDrawing {
 protected:
  void SetUp() override {
    ModelDrawing::SetUp();
    const float positions[4][3] = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
    model_.vertex_count = 4;
    model_.vertices = static_cast<ModelVertex*>(calloc(4, sizeof(ModelVertex)));
    for (int i = 0; i < 4; i++) memcpy(model_.vertices[i].position, positions[i], sizeof positions[i]);
    const int32_t corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
    model_.triangle_count = 2;
    model_.triangles = static_cast<ModelTriangle*>(calloc(2, sizeof(ModelTriangle)));
    for (int i = 0; i < 2; i++) {
      for (int k = 0; k < 3; k++) {
        ModelTriangle& t = model_.triangles[i];
        t.vertex_indices[k] = corners[i][k];
        // A light along +z makes a corner's red its normal's z: 0.9, 0.8, ... 0.4.
        t.normals[k][0] = 0.05f * static_cast<float>(k + 1);
        t.normals[k][1] = 0.1f * static_cast<float>(i + 1);
        t.normals[k][2] = 0.9f - 0.1f * static_cast<float>(3 * i + k);
        t.s[k] = 0.125f * static_cast<float>(3 * i + k);
        t.t[k] = 1.0f - 0.0625f * static_cast<float>(3 * i + k);
      }
    }
    model_.material_count = 2;
    model_.materials = static_cast<ModelMaterial*>(calloc(2, sizeof(ModelMaterial)));
    ModelMaterial& lit = model_.materials[0];
    const float white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
    memcpy(lit.ambient, none, sizeof none);
    memcpy(lit.diffuse, white, sizeof white);
    memcpy(lit.specular, none, sizeof none);
    memcpy(lit.emissive, none, sizeof none);
    lit.texture_file = strdup("");
    ModelMaterial& last = model_.materials[1];
    const float ambient[4] = {0.1f, 0.2f, 0.3f, 0.4f}, diffuse[4] = {0.5f, 0.6f, 0.7f, 0.8f};
    const float specular[4] = {0.9f, 0.8f, 0.7f, 0.6f}, emissive[4] = {0.05f, 0.15f, 0.25f, 0.35f};
    memcpy(last.ambient, ambient, sizeof ambient);
    memcpy(last.diffuse, diffuse, sizeof diffuse);
    memcpy(last.specular, specular, sizeof specular);
    memcpy(last.emissive, emissive, sizeof emissive);
    last.shininess = 42;
    last.texture_file = strdup("");
    glGenTextures(1, &last.texture);
    model_.mesh_count = 2;
    model_.meshes = static_cast<ModelMesh*>(calloc(2, sizeof(ModelMesh)));
    model_.meshes[0].material_index = 0;
    model_.meshes[0].triangle_count = 2;
    model_.meshes[0].triangle_indices = static_cast<int32_t*>(calloc(2, sizeof(int32_t)));
    model_.meshes[0].triangle_indices[1] = 1;
    model_.meshes[1].material_index = 1;
    model_.meshes[1].triangle_indices = static_cast<int32_t*>(calloc(1, sizeof(int32_t)));
  }
};

TEST_F(ModelCorners, EachCornerItsOwnNormalAndCoordinatesAndEveryMaterialOnTheFrontFace) {
  // Light 0 shines along -z from +z; nothing else lights the model.
  const float no_ambient[4] = {0, 0, 0, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, no_ambient);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  std::vector<GLfloat> feedback(256);
  glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
  glRenderMode(GL_FEEDBACK);
  model_.Draw();
  GLint values = glRenderMode(GL_RENDER);
  glDisable(GL_LIGHTING);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // Each triangle: a polygon token, its corner count, then per corner x, y, z, r, g, b, a, s, t, r, q.
  ASSERT_EQ(values, 2 * (2 + 3 * 11));
  const int32_t corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
  for (int i = 0; i < 2; i++) {
    const GLfloat* polygon = &feedback[static_cast<size_t>(i * 35)];
    EXPECT_EQ(polygon[0], static_cast<GLfloat>(GL_POLYGON_TOKEN));
    EXPECT_EQ(polygon[1], 3.0f);
    for (int k = 0; k < 3; k++) {
      SCOPED_TRACE("triangle " + std::to_string(i) + ", corner " + std::to_string(k));
      const GLfloat* corner = polygon + 2 + 11 * k;
      const float* position = model_.vertices[corners[i][k]].position;
      EXPECT_NEAR(corner[0], (position[0] + 1) * kSize / 2, 1e-3);
      EXPECT_NEAR(corner[1], (position[1] + 1) * kSize / 2, 1e-3);
      EXPECT_NEAR(corner[3], 0.9f - 0.1f * static_cast<float>(3 * i + k), 2e-3) << "lit by its own normal";
      EXPECT_NEAR(corner[7], 0.125f * static_cast<float>(3 * i + k), 1e-6) << "s";
      EXPECT_NEAR(corner[8], 1.0f - 0.0625f * static_cast<float>(3 * i + k), 1e-6) << "t";
    }
  }
  // The last corner's normal and coordinates stay current.
  GLfloat normal[4], coordinates[4];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coordinates);
  const ModelTriangle& last = model_.triangles[1];
  for (int axis = 0; axis < 3; axis++) EXPECT_EQ(normal[axis], last.normals[2][axis]) << axis;
  EXPECT_EQ(coordinates[0], last.s[2]);
  EXPECT_EQ(coordinates[1], last.t[2]);

  // The empty mesh's material is the one left on the front face; the back face keeps its own.
  const ModelMaterial& material = model_.materials[1];
  struct Parameter {
    GLenum name;
    const float* want;
  };
  for (const Parameter& p : {Parameter{GL_AMBIENT, material.ambient}, Parameter{GL_DIFFUSE, material.diffuse},
                             Parameter{GL_SPECULAR, material.specular}, Parameter{GL_EMISSION, material.emissive}}) {
    GLfloat front[4], back[4];
    glGetMaterialfv(GL_FRONT, p.name, front);
    glGetMaterialfv(GL_BACK, p.name, back);
    for (int c = 0; c < 4; c++) EXPECT_EQ(front[c], p.want[c]) << "parameter 0x" << std::hex << p.name << " " << c;
    EXPECT_NE(back[0], p.want[0]) << "parameter 0x" << std::hex << p.name << " on the back face";
  }
  GLfloat shininess = 0;
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
  EXPECT_EQ(shininess, 42.0f);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), material.texture) << "the empty mesh's texture is bound";
}

}  // namespace
