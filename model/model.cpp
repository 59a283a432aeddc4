// The model base class: construction and release of its arrays. Drawing is in model_draw.cpp.
#include "model/model.h"

#include <cstdlib>

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

// Frees the per-mesh and per-material parts before the arrays that hold them.
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

bool ModelBase::CornersInRange(const ModelTriangle& triangle) const {
  for (int k = 0; k < 3; k++) {
    if (triangle.vertex_indices[k] < 0 || triangle.vertex_indices[k] >= vertex_count) return false;
  }
  return true;
}
