#include "tools/interchange/level_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>

#include "app/globals.h"
#include "app/movement.h"
#include "tools/interchange/scene_import.h"

namespace {

// A corner's five numbers, bit for bit: corners that agree in all of them are one vertex of the mesh, so that
// the modelling tool sees connected surfaces where the level has them, and every number comes back unchanged.
struct CornerKey {
  uint32_t bits[5];
  bool operator<(const CornerKey& other) const { return memcmp(bits, other.bits, sizeof bits) < 0; }
};

CornerKey KeyOf(const WorldVertex& v) {
  CornerKey key;
  const float numbers[5] = {v.x, v.y, v.z, v.u, v.v};
  memcpy(key.bits, numbers, sizeof key.bits);
  return key;
}

aiNode* AddNode(aiNode* parent, const char* name, unsigned mesh) {
  aiNode* node = new aiNode(name);
  node->mParent = parent;
  node->mNumMeshes = 1;
  node->mMeshes = new unsigned[1]{mesh};
  aiNode** children = new aiNode*[parent->mNumChildren + 1];
  std::copy_n(parent->mChildren, parent->mNumChildren, children);
  children[parent->mNumChildren++] = node;
  delete[] parent->mChildren;
  parent->mChildren = children;
  return node;
}

aiMaterial* NamedMaterial(const std::string& name) {
  aiMaterial* material = new aiMaterial();
  const aiString text(name);
  material->AddProperty(&text, AI_MATKEY_NAME);
  return material;
}

// A PNG file's bytes as a texture the scene holds.
aiTexture* PngTexture(const std::string& name, const std::string& png) {
  aiTexture* texture = new aiTexture();
  // A height of 0 says that the texels are a file's bytes, as many as the width, in the format of the hint.
  texture->mWidth = static_cast<unsigned>(png.size());
  texture->mHeight = 0;
  strcpy(texture->achFormatHint, "png");
  texture->mFilename = name;
  texture->pcData = new aiTexel[(png.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
  memcpy(texture->pcData, png.data(), png.size());
  return texture;
}

// Triangles first to last (a run of one slot), each corner a vertex shared where the numbers agree.
aiMesh* RunMesh(const World& world, int32_t first, int32_t last, const std::string& name, unsigned material) {
  std::vector<WorldVertex> vertices;
  std::vector<unsigned> indices;
  std::map<CornerKey, unsigned> index_of;
  for (int32_t i = first; i < last; ++i) {
    for (const WorldVertex& v : world.triangles[i].vertices) {
      auto [at, added] = index_of.try_emplace(KeyOf(v), static_cast<unsigned>(vertices.size()));
      if (added) vertices.push_back(v);
      indices.push_back(at->second);
    }
  }
  aiMesh* mesh = new aiMesh();
  mesh->mName = name;
  mesh->mMaterialIndex = material;
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mNumVertices = static_cast<unsigned>(vertices.size());
  mesh->mVertices = new aiVector3D[vertices.size()];
  mesh->mTextureCoords[0] = new aiVector3D[vertices.size()];
  mesh->mNumUVComponents[0] = 2;
  for (size_t i = 0; i < vertices.size(); ++i) {
    mesh->mVertices[i] = aiVector3D(vertices[i].x, vertices[i].y, vertices[i].z);
    // Bottom-up, as the game reads them; glTF's writer turns them top-down.
    mesh->mTextureCoords[0][i] = aiVector3D(vertices[i].u, vertices[i].v, 0);
  }
  mesh->mNumFaces = static_cast<unsigned>(indices.size() / 3);
  mesh->mFaces = new aiFace[mesh->mNumFaces];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    mesh->mFaces[f].mNumIndices = 3;
    mesh->mFaces[f].mIndices = new unsigned[3]{indices[3 * f], indices[3 * f + 1], indices[3 * f + 2]};
  }
  return mesh;
}

// Line segments on the floor, two corners each (x, z).
aiMesh* OutlineMesh(const char* name, const std::vector<float>& segments, unsigned material) {
  aiMesh* mesh = new aiMesh();
  mesh->mName = name;
  mesh->mMaterialIndex = material;
  mesh->mPrimitiveTypes = aiPrimitiveType_LINE;
  mesh->mNumVertices = static_cast<unsigned>(segments.size() / 2);
  mesh->mVertices = new aiVector3D[mesh->mNumVertices];
  for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
    mesh->mVertices[i] = aiVector3D(segments[2 * i], 0, segments[2 * i + 1]);
  }
  mesh->mNumFaces = mesh->mNumVertices / 2;
  mesh->mFaces = new aiFace[mesh->mNumFaces];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    mesh->mFaces[f].mNumIndices = 2;
    mesh->mFaces[f].mIndices = new unsigned[2]{2 * f, 2 * f + 1};
  }
  return mesh;
}

std::vector<float> CollisionOutlines() {
  std::vector<float> segments;
  auto add = [&](const CollisionRect& r) {
    const float corners[4][2] = {{r.x_min, r.z_min}, {r.x_max, r.z_min}, {r.x_max, r.z_max}, {r.x_min, r.z_max}};
    for (int k = 0; k < 4; ++k) {
      segments.insert(segments.end(), {corners[k][0], corners[k][1], corners[(k + 1) % 4][0], corners[(k + 1) % 4][1]});
    }
  };
  add(kWalkableRect);
  for (const CollisionRect& box : kCollisionBoxes) add(box);
  return segments;
}

}  // namespace

std::vector<int> SlotsUsed(const World& world) {
  bool used[kSceneTextureCount] = {};
  for (int32_t i = 0; i < world.triangle_count; ++i) used[world.triangles[i].texture_slot] = true;
  std::vector<int> slots;
  for (int slot = 0; slot < kSceneTextureCount; ++slot) {
    if (used[slot]) slots.push_back(slot);
  }
  return slots;
}

std::vector<int32_t> SlotRuns(const World& world) {
  std::vector<int32_t> starts;
  for (int32_t i = 0; i < world.triangle_count; ++i) {
    if (i == 0 || world.triangles[i].texture_slot != world.triangles[i - 1].texture_slot) starts.push_back(i);
  }
  return starts;
}

bool ExportLevel(const World& world, const std::string& gltf_path, const std::string (&pngs)[kSceneTextureCount],
                 std::string* error) {
  const bool binary = gltf_path.ends_with(".glb");
  const std::vector<int> slots = SlotsUsed(world);
  // One mesh per run of triangles that share a slot, in the world's order: the game draws in file order, and
  // where two faces lie in one plane the later one shows, so the order comes back as it went out.
  const std::vector<int32_t> runs = SlotRuns(world);
  // The scene owns everything hung on it and frees it with itself.
  auto scene = std::make_unique<aiScene>();
  scene->mRootNode = new aiNode("level");
  scene->mNumMaterials = static_cast<unsigned>(slots.size() + 1);
  scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
  scene->mNumMeshes = static_cast<unsigned>(runs.size() + 2);
  scene->mMeshes = new aiMesh*[scene->mNumMeshes];
  unsigned material_of[kSceneTextureCount] = {};
  std::vector<aiTexture*> held;
  for (unsigned i = 0; i < slots.size(); ++i) {
    const std::string stem = SlotStem(slots[i]);
    const std::string& png = pngs[slots[i]];
    scene->mMaterials[i] = NamedMaterial(stem);
    if (!png.empty()) {
      // A picture held in the scene is named by its place among the scene's textures: "*0", "*1"...
      std::string name = binary ? "*" : stem + ".png";
      if (binary) name += std::to_string(held.size());
      const aiString file(name);
      scene->mMaterials[i]->AddProperty(&file, AI_MATKEY_TEXTURE(aiTextureType_DIFFUSE, 0));
    }
    if (binary && !png.empty()) held.push_back(PngTexture(stem + ".png", png));
    material_of[slots[i]] = i;
  }
  if (!held.empty()) {
    scene->mNumTextures = static_cast<unsigned>(held.size());
    scene->mTextures = new aiTexture*[held.size()];
    std::copy(held.begin(), held.end(), scene->mTextures);
  }
  // Named as a modelling tool names copies: wall1, wall1.001, wall1.002, ...
  int copies[kSceneTextureCount] = {};
  for (size_t r = 0; r < runs.size(); ++r) {
    const int32_t first = runs[r];
    const int32_t last = r + 1 < runs.size() ? runs[r + 1] : world.triangle_count;
    const int slot = world.triangles[first].texture_slot;
    std::string name = SlotStem(slot);
    if (int copy = copies[slot]++; copy > 0) {
      char suffix[16];
      snprintf(suffix, sizeof suffix, ".%03d", copy);
      name += suffix;
    }
    scene->mMeshes[r] = RunMesh(world, first, last, name, material_of[slot]);
    AddNode(scene->mRootNode, name.c_str(), static_cast<unsigned>(r));
  }
  const unsigned outline_material = static_cast<unsigned>(slots.size());
  scene->mMaterials[outline_material] = NamedMaterial("collision");
  const unsigned collision = static_cast<unsigned>(runs.size());
  scene->mMeshes[collision] = OutlineMesh("collision", CollisionOutlines(), outline_material);
  AddNode(scene->mRootNode, "collision", collision);
  // An arrow a unit long from the start point towards -z, the heading 0 that play begins with.
  scene->mMeshes[collision + 1] =
      OutlineMesh("start", {0, 0, 0, -1, -0.25f, -0.75f, 0, -1, 0.25f, -0.75f, 0, -1}, outline_material);
  const GameGlobals start;
  AddNode(scene->mRootNode, "start", collision + 1)->mTransformation =
      aiMatrix4x4(1, 0, 0, start.player_x, 0, 1, 0, 0, 0, 0, 1, start.player_z, 0, 0, 0, 1);

  Assimp::Exporter exporter;
  if (exporter.Export(scene.get(), binary ? "glb2" : "gltf2", gltf_path) != AI_SUCCESS) {
    *error = gltf_path + ": cannot be written: " + exporter.GetErrorString();
    return false;
  }
  return true;
}
