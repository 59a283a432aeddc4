#include "tools/support/game_place.h"

#include <cstdio>
#include <cstring>

#include "app/globals.h"
#include "image/bitmap.h"
#include "platform/gl.h"
#include "platform/windowless.h"
#include "scene/day_cycle.h"
#include "scene/texture_files.h"
#include "tools/support/arguments.h"
#include "tools/support/hidden_picture.h"
#include "tools/support/messages.h"
#include "window/scene_init.h"
#include "window/window.h"

PlaceOption TakePlaceOption(const char* option, const char* value, GamePlace* place) {
  int count = 0;
  if (strcmp(option, "--at") == 0) {
    return value && ParseFloatList(value, 2, 4, place->at, &count) ? PlaceOption::kTaken : PlaceOption::kBadValue;
  }
  if (strcmp(option, "--tick") == 0) {
    return value && ParseWholeNumber(value, 1, kLastCycleTick, &place->tick) ? PlaceOption::kTaken
                                                                            : PlaceOption::kBadValue;
  }
  return PlaceOption::kNotOurs;
}

std::string SceneBitmapFault(const char* name) {
  if (FILE* file = fopen(name, "rb")) {
    fclose(file);
  } else {
    return "missing";
  }
  TakeShownMessages();
  ImageRGB* image = LoadBitmapFile(name);
  const std::vector<std::string> said = TakeShownMessages();
  if (image) {
    FreeImage(image);
    return std::string();
  }
  std::string text = said.empty() ? std::string("does not load") : said.back();
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool StartToolScene(const std::string& data_dir) {
  // What the game's window creation sets up, in the game's order.
  ResizeScene(kPictureWidth, kPictureHeight);
  if (InitScene()) {
    PrintShownMessages();
    return true;
  }
  // The game's loader stops at the first bitmap that fails, and passes over a missing one in silence; a level
  // maker wants every one named.
  TakeShownMessages();
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    const char* name = SceneTextureFile(slot);
    const std::string fault = SceneBitmapFault(name);
    if (fault == "missing") {
      fprintf(stderr, "gorvane-assets: %s: no %s\n", data_dir.c_str(), name);
    } else if (!fault.empty()) {
      fprintf(stderr, "gorvane-assets: %s: %s: %s\n", data_dir.c_str(), name, fault.c_str());
    }
  }
  fprintf(stderr, "gorvane-assets: %s: the scene textures did not load; the game would stop here\n",
          data_dir.c_str());
  return false;
}

void PutPlayerAt(const GamePlace& place) {
  g_game.screen_stage = 2;
  g_game.player_x = place.at[0];
  g_game.player_z = place.at[1];
  g_game.heading = place.at[2];
  g_game.view_yaw = place.at[2];  // mouse look keeps the view on the heading
  g_game.look_pitch = place.at[3];
  SettleCycle(place.tick);
}

void SettleCycle(int tick) {
  for (int earlier = 1; earlier < tick; earlier++) {
    g_game.cycle_tick = earlier;
    glColor3f(1.0f, 1.0f, 1.0f);
    AdvanceCycle();
    ApplySkyColour();
  }
  g_game.cycle_tick = tick;
  TakeSoundRequests();
}
