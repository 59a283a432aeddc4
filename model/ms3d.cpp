// The MS3D reader: one read of the whole file, then a parse from the buffer with a moving, bounds-checked
// position. The file's structure is not taken on trust: every section is checked against the bytes that are
// left before it is read, and every index against the array it indexes, so a loaded model always keeps the
// invariants that Draw relies on.
#include "model/ms3d.h"

#include <bit>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr char kFileId[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
constexpr size_t kHeaderSize = 14;
constexpr size_t kVertexRecordSize = 15;
constexpr size_t kTriangleRecordSize = 70;
constexpr size_t kGroupHeadSize = 35;  // flags, name and triangle count; the indices and material byte follow
constexpr size_t kMaterialRecordSize = 361;
constexpr size_t kTextureNameOffset = 105;
constexpr size_t kTextureNameSize = 128;

// The file is little-endian whatever the machine; these compile to plain loads on little-endian machines.
uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

float ReadF32(const uint8_t* p) {
  uint32_t bits = ReadU32(p);
  float value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

// Copies count little-endian floats; on little-endian machines that is one plain copy.
template <int count>
void ReadFloats(const uint8_t* p, float* out) {
  if constexpr (std::endian::native == std::endian::little) {
    memcpy(out, p, count * sizeof(float));
  } else {
    for (int i = 0; i < count; i++) out[i] = ReadF32(p + 4 * i);
  }
}

// The read position in the file's buffer. Take hands out the next n bytes only when that many are left.
struct Cursor {
  const uint8_t* pos;
  const uint8_t* end;

  size_t Left() const { return static_cast<size_t>(end - pos); }
  const uint8_t* Take(size_t n) {
    if (Left() < n) return nullptr;
    const uint8_t* taken = pos;
    pos += n;
    return taken;
  }
};

// Gives the reason, when one is asked for, and the failure.
bool Fail(std::string* why, const char* format, ...) {
  if (why) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *why = text;
  }
  return false;
}

// Takes a section's 16-bit record count and the block of its fixed-size records.
bool TakeSection(Cursor* cursor, size_t record_size, const char* what, uint16_t* count, const uint8_t** records,
                 std::string* why) {
  const uint8_t* count_bytes = cursor->Take(2);
  if (!count_bytes) return Fail(why, "the file ends before the %s count", what);
  *count = ReadU16(count_bytes);
  *records = cursor->Take(static_cast<size_t>(*count) * record_size);
  if (!*records) {
    return Fail(why, "the file ends inside the %s section (%u %s declared, %zu bytes left, %zu needed)", what,
                static_cast<unsigned>(*count), what, cursor->Left(), static_cast<size_t>(*count) * record_size);
  }
  return true;
}

void SwapData(ModelBase* a, ModelBase* b) {
  std::swap(a->mesh_count, b->mesh_count);
  std::swap(a->meshes, b->meshes);
  std::swap(a->material_count, b->material_count);
  std::swap(a->materials, b->materials);
  std::swap(a->triangle_count, b->triangle_count);
  std::swap(a->triangles, b->triangles);
  std::swap(a->vertex_count, b->vertex_count);
  std::swap(a->vertices, b->vertices);
}

bool ReadVertices(Cursor* cursor, ModelBase* model, std::string* why) {
  uint16_t count = 0;
  const uint8_t* records;
  if (!TakeSection(cursor, kVertexRecordSize, "vertices", &count, &records, why)) return false;
  if (count == 0) return true;
  model->vertices = static_cast<ModelVertex*>(malloc(count * sizeof(ModelVertex)));
  if (!model->vertices) return Fail(why, "out of memory for %u vertices", static_cast<unsigned>(count));
  model->vertex_count = count;
  for (int i = 0; i < count; i++) {
    const uint8_t* record = records + i * kVertexRecordSize;
    ModelVertex& vertex = model->vertices[i];
    ReadFloats<3>(record + 1, vertex.position);
    vertex.bone_id = record[13];
  }
  return true;
}

bool ReadTriangles(Cursor* cursor, ModelBase* model, std::string* why) {
  uint16_t count = 0;
  const uint8_t* records;
  if (!TakeSection(cursor, kTriangleRecordSize, "triangles", &count, &records, why)) return false;
  if (count == 0) return true;
  model->triangles = static_cast<ModelTriangle*>(malloc(count * sizeof(ModelTriangle)));
  if (!model->triangles) return Fail(why, "out of memory for %u triangles", static_cast<unsigned>(count));
  model->triangle_count = count;
  const int32_t vertex_count = model->vertex_count;
  for (int i = 0; i < count; i++) {
    const uint8_t* record = records + i * kTriangleRecordSize;
    ModelTriangle& triangle = model->triangles[i];
    for (int k = 0; k < 3; k++) {
      // Indices are unsigned 16-bit in the file: 32768 and up stay positive.
      int32_t index = ReadU16(record + 2 + 2 * k);
      if (index >= vertex_count) {
        return Fail(why, "triangle %d corner %d names vertex %d, but there are %d vertices", i, k,
                    static_cast<int>(index), static_cast<int>(vertex_count));
      }
      triangle.vertex_indices[k] = index;
    }
    ReadFloats<9>(record + 8, &triangle.normals[0][0]);
    ReadFloats<3>(record + 44, triangle.s);
    // The file's t runs top-down; OpenGL's runs bottom-up.
    ReadFloats<3>(record + 56, triangle.t);
    for (int k = 0; k < 3; k++) triangle.t[k] = 1.0f - triangle.t[k];
  }
  return true;
}

bool ReadGroups(Cursor* cursor, ModelBase* model, std::string* why) {
  const uint8_t* count_bytes = cursor->Take(2);
  if (!count_bytes) return Fail(why, "the file ends before the groups count");
  uint16_t count = ReadU16(count_bytes);
  if (count == 0) return true;
  // Every group takes at least its head and material byte; refuse a count the bytes left cannot hold before
  // allocating for it.
  if (cursor->Left() / (kGroupHeadSize + 1) < count) {
    return Fail(why, "the file ends inside the groups section (%u groups declared, %zu bytes left)",
                static_cast<unsigned>(count), cursor->Left());
  }
  // Zeroed, so that a half-read array releases cleanly.
  model->meshes = static_cast<ModelMesh*>(calloc(count, sizeof(ModelMesh)));
  if (!model->meshes) return Fail(why, "out of memory for %u groups", static_cast<unsigned>(count));
  model->mesh_count = count;
  const int32_t triangle_count = model->triangle_count;
  for (int i = 0; i < count; i++) {
    const uint8_t* head = cursor->Take(kGroupHeadSize);
    if (!head) return Fail(why, "the file ends inside group %d", i);
    uint16_t n = ReadU16(head + 33);
    const uint8_t* body = cursor->Take(2 * static_cast<size_t>(n) + 1);
    if (!body) return Fail(why, "the file ends inside group %d (%u triangles declared)", i, static_cast<unsigned>(n));
    ModelMesh& mesh = model->meshes[i];
    if (n > 0) {
      mesh.triangle_indices = static_cast<int32_t*>(malloc(n * sizeof(int32_t)));
      if (!mesh.triangle_indices) return Fail(why, "out of memory for group %d", i);
      for (int j = 0; j < n; j++) {
        int32_t index = ReadU16(body + 2 * j);
        if (index >= triangle_count) {
          return Fail(why, "group %d names triangle %d, but there are %d triangles", i, static_cast<int>(index),
                      static_cast<int>(triangle_count));
        }
        mesh.triangle_indices[j] = index;
      }
    }
    mesh.triangle_count = n;
    // The material byte is signed: 0x80 to 0xFF mean no material.
    mesh.material_index = static_cast<int8_t>(body[2 * static_cast<size_t>(n)]);
  }
  return true;
}

bool ReadMaterials(Cursor* cursor, ModelBase* model, std::string* why) {
  uint16_t count = 0;
  const uint8_t* records;
  if (!TakeSection(cursor, kMaterialRecordSize, "materials", &count, &records, why)) return false;
  if (count == 0) return true;
  // Zeroed, so that a half-read array releases cleanly.
  model->materials = static_cast<ModelMaterial*>(calloc(count, sizeof(ModelMaterial)));
  if (!model->materials) return Fail(why, "out of memory for %u materials", static_cast<unsigned>(count));
  model->material_count = count;
  for (int i = 0; i < count; i++) {
    const uint8_t* record = records + i * kMaterialRecordSize;
    ModelMaterial& material = model->materials[i];
    ReadFloats<4>(record + 32, material.ambient);
    ReadFloats<4>(record + 48, material.diffuse);
    ReadFloats<4>(record + 64, material.specular);
    ReadFloats<4>(record + 80, material.emissive);
    material.shininess = ReadF32(record + 96);
    material.texture = 0;
    // A name that fills its whole field has no zero byte: it ends with the field.
    const uint8_t* name = record + kTextureNameOffset;
    const void* zero = memchr(name, 0, kTextureNameSize);
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - name) : kTextureNameSize;
    material.texture_file = static_cast<char*>(malloc(length + 1));
    if (!material.texture_file) return Fail(why, "out of memory for material %d", i);
    memcpy(material.texture_file, name, length);
    material.texture_file[length] = '\0';
  }
  return true;
}

// Materials come after the groups, so the groups' material indices are checked once both are read.
bool CheckMaterialIndices(const ModelBase& model, std::string* why) {
  for (int i = 0; i < model.mesh_count; i++) {
    int32_t index = model.meshes[i].material_index;
    if (index >= model.material_count) {
      return Fail(why, "group %d names material %d, but there are %d materials", i, static_cast<int>(index),
                  static_cast<int>(model.material_count));
    }
  }
  return true;
}

}  // namespace

bool ParseMs3d(const uint8_t* data, size_t size, ModelBase* model, std::string* why, Ms3dFileInfo* info) {
  if (!model) return Fail(why, "no model to read into");
  if (!data && size > 0) return Fail(why, "no data");
  // The cursor measures what is left as a pointer difference.
  if (size > static_cast<size_t>(PTRDIFF_MAX)) return Fail(why, "the file is too large (%zu bytes)", size);
  Cursor cursor = {data, data + size};
  const uint8_t* header = cursor.Take(kHeaderSize);
  if (!header) return Fail(why, "the file is too short for the header (%zu bytes, %zu needed)", size, kHeaderSize);
  if (memcmp(header, kFileId, sizeof kFileId) != 0) return Fail(why, "not an MS3D file (the id is not MS3D000000)");
  int32_t version = static_cast<int32_t>(ReadU32(header + 10));
  if (version < 3 || version > 4) return Fail(why, "version %d is not supported (3 or 4)", static_cast<int>(version));

  // Read into a model of our own and hand it over only when the whole file has read well.
  Ms3dModel parsed;
  if (!ReadVertices(&cursor, &parsed, why)) return false;
  if (!ReadTriangles(&cursor, &parsed, why)) return false;
  if (!ReadGroups(&cursor, &parsed, why)) return false;
  if (!ReadMaterials(&cursor, &parsed, why)) return false;
  if (!CheckMaterialIndices(parsed, why)) return false;
  // Whatever follows the materials (joints, comments, extensions) is not read.

  // The model's old data goes to the temporary and is released with it.
  SwapData(model, &parsed);
  if (info) info->version = version;
  return true;
}

bool ReadWholeFile(const char* file_name, std::unique_ptr<uint8_t[]>* data, size_t* size, std::string* why) {
  data->reset();
  *size = 0;
  if (!file_name) return Fail(why, "no file name");
  FILE* file = fopen(file_name, "rb");
  if (!file) return Fail(why, "cannot open the file");
  long length = -1;
  if (fseek(file, 0, SEEK_END) == 0) length = ftell(file);
  if (length < 0 || fseek(file, 0, SEEK_SET) != 0) {
    fclose(file);
    return Fail(why, "cannot find the file's size");
  }
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[length > 0 ? length : 1]);
  if (!buffer) {
    fclose(file);
    return Fail(why, "out of memory for %ld bytes", length);
  }
  size_t read = length > 0 ? fread(buffer.get(), 1, static_cast<size_t>(length), file) : 0;
  bool read_error = ferror(file) != 0;
  fclose(file);
  if (read_error || read != static_cast<size_t>(length)) return Fail(why, "cannot read the file");
  *data = std::move(buffer);
  *size = read;
  return true;
}

bool Ms3dModel::LoadFromFile(const char* file_name) {
  std::unique_ptr<uint8_t[]> data;
  size_t size;
  if (!ReadWholeFile(file_name, &data, &size)) return false;
  // The buffer lives only for this call; the model keeps copies of what it needs.
  if (!ParseMs3d(data.get(), size, this)) return false;
  LoadMaterialTextures();
  return true;
}
