// A byte-exact MS3D writer for tests, seeds and benchmarks, written from the file layout: header, vertices,
// triangles, groups, materials, all little-endian, no padding. It writes exactly what it is told, including
// wrong ids, versions, counts and indices.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct Ms3dVertexRecord {
  float position[3] = {0, 0, 0};
  uint8_t bone_id = 0;
  uint8_t flags = 0;
  uint8_t reference_count = 0;
};

struct Ms3dTriangleRecord {
  uint16_t vertex_indices[3] = {0, 0, 0};
  float normals[3][3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
  float s[3] = {0, 0, 0};
  float t[3] = {0, 0, 0};  // as the file holds it (top-down)
  uint16_t flags = 0;
  uint8_t smoothing_group = 1;
  uint8_t group_index = 0;
};

struct Ms3dGroupRecord {
  std::string name = "group";  // up to 32 bytes
  std::vector<uint16_t> triangle_indices;
  uint8_t material_byte = 0xFF;  // 0xFF: no material
  uint8_t flags = 0;
};

struct Ms3dMaterialRecord {
  std::string name = "material";
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float specular[4] = {0, 0, 0, 1};
  float emissive[4] = {0, 0, 0, 1};
  float shininess = 0;
  float transparency = 1;
  uint8_t mode = 0;
  std::string texture_file;  // 128 bytes fill the field with no zero byte
  std::string alpha_file;
};

struct Ms3dFileRecord {
  std::string id = "MS3D000000";
  int32_t version = 4;
  std::vector<Ms3dVertexRecord> vertices;
  std::vector<Ms3dTriangleRecord> triangles;
  std::vector<Ms3dGroupRecord> groups;
  std::vector<Ms3dMaterialRecord> materials;
  std::string trailing;  // bytes after the material section
};

namespace ms3d_writer {

inline void PutU8(std::string* out, uint8_t value) { out->push_back(static_cast<char>(value)); }

inline void PutU16(std::string* out, uint16_t value) {
  PutU8(out, static_cast<uint8_t>(value & 0xFF));
  PutU8(out, static_cast<uint8_t>(value >> 8));
}

inline void PutU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; i++) PutU8(out, static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutF32(std::string* out, float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  PutU32(out, bits);
}

inline void PutFloats(std::string* out, const float* values, int count) {
  for (int i = 0; i < count; i++) PutF32(out, values[i]);
}

// A fixed-size character field: the text, then zeros to fill it; text longer than the field is cut.
inline void PutField(std::string* out, const std::string& text, size_t size) {
  std::string field = text.substr(0, size);
  field.resize(size, '\0');
  out->append(field);
}

}  // namespace ms3d_writer

// The file's bytes.
inline std::string WriteMs3d(const Ms3dFileRecord& layout) {
  using namespace ms3d_writer;
  std::string out;
  out.reserve(16 + layout.vertices.size() * 15 + layout.triangles.size() * 70 + layout.materials.size() * 361);
  PutField(&out, layout.id, 10);
  PutU32(&out, static_cast<uint32_t>(layout.version));

  PutU16(&out, static_cast<uint16_t>(layout.vertices.size()));
  for (const Ms3dVertexRecord& vertex : layout.vertices) {
    PutU8(&out, vertex.flags);
    PutFloats(&out, vertex.position, 3);
    PutU8(&out, vertex.bone_id);
    PutU8(&out, vertex.reference_count);
  }

  PutU16(&out, static_cast<uint16_t>(layout.triangles.size()));
  for (const Ms3dTriangleRecord& triangle : layout.triangles) {
    PutU16(&out, triangle.flags);
    for (uint16_t index : triangle.vertex_indices) PutU16(&out, index);
    PutFloats(&out, &triangle.normals[0][0], 9);
    PutFloats(&out, triangle.s, 3);
    PutFloats(&out, triangle.t, 3);
    PutU8(&out, triangle.smoothing_group);
    PutU8(&out, triangle.group_index);
  }

  PutU16(&out, static_cast<uint16_t>(layout.groups.size()));
  for (const Ms3dGroupRecord& group : layout.groups) {
    PutU8(&out, group.flags);
    PutField(&out, group.name, 32);
    PutU16(&out, static_cast<uint16_t>(group.triangle_indices.size()));
    for (uint16_t index : group.triangle_indices) PutU16(&out, index);
    PutU8(&out, group.material_byte);
  }

  PutU16(&out, static_cast<uint16_t>(layout.materials.size()));
  for (const Ms3dMaterialRecord& material : layout.materials) {
    PutField(&out, material.name, 32);
    PutFloats(&out, material.ambient, 4);
    PutFloats(&out, material.diffuse, 4);
    PutFloats(&out, material.specular, 4);
    PutFloats(&out, material.emissive, 4);
    PutF32(&out, material.shininess);
    PutF32(&out, material.transparency);
    PutU8(&out, material.mode);
    PutField(&out, material.texture_file, 128);
    PutField(&out, material.alpha_file, 128);
  }
  out.append(layout.trailing);
  return out;
}

// A small, valid model: two triangles sharing an edge, each in a group of its own; the first group has a
// textured material, the second none.
inline Ms3dFileRecord SmallMs3dModel() {
  Ms3dFileRecord layout;
  const float corners[4][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  for (int i = 0; i < 4; i++) {
    Ms3dVertexRecord vertex;
    memcpy(vertex.position, corners[i], sizeof vertex.position);
    vertex.bone_id = static_cast<uint8_t>(i == 3 ? 0xFF : i);
    layout.vertices.push_back(vertex);
  }
  Ms3dTriangleRecord first;
  first.vertex_indices[0] = 0;
  first.vertex_indices[1] = 1;
  first.vertex_indices[2] = 2;
  first.s[1] = 1;
  first.s[2] = 1;
  first.t[2] = 1;
  Ms3dTriangleRecord second;
  second.vertex_indices[0] = 0;
  second.vertex_indices[1] = 2;
  second.vertex_indices[2] = 3;
  second.normals[1][0] = 1;
  second.s[1] = 1;
  second.t[1] = 1;
  second.t[2] = 1;
  second.group_index = 1;
  layout.triangles = {first, second};
  Ms3dGroupRecord textured;
  textured.name = "textured";
  textured.triangle_indices = {0};
  textured.material_byte = 0;
  Ms3dGroupRecord bare;
  bare.name = "bare";
  bare.triangle_indices = {1};
  bare.material_byte = 0xFF;
  layout.groups = {textured, bare};
  Ms3dMaterialRecord material;
  material.texture_file = "potion.bmp";
  material.shininess = 12;
  layout.materials = {material};
  return layout;
}
