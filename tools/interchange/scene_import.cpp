#include "tools/interchange/scene_import.h"

#include <assimp/Importer.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "scene/texture_files.h"

namespace {

// Every polygon becomes triangles; assimp checks the indices and the rest of the scene before handing it over.
constexpr unsigned kReadSteps = aiProcess_Triangulate | aiProcess_ValidateDataStructure;

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The file name's stem: what lies between the last folder separator and the last dot.
std::string_view StemOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const size_t dot = path.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? path : path.substr(0, dot);
}

// The file of the material's base-colour texture (glTF), or of its diffuse texture (OBJ and the older formats);
// the name an embedded texture was given, where it has one.
std::string TextureFileOf(const aiScene* scene, const aiMaterial* material) {
  aiString path;
  if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS &&
      material->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) {
    return {};
  }
  if (path.length > 0 && path.data[0] == '*') {
    const aiTexture* embedded = scene->GetEmbeddedTexture(path.C_Str());
    return embedded && embedded->mFilename.length > 0 ? embedded->mFilename.C_Str() : std::string();
  }
  return path.C_Str();
}

// glTF keeps texture coordinates top-down and assimp turns them bottom-up as 1 - v in single precision. A
// bottom-up number written top-down (1 - v, rounded) and turned back (rounded again) can come back a float step
// away from where it started: of the floats that make the same round trip, the one with the fewest decimals is
// the one a level maker wrote (0.1833, not 0.183299989).
float BottomUpFromTopDown(float v) {
  auto round_trip = [](float x) {
    const float top_down = 1.0f - x;
    return 1.0f - top_down;
  };
  // From 2^24 on every float is a whole number and the round trip has nothing to choose from.
  if (!(std::fabs(v) < 16777216.0f)) return v;
  constexpr double kScales[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  for (const double scale : kScales) {
    const double nearest = std::nearbyint(static_cast<double>(v) * scale);
    for (double digits : {nearest, nearest - 1, nearest + 1}) {
      const float candidate = static_cast<float>(digits / scale);
      if (round_trip(candidate) == v) return candidate;
    }
  }
  return v;
}

bool InFloatRange(double value) { return std::fabs(value) <= FLT_MAX; }

bool ReadsTopDownTextureCoordinates(const aiScene* scene) {
  aiString format;
  return scene->mMetaData && scene->mMetaData->Get(AI_METADATA_SOURCE_FORMAT, format) &&
         strncmp(format.C_Str(), "glTF", 4) == 0;
}

// One placement of a mesh: a node that holds it and the node's transform in the scene.
struct Placement {
  const aiNode* node;
  unsigned mesh;
  aiMatrix4x4 transform;
};

void CollectPlacements(const aiNode* node, const aiMatrix4x4& parent, std::vector<Placement>* placements) {
  const aiMatrix4x4 transform = parent * node->mTransformation;
  for (unsigned i = 0; i < node->mNumMeshes; ++i) placements->push_back({node, node->mMeshes[i], transform});
  for (unsigned i = 0; i < node->mNumChildren; ++i) CollectPlacements(node->mChildren[i], transform, placements);
}

std::string SourceName(const Placement& placement, const aiMesh* mesh) {
  if (placement.node->mName.length > 0) return placement.node->mName.C_Str();
  if (mesh->mName.length > 0) return mesh->mName.C_Str();
  return "mesh " + std::to_string(placement.mesh);
}

// The slot of each material, -1 for one that has none: --slot by the material's name, then by its texture's,
// then the name, then the texture, each as a scene texture's stem.
std::vector<int> MaterialSlots(const aiScene* scene, const ImportOptions& options) {
  std::vector<int> slots(scene->mNumMaterials, -1);
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    const std::string name = SlotMatchName(scene->mMaterials[i]->GetName().C_Str());
    const std::string texture = SlotMatchName(StemOf(TextureFileOf(scene, scene->mMaterials[i])));
    int slot = -1;
    for (const std::string& wanted : {name, texture}) {
      for (const auto& [rule, rule_slot] : options.slot_names) {
        if (slot < 0 && !wanted.empty() && wanted == rule) slot = rule_slot;
      }
    }
    if (slot < 0) slot = SlotOfName(name);
    if (slot < 0 && !texture.empty()) slot = SlotOfName(texture);
    slots[i] = slot;
  }
  return slots;
}

std::string SlotList() {
  std::string list;
  for (int slot = 0; slot < kSceneTextureCount; ++slot) {
    list += (slot == 0 ? "" : ", ") + std::to_string(slot) + " " + SlotStem(slot);
  }
  return list;
}

std::string Plural(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string SlotMatchName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && name.size() - dot > 3 &&
      name.find_first_not_of("0123456789", dot + 1) == std::string_view::npos) {
    name = name.substr(0, dot);
  }
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

int SlotOfName(std::string_view name) {
  const std::string wanted = SlotMatchName(name);
  for (int slot = 0; slot < kSceneTextureCount; ++slot) {
    if (wanted == SlotMatchName(SlotStem(slot))) return slot;
  }
  return -1;
}

std::string SlotStem(int slot) { return std::string(StemOf(SceneTextureFile(slot))); }

bool ImportScene(const std::string& path, const ImportOptions& options, ImportedScene* imported, std::string* error) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, kReadSteps);
  if (!scene || !scene->mRootNode) {
    *error = path + ": cannot be read as a scene: " + importer.GetErrorString();
    return false;
  }
  std::vector<Placement> placements;
  CollectPlacements(scene->mRootNode, aiMatrix4x4(), &placements);

  // Count first: the triangles are checked against what a world file holds before any room is made for them.
  std::vector<uint64_t> mesh_triangles(scene->mNumMeshes);
  uint64_t triangles = 0, points = 0, lines = 0;
  std::set<std::string> line_sources;
  for (const Placement& placement : placements) {
    const aiMesh* mesh = scene->mMeshes[placement.mesh];
    uint64_t mesh_points = 0, mesh_lines = 0;
    mesh_triangles[placement.mesh] = 0;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const unsigned corners = mesh->mFaces[f].mNumIndices;
      mesh_triangles[placement.mesh] += corners == 3;
      mesh_points += corners == 1;
      mesh_lines += corners == 2;
    }
    if (mesh_points + mesh_lines > 0) line_sources.insert(SourceName(placement, mesh));
    triangles += mesh_triangles[placement.mesh];
    points += mesh_points;
    lines += mesh_lines;
  }
  if (points + lines > 0) {
    std::string names;
    for (const std::string& name : line_sources) names += (names.empty() ? "" : ", ") + name;
    std::string what = points > 0 ? Plural(points, "point", "points") : "";
    if (lines > 0) what += (what.empty() ? "" : " and ") + Plural(lines, "line", "lines");
    imported->warnings.push_back(path + ": " + what + " skipped (in " + names + "): a world holds triangles only");
  }
  if (triangles == 0) {
    *error = path + ": the scene holds no triangles";
    return false;
  }
  if (triangles > static_cast<uint64_t>(kMostWorldTriangles)) {
    *error = path + ": the scene holds " + std::to_string(triangles) + " triangles; a world file holds at most " +
             std::to_string(kMostWorldTriangles);
    return false;
  }

  const std::vector<int> slots = MaterialSlots(scene, options);
  std::map<unsigned, std::set<std::string>> unmatched;  // material index: the meshes that use it
  std::vector<bool> used(scene->mNumMaterials);
  for (const Placement& placement : placements) {
    const aiMesh* mesh = scene->mMeshes[placement.mesh];
    if (mesh_triangles[placement.mesh] > 0) used[mesh->mMaterialIndex] = true;
    if (slots[mesh->mMaterialIndex] < 0 && mesh_triangles[placement.mesh] > 0) {
      unmatched[mesh->mMaterialIndex].insert(SourceName(placement, mesh));
    }
  }
  if (!unmatched.empty()) {
    *error = path + ": " + Plural(unmatched.size(), "material has", "materials have") + " no texture slot:\n";
    for (const auto& [index, users] : unmatched) {
      const aiMaterial* material = scene->mMaterials[index];
      const std::string texture = TextureFileOf(scene, material);
      *error += "  " + Quoted(material->GetName().C_Str());
      if (!texture.empty()) *error += ", texture " + texture;
      std::string names;
      for (const std::string& name : users) names += (names.empty() ? "" : ", ") + name;
      *error += ", used by " + names + "\n";
    }
    *error += "Name a material, or its base-colour texture file, after a scene texture (" + SlotList() +
              "; case does not matter, nor a .001 suffix), or map its name with --slot NAME=SLOT.";
    return false;
  }

  imported->pictures = FindMaterialPictures(scene, path, slots, used);
  const bool top_down = ReadsTopDownTextureCoordinates(scene);
  imported->triangles.reserve(triangles);
  for (const Placement& placement : placements) {
    const aiMesh* mesh = scene->mMeshes[placement.mesh];
    if (mesh_triangles[placement.mesh] == 0) continue;
    const std::string source = SourceName(placement, mesh);
    const aiVector3D* uvs = mesh->mTextureCoords[0];
    if (!uvs) {
      imported->warnings.push_back(path + ": " + source +
                                   " has no texture coordinates: its corners get u = v = 0, one texel's colour");
    }
    const int32_t source_index = static_cast<int32_t>(imported->sources.size());
    imported->sources.push_back(source);
    // Transformed in double precision and rounded once; a mesh that stands where it was made is copied as it is.
    const aiMatrix4x4& m = placement.transform;
    const bool moved = !(m == aiMatrix4x4()) || options.scale != 1;
    const size_t first = imported->corners.size();
    if (first + mesh->mNumVertices > UINT32_MAX) {
      *error = path + ": the scene's meshes hold more than " + std::to_string(UINT32_MAX) + " corners";
      return false;
    }
    imported->corners.resize(first + mesh->mNumVertices);
    std::vector<bool> finite(mesh->mNumVertices);
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
      const aiVector3D& p = mesh->mVertices[i];
      double position[3] = {p.x, p.y, p.z};
      if (moved) {
        const double x = p.x, y = p.y, z = p.z, s = options.scale;
        position[0] = s * (double(m.a1) * x + double(m.a2) * y + double(m.a3) * z + m.a4);
        position[1] = s * (double(m.b1) * x + double(m.b2) * y + double(m.b3) * z + m.b4);
        position[2] = s * (double(m.c1) * x + double(m.c2) * y + double(m.c3) * z + m.c4);
      }
      const double uv[2] = {uvs ? uvs[i].x : 0.0, uvs ? (top_down ? BottomUpFromTopDown(uvs[i].y) : uvs[i].y) : 0.0};
      // Beyond the largest float is as unusable as infinity, and not a number of the file at all.
      finite[i] = std::all_of(std::begin(position), std::end(position), InFloatRange) &&
                  std::all_of(std::begin(uv), std::end(uv), InFloatRange);
      if (!finite[i]) continue;
      imported->corners[first + i] = {static_cast<float>(position[0]), static_cast<float>(position[1]),
                                      static_cast<float>(position[2]), static_cast<float>(uv[0]),
                                      static_cast<float>(uv[1])};
    }
    const int slot = slots[mesh->mMaterialIndex];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices != 3) continue;
      ImportedTriangle triangle = {slot, source_index, {}};
      for (int k = 0; k < 3; ++k) {
        const unsigned index = face.mIndices[k];
        if (!finite[index]) {
          *error = path + ": " + source + " has a corner whose position or texture coordinates are not finite " +
                   "numbers of single precision";
          return false;
        }
        triangle.corners[k] = static_cast<uint32_t>(first + index);
      }
      imported->triangles.push_back(triangle);
    }
  }
  return true;
}
