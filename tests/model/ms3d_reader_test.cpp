// Reading MS3D files: what a modeller's file turns into, and what a broken file does to the model (nothing).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "model/model.h"
#include "platform/scripted/scripted.h"
#include "tests/model/ms3d_writer.h"
#include "tests/support/game_test.h"

namespace {

// Everything a model holds, its array addresses included, as text: equal snapshots mean an untouched model.
std::string Snapshot(const ModelBase& model) {
  std::ostringstream out;
  out << "meshes " << model.mesh_count << " @" << static_cast<const void*>(model.meshes) << "\n";
  for (int i = 0; i < model.mesh_count; i++) {
    const ModelMesh& mesh = model.meshes[i];
    out << " material " << mesh.material_index << " @" << static_cast<const void*>(mesh.triangle_indices) << ":";
    for (int j = 0; j < mesh.triangle_count; j++) out << " " << mesh.triangle_indices[j];
    out << "\n";
  }
  out << "materials " << model.material_count << " @" << static_cast<const void*>(model.materials) << "\n";
  for (int i = 0; i < model.material_count; i++) {
    const ModelMaterial& m = model.materials[i];
    for (int c = 0; c < 4; c++) out << " " << m.ambient[c] << " " << m.diffuse[c] << " " << m.specular[c] << " "
                                    << m.emissive[c];
    out << " " << m.shininess << " tex " << m.texture << " '" << m.texture_file << "'\n";
  }
  out << "triangles " << model.triangle_count << " @" << static_cast<const void*>(model.triangles) << "\n";
  for (int i = 0; i < model.triangle_count; i++) {
    const ModelTriangle& t = model.triangles[i];
    for (int k = 0; k < 3; k++) {
      out << " " << t.vertex_indices[k] << " " << t.s[k] << " " << t.t[k] << " " << t.normals[k][0] << " "
          << t.normals[k][1] << " " << t.normals[k][2];
    }
    out << "\n";
  }
  out << "vertices " << model.vertex_count << " @" << static_cast<const void*>(model.vertices) << "\n";
  for (int i = 0; i < model.vertex_count; i++) {
    const ModelVertex& v = model.vertices[i];
    out << " " << int{v.bone_id} << " " << v.position[0] << " " << v.position[1] << " " << v.position[2] << "\n";
  }
  return out.str();
}

// The snapshot without the array addresses: what two separately read models must share.
std::string Content(const ModelBase& model) {
  std::istringstream lines(Snapshot(model));
  std::string out;
  for (std::string line; std::getline(lines, line);) out += line.substr(0, line.find('@')) + "\n";
  return out;
}

// A model that is already loaded with something else, to see that a failed read leaves it alone.
Ms3dFileRecord OtherModel() {
  Ms3dFileRecord layout;
  Ms3dVertexRecord vertex;
  vertex.position[0] = 5;
  layout.vertices = {vertex, vertex, vertex};
  Ms3dTriangleRecord triangle;
  triangle.vertex_indices[1] = 1;
  triangle.vertex_indices[2] = 2;
  layout.triangles = {triangle};
  Ms3dGroupRecord group;
  group.triangle_indices = {0, 0};
  layout.groups = {group};
  return layout;
}

// Files are read from a working directory of their own, with a context current for the material textures.
class Ms3dReading : public GameTest {
 protected:
  // The backend's reset destroys every context, so ours lives between the resets.
  void SetUp() override {
    GameTest::SetUp();
    context_.emplace(16, 16);
    ASSERT_TRUE(context_->ok());
  }
  void TearDown() override {
    context_.reset();
    GameTest::TearDown();
  }
  bool Load(const Ms3dFileRecord& layout) { return LoadBytes(WriteMs3d(layout)); }
  bool LoadBytes(const std::string& bytes) {
    directory_.Write("model.ms3d", bytes);
    return model_.LoadFromFile("model.ms3d");
  }
  // Loads a different model first, so that "unchanged" means more than "still empty".
  void Preload() { ASSERT_TRUE(Load(OtherModel())); }

  ScopedWorkingDirectory directory_;
  std::optional<ScriptedGlContext> context_;
  Ms3dModel model_;
};

using Ms3dHeader = Ms3dReading;

TEST_F(Ms3dHeader, Versions3And4ReadTheSame) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.version = 3;
  ASSERT_TRUE(Load(layout));
  const std::string version3 = Content(model_);
  layout.version = 4;
  ASSERT_TRUE(Load(layout));
  EXPECT_EQ(Content(model_), version3);
  EXPECT_EQ(model_.triangle_count, 2);
}

TEST_F(Ms3dHeader, OtherVersionsWrongIdsAndShortHeadersAreRefused) {
  Preload();
  const std::string before = Snapshot(model_);
  for (int version : {2, 5, 0, -1}) {
    Ms3dFileRecord layout = SmallMs3dModel();
    layout.version = version;
    EXPECT_FALSE(Load(layout)) << "version " << version;
  }
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.id = "MS3D000001";
  EXPECT_FALSE(Load(layout)) << "id wrong in its last byte";
  layout.id = "ms3d000000";
  EXPECT_FALSE(Load(layout));
  std::string bytes = WriteMs3d(SmallMs3dModel());
  for (size_t size : {0, 9, 10, 13}) EXPECT_FALSE(LoadBytes(bytes.substr(0, size))) << size << " bytes";
  EXPECT_FALSE(model_.LoadFromFile("no such file.ms3d"));
  EXPECT_EQ(Snapshot(model_), before);
}

using Ms3dFields = Ms3dReading;

TEST_F(Ms3dFields, EveryFieldLandsWhereTheModelKeepsIt) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.vertices[2].position[0] = 1.5f;
  layout.vertices[2].position[1] = -2.25f;
  layout.vertices[2].position[2] = 3.125f;
  layout.triangles[1].normals[2][0] = 0.5f;
  layout.triangles[1].normals[2][1] = -0.5f;
  layout.triangles[1].normals[2][2] = 0.25f;
  layout.triangles[1].s[2] = 0.375f;
  Ms3dMaterialRecord& material = layout.materials[0];
  const float colours[4][4] = {{0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1, 0, 0.5f},
                               {0.25f, 0.5f, 0.75f, 1}};
  memcpy(material.ambient, colours[0], sizeof colours[0]);
  memcpy(material.diffuse, colours[1], sizeof colours[1]);
  memcpy(material.specular, colours[2], sizeof colours[2]);
  memcpy(material.emissive, colours[3], sizeof colours[3]);
  material.shininess = 42.5f;
  ASSERT_TRUE(Load(layout));

  ASSERT_EQ(model_.vertex_count, 4);
  EXPECT_EQ(model_.vertices[1].bone_id, 1);
  EXPECT_EQ(model_.vertices[3].bone_id, 0xFF);
  EXPECT_EQ(model_.vertices[2].position[0], 1.5f);
  EXPECT_EQ(model_.vertices[2].position[1], -2.25f);
  EXPECT_EQ(model_.vertices[2].position[2], 3.125f);
  ASSERT_EQ(model_.triangle_count, 2);
  const ModelTriangle& second = model_.triangles[1];
  EXPECT_EQ(second.vertex_indices[0], 0);
  EXPECT_EQ(second.vertex_indices[1], 2);
  EXPECT_EQ(second.vertex_indices[2], 3);
  EXPECT_EQ(second.normals[1][0], 1.0f);
  EXPECT_EQ(second.normals[2][0], 0.5f);
  EXPECT_EQ(second.normals[2][1], -0.5f);
  EXPECT_EQ(second.normals[2][2], 0.25f);
  EXPECT_EQ(second.s[1], 1.0f);
  EXPECT_EQ(second.s[2], 0.375f);
  ASSERT_EQ(model_.mesh_count, 2);
  EXPECT_EQ(model_.meshes[0].material_index, 0);
  ASSERT_EQ(model_.meshes[1].triangle_count, 1);
  EXPECT_EQ(model_.meshes[1].triangle_indices[0], 1);
  ASSERT_EQ(model_.material_count, 1);
  const ModelMaterial& read = model_.materials[0];
  for (int c = 0; c < 4; c++) {
    EXPECT_EQ(read.ambient[c], colours[0][c]);
    EXPECT_EQ(read.diffuse[c], colours[1][c]);
    EXPECT_EQ(read.specular[c], colours[2][c]);
    EXPECT_EQ(read.emissive[c], colours[3][c]);
  }
  EXPECT_EQ(read.shininess, 42.5f);
  EXPECT_STREQ(read.texture_file, "potion.bmp");
  EXPECT_NE(read.texture, 0u) << "a named texture file gets a texture";
}

TEST_F(Ms3dFields, TextureCoordinatesAreTurnedToOpenGLOrientation) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.triangles[0].t[0] = 0.25f;
  layout.triangles[0].t[1] = 0.0f;
  layout.triangles[0].t[2] = 1.0f;
  ASSERT_TRUE(Load(layout));
  EXPECT_EQ(model_.triangles[0].t[0], 0.75f);
  EXPECT_EQ(model_.triangles[0].t[1], 1.0f);
  EXPECT_EQ(model_.triangles[0].t[2], 0.0f);
}

TEST_F(Ms3dFields, MaterialBytesFrom0x80UpMeanNoMaterial) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.groups[0].material_byte = 0xFF;
  layout.groups[1].material_byte = 0x80;
  ASSERT_TRUE(Load(layout));
  EXPECT_EQ(model_.meshes[0].material_index, -1);
  EXPECT_EQ(model_.meshes[1].material_index, -128);
}

TEST_F(Ms3dFields, IndicesFrom32768UpStayPositive) {
  Ms3dFileRecord layout;
  layout.vertices.resize(65535);
  layout.triangles.resize(40000);
  layout.triangles[39999].vertex_indices[0] = 32768;
  layout.triangles[39999].vertex_indices[1] = 65534;
  layout.triangles[39999].vertex_indices[2] = 40000;
  Ms3dGroupRecord group;
  group.triangle_indices = {32768, 39999, 0};
  layout.groups = {group};
  ASSERT_TRUE(Load(layout));
  EXPECT_EQ(model_.vertex_count, 65535);
  EXPECT_EQ(model_.triangle_count, 40000);
  EXPECT_EQ(model_.triangles[39999].vertex_indices[0], 32768);
  EXPECT_EQ(model_.triangles[39999].vertex_indices[1], 65534);
  EXPECT_EQ(model_.triangles[39999].vertex_indices[2], 40000);
  EXPECT_EQ(model_.meshes[0].triangle_indices[0], 32768);
  EXPECT_EQ(model_.meshes[0].triangle_indices[1], 39999);
}

TEST_F(Ms3dFields, TextureNamesEmptyOrFillingTheirField) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.materials.resize(3);
  layout.materials[0].texture_file = "";
  layout.materials[1].texture_file = std::string(128, 'a');  // no zero byte in the field
  layout.materials[1].alpha_file = "alpha.bmp";              // the field that follows must not run into the name
  layout.materials[2].texture_file = std::string(127, 'b');
  ASSERT_TRUE(Load(layout));
  EXPECT_STREQ(model_.materials[0].texture_file, "");
  EXPECT_EQ(model_.materials[0].texture, 0u);
  EXPECT_EQ(std::string(model_.materials[1].texture_file), std::string(128, 'a'));
  EXPECT_NE(model_.materials[1].texture, 0u);
  EXPECT_EQ(std::string(model_.materials[2].texture_file), std::string(127, 'b'));
}

TEST_F(Ms3dFields, AllCountsZeroGiveAnEmptyModel) {
  // Loaded with something else first: its data is released (the sanitizer build reports a leak otherwise).
  Preload();
  ASSERT_TRUE(Load(Ms3dFileRecord{}));
  EXPECT_EQ(model_.vertex_count, 0);
  EXPECT_EQ(model_.triangle_count, 0);
  EXPECT_EQ(model_.mesh_count, 0);
  EXPECT_EQ(model_.material_count, 0);
  EXPECT_EQ(model_.vertices, nullptr);
  EXPECT_EQ(model_.meshes, nullptr);
}

TEST_F(Ms3dFields, WhatFollowsTheMaterialsIsIgnored) {
  Ms3dFileRecord layout = SmallMs3dModel();
  ASSERT_TRUE(Load(layout));
  const std::string plain = Content(model_);
  // Joints, comments and later extensions: here bytes that are no section at all.
  layout.trailing = std::string("\x02\x00 not a section", 15) + std::string(1000, '\xFF');
  ASSERT_TRUE(Load(layout));
  EXPECT_EQ(Content(model_), plain);
}

using Ms3dDamagedFiles = Ms3dReading;

TEST_F(Ms3dDamagedFiles, EveryTruncationIsRefusedAndLeavesTheModelAlone) {
  Preload();
  const std::string before = Snapshot(model_);
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.groups[1].triangle_indices = {1, 0, 1};
  const std::string bytes = WriteMs3d(layout);
  for (size_t size = 0; size < bytes.size(); size++) {
    ASSERT_FALSE(LoadBytes(bytes.substr(0, size))) << "cut at " << size << " of " << bytes.size();
    ASSERT_EQ(Snapshot(model_), before) << "cut at " << size;
  }
  EXPECT_TRUE(LoadBytes(bytes));
}

TEST_F(Ms3dDamagedFiles, IndicesOutOfRangeAreRefusedAndLeaveTheModelAlone) {
  Preload();
  const std::string before = Snapshot(model_);
  {
    Ms3dFileRecord layout = SmallMs3dModel();
    layout.triangles[1].vertex_indices[2] = 4;  // one past the last vertex
    EXPECT_FALSE(Load(layout)) << "vertex index";
  }
  {
    Ms3dFileRecord layout = SmallMs3dModel();
    layout.groups[1].triangle_indices = {1, 2};  // one past the last triangle
    EXPECT_FALSE(Load(layout)) << "triangle index";
  }
  {
    Ms3dFileRecord layout = SmallMs3dModel();
    layout.groups[1].material_byte = 1;  // one past the last material
    EXPECT_FALSE(Load(layout)) << "material index";
  }
  {
    Ms3dFileRecord layout = SmallMs3dModel();
    layout.materials.clear();  // the first group still names material 0
    EXPECT_FALSE(Load(layout)) << "material index with no materials";
  }
  EXPECT_EQ(Snapshot(model_), before);
}

}  // namespace
