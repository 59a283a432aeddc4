#include "tests/scene/scene_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/game_run.h"
#include "tests/support/game_test.h"
#include "window/scene_init.h"
#include "window/window.h"

const uint8_t kSlotColours[16][3] = {
    {255, 0, 0},   {0, 255, 0},    {0, 0, 255},   {255, 255, 0},   {255, 0, 255}, {0, 255, 255},
    {128, 64, 32}, {32, 128, 64},  {64, 32, 128}, {255, 255, 255}, {200, 200, 0}, {0, 200, 200},
    {200, 0, 200}, {100, 100, 100}, {0, 0, 0},    {250, 128, 10},
};

SceneContext::SceneContext() : context_(std::make_unique<ScriptedGlContext>(640, 480)) {
  if (!context_->ok()) return;
  ResizeScene(640, 480);
  ApplySceneState();
}

uint32_t MakeTexture(const uint8_t texels[12]) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  return name;
}

uint32_t MakeSolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t texels[12] = {r, g, b, r, g, b, r, g, b, r, g, b};
  return MakeTexture(texels);
}

void InstallTextures() {
  for (int slot = 0; slot < 16; ++slot) {
    g_game.textures.names[slot] = MakeSolidTexture(kSlotColours[slot][0], kSlotColours[slot][1], kSlotColours[slot][2]);
  }
  const uint8_t title[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  g_game.textures.names[14] = MakeTexture(title);
}

void SetWorld(const std::vector<WorldTriangle>& triangles) {
  ReleaseWorld(&g_game.world);
  if (triangles.empty()) return;
  g_game.world.triangles = static_cast<WorldTriangle*>(malloc(triangles.size() * sizeof(WorldTriangle)));
  memcpy(g_game.world.triangles, triangles.data(), triangles.size() * sizeof(WorldTriangle));
  g_game.world.triangle_count = static_cast<int32_t>(triangles.size());
}

WorldTriangle WallTriangle(int slot, float x, float z, float half, bool upper) {
  float y = 0.25f;
  WorldTriangle t = {};
  t.texture_slot = slot;
  if (upper) {
    t.vertices[0] = {x - half, y - half, z, 0, 0};
    t.vertices[1] = {x + half, y + half, z, 1, 1};
    t.vertices[2] = {x - half, y + half, z, 0, 1};
  } else {
    t.vertices[0] = {x - half, y - half, z, 0, 0};
    t.vertices[1] = {x + half, y - half, z, 1, 0};
    t.vertices[2] = {x + half, y + half, z, 1, 1};
  }
  return t;
}

void AddWall(std::vector<WorldTriangle>* triangles, int slot, float x, float z, float half) {
  triangles->push_back(WallTriangle(slot, x, z, half, false));
  triangles->push_back(WallTriangle(slot, x, z, half, true));
}

Rgb PixelAt(int x, int y) {
  uint32_t p = ScriptedReadPixel(x, y);
  return Rgb{static_cast<int>(p >> 16), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

int RunFrames(const std::string& world_text, const std::function<void(int frame)>& on_frame) {
  const std::filesystem::path data = std::filesystem::path(SourceDir()) / "data";
  ScopedWorkingDirectory dir;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(data, error)) {
    if (entry.path().extension() == ".bmp") {
      std::filesystem::copy_file(entry.path(), std::filesystem::path(dir.path()) / entry.path().filename(), error);
    }
  }
  dir.Write("world.dat", world_text);
  return RunGameFrames(kIdNo, on_frame);
}
