// Drawing a model: the model's OpenGL side.
#include "model/model.h"
#include "platform/gl.h"

// Draws every mesh under its material. A model loaded from a file always keeps its indices in range; the checks
// here only keep a model that was filled by hand from reading outside its arrays.
void ModelBase::Draw() {
  GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
  for (int i = 0; i < mesh_count; i++) {
    const ModelMesh& mesh = meshes[i];
    if (mesh.material_index < 0 || mesh.material_index >= material_count) {
      // No material: drawn untextured, with whatever material the previous mesh set.
      glDisable(GL_TEXTURE_2D);
    } else {
      const ModelMaterial& material = materials[mesh.material_index];
      glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
      glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
      glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
      glMaterialfv(GL_FRONT, GL_EMISSION, material.emissive);
      glMaterialf(GL_FRONT, GL_SHININESS, material.shininess);
      if (material.texture != 0) {
        glBindTexture(GL_TEXTURE_2D, material.texture);
        glEnable(GL_TEXTURE_2D);
      } else {
        glDisable(GL_TEXTURE_2D);
      }
    }
    glBegin(GL_TRIANGLES);
    for (int j = 0; j < mesh.triangle_count; j++) {
      int32_t triangle_index = mesh.triangle_indices[j];
      if (triangle_index < 0 || triangle_index >= triangle_count) continue;
      const ModelTriangle& triangle = triangles[triangle_index];
      if (!CornersInRange(triangle)) continue;
      for (int k = 0; k < 3; k++) {
        glNormal3fv(triangle.normals[k]);
        glTexCoord2f(triangle.s[k], triangle.t[k]);
        glVertex3fv(vertices[triangle.vertex_indices[k]].position);
      }
    }
    glEnd();
  }
  if (texturing) {
    glEnable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
}
