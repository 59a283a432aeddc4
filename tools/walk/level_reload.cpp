#include "tools/walk/level_reload.h"

#include <cstdio>

#include "app/globals.h"
#include "platform/gl.h"
#include "platform/windowless.h"
#include "scene/textures.h"
#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/support/files.h"
#include "tools/support/game_place.h"

namespace {

constexpr const char* kWorldFile = "world.dat";

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
  const bool loaded = LoadSceneTextures();
  // The loader's own message box is kept as a reason below, with its file's name.
  TakeShownMessages();
  if (loaded) {
    glDeleteTextures(kSceneTextureCount, old.names);
    return true;
  }
  // The game's loader says only that the set failed; each bitmap alone names the one that did.
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    const char* name = SceneTextureFile(slot);
    const std::string fault = SceneBitmapFault(name);
    if (!fault.empty()) reasons->push_back(std::string(name) + ": " + fault);
  }
  if (reasons->empty()) reasons->push_back("the scene bitmaps did not load");
  return false;
}
