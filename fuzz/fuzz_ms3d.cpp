// Fuzzes the MS3D reader: any bytes either read into a model whose indices all stay inside its arrays, or are
// refused with the model left as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/model.h"
#include "model/ms3d.h"
#include "tests/model/ms3d_writer.h"

namespace {

// Walks the model the way Draw does, touching every element it would pass to OpenGL, and stops the run when
// an index leaves its array.
float WalkLikeDraw(const ModelBase& model) {
  float sum = 0;
  for (int i = 0; i < model.mesh_count; i++) {
    const ModelMesh& mesh = model.meshes[i];
    if (mesh.material_index >= model.material_count) abort();
    if (mesh.material_index >= 0) {
      const ModelMaterial& material = model.materials[mesh.material_index];
      sum += material.ambient[0] + material.emissive[3] + material.shininess;
      if (strlen(material.texture_file) > 128) abort();
    }
    if (mesh.triangle_count < 0 || (mesh.triangle_count > 0 && !mesh.triangle_indices)) abort();
    for (int j = 0; j < mesh.triangle_count; j++) {
      int32_t index = mesh.triangle_indices[j];
      if (index < 0 || index >= model.triangle_count) abort();
      const ModelTriangle& triangle = model.triangles[index];
      for (int k = 0; k < 3; k++) {
        int32_t vertex = triangle.vertex_indices[k];
        if (vertex < 0 || vertex >= model.vertex_count) abort();
        sum += triangle.normals[k][2] + triangle.s[k] + triangle.t[k] + model.vertices[vertex].position[0];
      }
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A model that already holds data, so that both the refusal and the replacement paths run.
  static const std::string kSmall = WriteMs3d(SmallMs3dModel());
  Ms3dModel model;
  if (!ParseMs3d(reinterpret_cast<const uint8_t*>(kSmall.data()), kSmall.size(), &model)) abort();
  std::string why;
  bool read = ParseMs3d(data, size, &model, &why);
  if (!read && why.empty()) abort();
  volatile float sink = WalkLikeDraw(model);
  (void)sink;
  // A second read of the same bytes into the loaded model must give the same answer.
  if (ParseMs3d(data, size, &model) != read) abort();
  return 0;
}
