// gorvane-assets view DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--title] [--png OUT] [--time N]:
// one frame of the game, drawn by the game's own code (loaders, scene set-up, renderer, day cycle) into a
// hidden 640 x 480 context, as a player standing there a while at that tick sees it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/globals.h"
#include "model/model.h"
#include "platform/gl.h"
#include "platform/offscreen.h"
#include "platform/scripted/scripted.h"
#include "scene/renderer.h"
#include "scene/textures.h"
#include "tools/assets/commands.h"
#include "tools/assets/picture.h"
#include "window/scene_init.h"
#include "window/window.h"

namespace {

// The last tick of the cycle a player sees; the next one wraps to 1.
constexpr int kLastTick = 119;
// Frames timed with --time, at most.
constexpr int kMostTimedFrames = 100000;

int ViewUsage() {
  fprintf(stderr,
          "usage: gorvane-assets view DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--title] [--png OUT] "
          "[--time N]\n");
  return 2;
}

struct ViewOptions {
  const char* data_dir = nullptr;
  float place[4] = {0, 0, 0, 0};  // x, z, heading, pitch
  int tick = 1;
  bool title = false;
  const char* png = nullptr;
  int timed_frames = 0;
};

bool ParseInt(const char* text, int least, int most, int* value) {
  char* end = nullptr;
  long parsed = strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < least || parsed > most) return false;
  *value = static_cast<int>(parsed);
  return true;
}

bool ParseViewOptions(int argc, char** argv, ViewOptions* options) {
  if (argc < 1 || argv[0][0] == '-') return false;
  options->data_dir = argv[0];
  for (int i = 1; i < argc; i++) {
    const char* option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    int count = 0;
    if (strcmp(option, "--title") == 0) {
      options->title = true;
      continue;
    }
    if (!value) return false;
    i++;
    if (strcmp(option, "--at") == 0) {
      if (!ParseFloatList(value, 2, 4, options->place, &count)) return false;
    } else if (strcmp(option, "--tick") == 0) {
      if (!ParseInt(value, 1, kLastTick, &options->tick)) return false;
    } else if (strcmp(option, "--png") == 0) {
      if (value[0] == '\0') return false;
      options->png = value;
    } else if (strcmp(option, "--time") == 0) {
      if (!ParseInt(value, 1, kMostTimedFrames, &options->timed_frames)) return false;
    } else {
      return false;
    }
  }
  return options->png || options->timed_frames > 0;
}

// One frame of the chosen stage, at the chosen tick.
void DrawViewFrame(const ViewOptions& options) {
  g_game.cycle_tick = options.tick;
  DrawScene();
}

// Prints the median and the 95th percentile of the time one frame takes to draw, to the end of its drawing.
void TimeFrames(const ViewOptions& options) {
  std::vector<double> ms;
  ms.reserve(options.timed_frames);
  for (int i = 0; i < options.timed_frames; i++) {
    auto start = std::chrono::steady_clock::now();
    DrawViewFrame(options);
    glFinish();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  auto at = [&](double fraction) { return ms[std::min(ms.size() - 1, static_cast<size_t>(fraction * ms.size()))]; };
  printf("%d frames: median %.2f ms, 95th percentile %.2f ms per frame (%.0f frames a second at the median)\n",
         options.timed_frames, at(0.5), at(0.95), 1000.0 / std::max(at(0.5), 1e-6));
}

int DrawView(const ViewOptions& options, const std::string& png);

}  // namespace

int RunViewCommand(int argc, char** argv) {
  ViewOptions options;
  if (!ParseViewOptions(argc, argv, &options)) return ViewUsage();
  std::string png = options.png ? AbsolutePath(options.png) : std::string();

  // The game opens its files by bare name from its working directory.
  std::error_code error;
  std::filesystem::current_path(options.data_dir, error);
  if (error) {
    fprintf(stderr, "gorvane-assets: %s: cannot enter the directory (%s)\n", options.data_dir,
            error.message().c_str());
    return 1;
  }
  OffscreenGl* gl = StartHiddenContext();
  if (!gl) return 1;
  g_game.model = new Ms3dModel();
  int exit_code = DrawView(options, png);
  delete g_game.model;
  g_game.model = nullptr;
  ResetGameGlobals();
  OffscreenDestroy(gl);
  return exit_code;
}

namespace {

int DrawView(const ViewOptions& options, const std::string& png) {
  // What the game's start and its window's creation set up, in the game's order.
  size_t boxes_before = Scripted().message_boxes.size();
  ResizeScene(kPictureWidth, kPictureHeight);
  if (!InitScene()) {
    PrintMessageBoxesSince(boxes_before);
    // The game passes over a bitmap that is not there in silence; a level maker wants its name.
    for (int slot = 0; slot < kSceneTextureCount; slot++) {
      if (FILE* file = fopen(SceneTextureFile(slot), "rb")) {
        fclose(file);
      } else {
        fprintf(stderr, "gorvane-assets: %s: no %s\n", options.data_dir, SceneTextureFile(slot));
      }
    }
    fprintf(stderr, "gorvane-assets: %s: the scene textures did not load; the game would stop here\n",
            options.data_dir);
    return 1;
  }
  PrintMessageBoxesSince(boxes_before);
  if (!options.title && g_game.world.triangle_count <= 0) {
    fprintf(stderr, "gorvane-assets: %s: no triangles from world.dat; the view shows the sky only\n",
            options.data_dir);
  }

  if (options.title) {
    g_game.screen_stage = 1;
  } else {
    g_game.screen_stage = 2;
    g_game.player_x = options.place[0];
    g_game.player_z = options.place[1];
    g_game.heading = options.place[2];
    g_game.view_yaw = options.place[2];  // mouse look keeps the view on the heading
    g_game.look_pitch = options.place[3];
    SettleCycle(options.tick);
    // The frame before: it chooses the sky this frame clears to and the tint the status bars show, and turns
    // the fog on.
    DrawViewFrame(options);
  }
  DrawViewFrame(options);
  // The sound requests of the cycle went to the backend's record; nothing was played.

  int exit_code = 0;
  if (!png.empty() && !WritePng(png, ReadPicture(), kPictureWidth, kPictureHeight)) {
    fprintf(stderr, "gorvane-assets: %s: cannot write the file\n", png.c_str());
    exit_code = 1;
  }
  if (options.timed_frames > 0) TimeFrames(options);
  return exit_code;
}

}  // namespace
