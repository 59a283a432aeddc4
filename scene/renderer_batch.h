// How the renderer sends the world's triangles: one by one in file order, or through a display list compiled
// once per world, texture set and rendering context from the same triangles in the same order (a run of
// triangles that share a texture as one primitive).
#pragma once

#include "scene/textures.h"
#include "scene/world.h"

// Sends every triangle of world in file order: bind its slot's texture, one GL_TRIANGLES primitive with the
// normal (0, 0, 1) and its three corners. Triangles whose slot is outside the table are passed over.
void SubmitWorldImmediate(const World& world, const TextureTable& textures);
// Draws the same picture from the current context's display list, compiling it first when the world, the
// texture names or the context changed since it was last compiled.
void DrawWorldBatched(const World& world, const TextureTable& textures);
// Whether DrawScene draws the world batched (the default) or one by one; for comparisons.
void SetWorldBatching(bool batched);
