// Making a model's material textures, as the game makes them.
#include "model/model.h"
#include "scene/textures.h"

// Every material that names a texture file gets a new texture; earlier ones are neither reused nor deleted.
void ModelBase::LoadMaterialTextures() {
  for (int i = 0; i < material_count; i++) {
    ModelMaterial& material = materials[i];
    bool named = material.texture_file && material.texture_file[0];
    material.texture = named ? LoadModelTexture(material.texture_file) : 0;
  }
}
