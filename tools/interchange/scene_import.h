// A scene made in a modelling tool, read with assimp and turned into the world's triangles: every mesh under its
// nodes' transforms, triangulated, each material given the texture slot its name or its texture's name says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/world.h"
#include "tools/interchange/scene_pictures.h"

// The most triangles a world file may hold: the 32-bit game's loader keeps them in one array whose size in
// bytes must fit a 32-bit pointer difference (64 bytes a triangle), which is fewer than the header's count
// could announce.
inline constexpr int64_t kMostWorldTriangles = INT32_MAX / static_cast<int64_t>(sizeof(WorldTriangle));

// A material or texture name as the slots are matched: lower case, without the ".001" that a modelling tool
// appends to a copy's name (the digits after the last dot, three or more of them).
std::string SlotMatchName(std::string_view name);
// The slot whose scene texture file has this stem ("wall1" or "Wall1.001" gives 2), or -1.
int SlotOfName(std::string_view name);
// The stem of a scene texture file: "wall1" for slot 2.
std::string SlotStem(int slot);

struct ImportOptions {
  double scale = 1;
  // --slot NAME=SLOT, NAME as SlotMatchName gives it: a material, or a texture file's stem, of that name.
  std::vector<std::pair<std::string, int>> slot_names;
};

// A triangle of the scene: its slot, where it came from (an index into the scene's sources) and its three
// corners (indices into the scene's corners), in the scene's order.
struct ImportedTriangle {
  int32_t texture_slot;
  int32_t source;
  uint32_t corners[3];
};

struct ImportedScene {
  // Each placed mesh's vertices where the scene puts them, once however many triangles share them.
  std::vector<WorldVertex> corners;
  std::vector<ImportedTriangle> triangles;
  // The node's name (or the mesh's) of each placed mesh that gave triangles.
  std::vector<std::string> sources;
  // The images the used materials name, each with its material's slot.
  std::vector<MaterialPicture> pictures;
  // What the level maker should know that does not stop the import, one line each.
  std::vector<std::string> warnings;
};

// Reads the scene file into *scene. False, with the reason (one or more lines) in *error, when the scene cannot
// become a world: assimp cannot read it, it holds no triangles or too many, a material has no slot, or a corner
// is not a finite number.
bool ImportScene(const std::string& path, const ImportOptions& options, ImportedScene* scene, std::string* error);
