// Where no OpenGL is at hand (the 32-bit build of the loaders): a model read from a file gets no textures.
// Everything the reader itself does is the game's own code.
#include "model/model.h"

void ModelBase::LoadMaterialTextures() {
  for (int i = 0; i < material_count; i++) materials[i].texture = 0;
}
