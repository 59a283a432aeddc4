#include "tools/walk/level_reload.h"

#include <cstddef>
#include <cstdio>

#include "app/globals.h"
#include "image/bitmap.h"
#include "platform/gl.h"
#include "platform/scripted/scripted.h"
#include "scene/textures.h"
#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/assets/file_bytes.h"

namespace {

constexpr const char* kWorldFile = "world.dat";

// Why one bitmap does not load: the decoder's message box, which the scripted backend keeps as text.
std::string BitmapFault(const char* name) {
  if (FILE* file = fopen(name, "rb")) {
    fclose(file);
  } else {
    return std::string(name) + ": missing";
  }
  size_t boxes_before = Scripted().message_boxes.size();
  ImageRGB* image = LoadBitmapFile(name);
  if (image) {
    FreeImage(image);
    return std::string();
  }
  const auto& boxes = Scripted().message_boxes;
  return std::string(name) + ": " + (boxes.size() > boxes_before ? boxes.back().text : "does not load");
}

}  // namespace

bool ReloadWorld(std::vector<std::string>* reasons) {
  std::string bytes;
  if (!ReadWholeFile(kWorldFile, &bytes)) {
    reasons->push_back(std::string(kWorldFile) + ": cannot be read");
    return false;
  }
  World loaded = {};
  std::vector<WorldIssue> issues;
  bool whole = ParseWorld(bytes.data(), bytes.size(), &loaded, &issues);
  for (const WorldIssue& issue : issues) {
    reasons->push_back(std::string(kWorldFile) + ":" + std::to_string(issue.line) + ": " + issue.reason);
  }
  if (!whole) {
    ReleaseWorld(&loaded);
    return false;
  }
  // Releasing tells the renderer that its batch of the old triangles is stale.
  ReleaseWorld(&g_game.world);
  g_game.world = loaded;
  return true;
}

bool ReloadTextures(std::vector<std::string>* reasons) {
  const TextureTable old = g_game.textures;
  size_t boxes_before = Scripted().message_boxes.size();
  if (LoadSceneTextures()) {
    glDeleteTextures(kSceneTextureCount, old.names);
    return true;
  }
  // The game's loader says only that the set failed; each bitmap alone names the one that did.
  auto& boxes = Scripted().message_boxes;
  boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(boxes_before), boxes.end());
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    std::string fault = BitmapFault(SceneTextureFile(slot));
    if (!fault.empty()) reasons->push_back(fault);
  }
  if (reasons->empty()) reasons->push_back("the scene bitmaps did not load");
  boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(boxes_before), boxes.end());
  return false;
}
