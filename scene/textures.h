// The scene's sixteen textures, indexed by slot, and the model's texture maker.
#pragma once

#include <cstdint>

constexpr int kSceneTextureCount = 16;

struct TextureTable {
  uint32_t names[kSceneTextureCount];
};

// Loads the sixteen scene bitmaps and makes their textures; 1 on success, 0 when any bitmap fails to load.
int LoadSceneTextures();
// The bitmap file a scene texture slot is made from (slot 0 to 15), for tools that report on the set.
const char* SceneTextureFile(int slot);
// Makes one texture from "potion.bmp" whatever the name; returns its name, or 7 when the bitmap fails to load.
uint32_t LoadModelTexture(const char* name);
