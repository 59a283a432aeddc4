// gorvane-assets view DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--title] [--png OUT] [--time N]:
// one frame of the game, drawn by the game's own code (loaders, scene set-up, renderer, day cycle) into a
// hidden 640 x 480 context, as a player standing there a while at that tick sees it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/globals.h"
#include "model/model.h"
#include "platform/gl.h"
#include "platform/offscreen.h"
#include "scene/renderer.h"
#include "tools/commands/commands.h"
#include "tools/support/arguments.h"
#include "tools/support/files.h"
#include "tools/support/game_place.h"
#include "tools/support/hidden_picture.h"
#include "tools/support/png_file.h"

namespace {

// Frames timed with --time, at most.
constexpr int kMostTimedFrames = 100000;

struct ViewOptions {
  const char* data_dir = nullptr;
  GamePlace place;
  bool title = false;
  const char* png = nullptr;
  int timed_frames = 0;
};

bool ParseViewOptions(int argc, char** argv, ViewOptions* options) {
  if (argc < 1 || argv[0][0] == '-') return false;
  options->data_dir = argv[0];
  for (int i = 1; i < argc; i++) {
    const char* option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(option, "--title") == 0) {
      options->title = true;
      continue;
    }
    PlaceOption place = TakePlaceOption(option, value, &options->place);
    if (place == PlaceOption::kBadValue || !value) return false;
    i++;
    if (place == PlaceOption::kTaken) continue;
    if (strcmp(option, "--png") == 0) {
      if (value[0] == '\0') return false;
      options->png = value;
    } else if (strcmp(option, "--time") == 0) {
      if (!ParseWholeNumber(value, 1, kMostTimedFrames, &options->timed_frames)) return false;
    } else {
      return false;
    }
  }
  return options->png || options->timed_frames > 0;
}

// One frame of the chosen stage, at the chosen tick.
void DrawViewFrame(const ViewOptions& options) {
  g_game.cycle_tick = options.place.tick;
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

int DrawView(const ViewOptions& options, const std::string& png) {
  if (!StartToolScene(options.data_dir)) return 1;
  if (!options.title && g_game.world.triangle_count <= 0) {
    fprintf(stderr, "gorvane-assets: %s: no triangles from world.dat; the view shows the sky only\n",
            options.data_dir);
  }

  if (options.title) {
    g_game.screen_stage = 1;
  } else {
    PutPlayerAt(options.place);
    // The frame before: it chooses the sky this frame clears to and the tint the status bars show, and turns
    // the fog on.
    DrawViewFrame(options);
  }
  DrawViewFrame(options);
  // The sound requests of the cycle stay with the backend; nothing is played.

  int exit_code = 0;
  if (!png.empty() && !WritePng(png, ReadPicture(), kPictureWidth, kPictureHeight)) {
    fprintf(stderr, "gorvane-assets: %s: cannot write the file\n", png.c_str());
    exit_code = 1;
  }
  if (options.timed_frames > 0) TimeFrames(options);
  return exit_code;
}

}  // namespace

int RunViewCommand(int argc, char** argv) {
  ViewOptions options;
  if (!ParseViewOptions(argc, argv, &options)) return CommandUsage("view");
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
