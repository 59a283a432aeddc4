// gorvane-assets ms3d FILE [--png OUT [--yaw DEGREES]]: reads a model file with the game's own reader and prints
// what it holds, or why it cannot be read. With --png it also draws the model with the game's Draw and its
// material textures, made as the game makes them, into a picture framed to the model's bounds.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>

#include "model/model.h"
#include "model/ms3d.h"
#include "platform/gl.h"
#include "platform/offscreen.h"
#include "tools/commands/commands.h"
#include "tools/support/arguments.h"
#include "tools/support/files.h"
#include "tools/support/hidden_picture.h"
#include "tools/support/messages.h"
#include "tools/support/png_file.h"
#include "window/scene_init.h"

namespace {

// The camera looks down on the model by this much, so that its top shows as well as the chosen side.
constexpr float kElevation = 15.0f;
constexpr float kFieldOfView = 45.0f;  // vertical, as in the game

// Draws the model, turned by yaw degrees about the vertical axis, filling the picture: the sphere around its
// corners' bounding box fits the view's height and width.
void DrawFramed(ModelBase& model, float yaw) {
  float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  bool any = false;
  for (int i = 0; i < model.vertex_count; i++) {
    for (int axis = 0; axis < 3; axis++) {
      float value = model.vertices[i].position[axis];
      if (!std::isfinite(value)) continue;
      low[axis] = any ? std::fmin(low[axis], value) : value;
      high[axis] = any ? std::fmax(high[axis], value) : value;
    }
    any = true;
  }
  double radius = 0;
  for (int axis = 0; axis < 3; axis++) radius += (high[axis] - low[axis]) * (high[axis] - low[axis]) / 4.0;
  radius = std::fmax(std::sqrt(radius), 1e-3);
  const double distance = radius / std::sin(kFieldOfView / 2 * std::numbers::pi / 180) * 1.05;

  glViewport(0, 0, kPictureWidth, kPictureHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, static_cast<double>(kPictureWidth) / kPictureHeight, distance - radius * 1.5,
                 distance + radius * 1.5);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  ApplySceneState();
  glClearColor(0.25f, 0.25f, 0.3f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glTranslated(0, 0, -distance);
  glRotatef(kElevation, 1, 0, 0);
  glRotatef(yaw, 0, 1, 0);
  glTranslatef(-(low[0] + high[0]) / 2, -(low[1] + high[1]) / 2, -(low[2] + high[2]) / 2);
  glColor3f(1.0f, 1.0f, 1.0f);
  model.Draw();
}

// The file every material's texture is made from, whatever name the material holds: the game's one model
// texture, from its working directory.
constexpr const char* kModelTexture = "potion.bmp";

// Draws the read model into the PNG file. The textures are made as the game makes them, from the model file's
// folder standing in for the game's data directory.
int DrawModelPicture(Ms3dModel& model, const char* file_name, const std::string& png, float yaw) {
  OffscreenGl* gl = StartHiddenContext();
  if (!gl) return 1;
  std::filesystem::path folder = std::filesystem::path(file_name).parent_path();
  std::error_code error;
  if (!folder.empty()) std::filesystem::current_path(folder, error);
  bool textured = false;
  for (int i = 0; i < model.material_count; i++) textured |= model.materials[i].texture_file[0] != '\0';
  if (textured) {
    if (FILE* file = fopen(kModelTexture, "rb")) {
      fclose(file);
    } else {
      fprintf(stderr, "gorvane-assets: %s: no %s beside the model: the game makes every material's texture from "
              "that file, so its textured meshes are drawn untextured\n", file_name, kModelTexture);
    }
  }
  model.LoadMaterialTextures();
  PrintShownMessages();
  DrawFramed(model, yaw);
  int exit_code = 0;
  if (!WritePng(png, ReadPicture(), kPictureWidth, kPictureHeight)) {
    fprintf(stderr, "gorvane-assets: %s: cannot write the file\n", png.c_str());
    exit_code = 1;
  }
  OffscreenDestroy(gl);
  return exit_code;
}

}  // namespace

int RunMs3dCommand(int argc, char** argv) {
  if (argc < 1 || argv[0][0] == '-') return CommandUsage("ms3d");
  const char* file_name = argv[0];
  const char* png = nullptr;
  float yaw = 0;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return CommandUsage("ms3d");
    int count = 0;
    if (strcmp(argv[i], "--png") == 0 && argv[i + 1][0] != '\0') {
      png = argv[i + 1];
    } else if (strcmp(argv[i], "--yaw") == 0 && ParseFloatList(argv[i + 1], 1, 1, &yaw, &count)) {
    } else {
      return CommandUsage("ms3d");
    }
  }
  if (!png && argc > 1) return CommandUsage("ms3d");  // --yaw only means something for a picture

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
  if (!png) return 0;
  fflush(stdout);
  return DrawModelPicture(model, file_name, AbsolutePath(png), yaw);
}
