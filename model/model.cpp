// The model base class: construction, release, drawing and material textures.
#include "model/model.h"

#include <cstdlib>

#include "platform/gl.h"
#include "scene/textures.h"

ModelBase::ModelBase()
    : mesh_count(0),
      meshes(nullptr),
      material_count(0),
      materials(nullptr),
      triangle_count(0),
      triangles(nullptr),
      vertex_count(0),
      vertices(nullptr) {}

ModelBase::~ModelBase() { Release(); }

void ModelBase::Release() {
  for (int i = 0; i < mesh_count; i++) free(meshes[i].triangle_indices);
  for (int i = 0; i < material_count; i++) free(materials[i].texture_file);
  mesh_count = 0;
  free(meshes);
  meshes = nullptr;
  material_count = 0;
  free(materials);
  materials = nullptr;
  triangle_count = 0;
  free(triangles);
  triangles = nullptr;
  vertex_count = 0;
  free(vertices);
  vertices = nullptr;
}

void ModelBase::Draw() {
  GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
  if (texturing) {
    glEnable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
}

void ModelBase::LoadMaterialTextures() {
  for (int i = 0; i < material_count; i++) {
    ModelMaterial& material = materials[i];
    material.texture = material.texture_file[0] ? LoadModelTexture(material.texture_file) : 0;
  }
}
