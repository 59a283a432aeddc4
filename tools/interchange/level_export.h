// The level as a glTF scene for a modelling tool: its triangles in their order, and the player's fixed
// collision and start as outlines on the floor, so that a level maker sees where walls must stand.
#pragma once

#include <string>
#include <vector>

#include "scene/texture_files.h"
#include "scene/world.h"

// The texture slots the world's triangles use, in slot order.
std::vector<int> SlotsUsed(const World& world);
// Where each run of triangles that share a slot begins, in the world's order.
std::vector<int32_t> SlotRuns(const World& world);

// Writes world as glTF 2.0 to gltf_path: NAME.gltf, and NAME.bin beside it, or glTF Binary, all in one file, for
// NAME.glb. One material per slot used, named by the slot's texture stem, textured where pngs[slot] holds the
// slot's picture as a PNG file: a .gltf names "STEM.png" beside it (the caller writes it), a .glb holds it. One
// mesh per run of triangles of one slot, in the world's order, named by the stem (STEM.001 and on for later runs
// of the slot); a node "collision" with the walkable rectangle and the eleven boxes as outlines at floor height;
// a node "start" at the start point with an arrow pointing north (-z). False, with the reason in *error, when it
// cannot.
bool ExportLevel(const World& world, const std::string& gltf_path, const std::string (&pngs)[kSceneTextureCount],
                 std::string* error);
