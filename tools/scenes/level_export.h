// The level as a glTF scene for a modelling tool: its triangles by texture slot, and the player's fixed
// collision and start as outlines on the floor, so that a level maker sees where walls must stand.
#pragma once

#include <string>
#include <vector>

#include "scene/textures.h"
#include "scene/world.h"

// The texture slots the world's triangles use, in slot order.
std::vector<int> SlotsUsed(const World& world);

// Writes world as glTF 2.0 to gltf_path (NAME.gltf, and NAME.bin beside it): one mesh and one material per slot
// used, both named by the slot's texture stem, the material's texture "STEM.png" where textured[slot] is set; a
// node "collision" with the walkable rectangle and the eleven boxes as outlines at floor height; a node "start"
// at the start point with an arrow pointing north (-z). False, with the reason in *error, when it cannot.
bool ExportLevel(const World& world, const std::string& gltf_path, const bool (&textured)[kSceneTextureCount],
                 std::string* error);
