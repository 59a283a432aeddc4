// The scene's sixteen textures, indexed by slot, and the model's texture maker.
#pragma once

#include <cstdint>

#include "scene/texture_files.h"

struct TextureTable {
  uint32_t names[kSceneTextureCount];
};

// Loads the sixteen scene bitmaps and makes their textures; 1 on success, 0 when any bitmap fails to load.
int LoadSceneTextures();
// Makes one texture from "potion.bmp" whatever the name; returns its name, or 7 when the bitmap fails to load.
uint32_t LoadModelTexture(const char* name);
