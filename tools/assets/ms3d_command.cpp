// gorvane-assets ms3d FILE: reads a model file with the game's own reader and prints what it holds, or why it
// cannot be read. No textures are made, so no OpenGL context is needed.
#include <cstdio>
#include <memory>
#include <string>

#include "model/model.h"
#include "model/ms3d.h"
#include "tools/assets/commands.h"

int RunMs3dCommand(int argc, char** argv) {
  if (argc != 1 || argv[0][0] == '-') {
    fprintf(stderr, "usage: gorvane-assets ms3d FILE\n");
    return 2;
  }
  const char* file_name = argv[0];
  std::unique_ptr<uint8_t[]> data;
  size_t size;
  std::string why;
  if (!ReadWholeFile(file_name, &data, &size, &why)) {
    fprintf(stderr, "gorvane-assets: %s: %s\n", file_name, why.c_str());
    return 1;
  }
  Ms3dModel model;
  Ms3dFileInfo info;
  if (!ParseMs3d(data.get(), size, &model, &why, &info)) {
    fprintf(stderr, "gorvane-assets: %s: %s\n", file_name, why.c_str());
    return 1;
  }
  printf("{\"version\": %d, \"vertices\": %d, \"triangles\": %d, \"meshes\": %d, \"materials\": %d}\n",
         static_cast<int>(info.version), static_cast<int>(model.vertex_count),
         static_cast<int>(model.triangle_count), static_cast<int>(model.mesh_count),
         static_cast<int>(model.material_count));
  return 0;
}
