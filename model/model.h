// Mesh-based models with materials: the model class family, its drawing and its textures.
#pragma once

#include <cstdint>

struct ModelMesh {
  int32_t material_index;  // negative: no material
  int32_t triangle_count;
  int32_t* triangle_indices;
};

struct ModelMaterial {
  float ambient[4];
  float diffuse[4];
  float specular[4];
  float emissive[4];
  float shininess;
  uint32_t texture;    // 0: no texture
  char* texture_file;  // never null; may be empty
};

struct ModelTriangle {
  float normals[3][3];
  float s[3];
  float t[3];
  int32_t vertex_indices[3];
};

struct ModelVertex {
  uint8_t bone_id;
  float position[3];
};

class ModelBase {
 public:
  ModelBase();
  virtual ~ModelBase();
  ModelBase(const ModelBase&) = delete;
  ModelBase& operator=(const ModelBase&) = delete;

  // Reads a model file into the model; true on success.
  virtual bool LoadFromFile(const char* file_name) = 0;
  // Draws the model at the current matrix in the current colour; leaves texturing as it found it.
  void Draw();
  // Makes one texture for each material that names a texture file.
  void LoadMaterialTextures();

  int32_t mesh_count;
  ModelMesh* meshes;
  int32_t material_count;
  ModelMaterial* materials;
  int32_t triangle_count;
  ModelTriangle* triangles;
  int32_t vertex_count;
  ModelVertex* vertices;

 protected:
  // Releases every array and string and leaves the model empty.
  void Release();

 private:
  // Whether every corner of the triangle names one of the model's vertices.
  bool CornersInRange(const ModelTriangle& triangle) const;
};

class Ms3dModel : public ModelBase {
 public:
  Ms3dModel() = default;
  ~Ms3dModel() override = default;
  bool LoadFromFile(const char* file_name) override;
};
