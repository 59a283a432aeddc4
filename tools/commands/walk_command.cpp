// gorvane-assets walk DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--sound]: the level in a real window,
// in play at once and walked as in the game, read again whenever its files change (tools/walk/).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/globals.h"
#include "model/model.h"
#include "platform/preview_window.h"
#include "tools/commands/commands.h"
#include "tools/support/game_place.h"
#include "tools/walk/walk_session.h"

namespace {

// The game's frame: 20 ms.
constexpr double kFrameMs = 20;
// How often the level's files are looked at.
constexpr double kLookMs = 100;

// The usage and the keys, on standard error; returns the usage error's exit code.
int WalkUsage() {
  CommandUsage("walk");
  fprintf(stderr, "keys:\n%s", kWalkKeys);
  return 2;
}

// Milliseconds on the steady clock.
double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// DATA_DIR first, then the options in any order; false on anything else.
bool ParseWalkOptions(int argc, char** argv, WalkOptions* options) {
  if (argc < 1 || argv[0][0] == '-') return false;
  options->data_dir = argv[0];
  for (int i = 1; i < argc; i++) {
    const char* option = argv[i];
    if (strcmp(option, "--sound") == 0) {
      options->sound = true;
      continue;
    }
    const char* value = i + 1 < argc ? argv[++i] : nullptr;
    if (TakePlaceOption(option, value, &options->place) != PlaceOption::kTaken) return false;
  }
  return true;
}

// Frames at the game's pace, each stepped as the game steps it but drawn only when its picture changed; in
// between, the thread sleeps until the next frame or an event.
void RunWalk(WalkSession* walk, PreviewWindow* window) {
  const double start = NowMs();
  double next_frame = start;
  double next_look = start + kLookMs;
  bool visible = true;
  std::string caption;
  while (!walk->quit) {
    PreviewEvent event;
    while (NextPreviewEvent(window, &event)) {
      switch (event.kind) {
        case PreviewEvent::kKey: PressWalkKey(walk, event.virtual_key, event.down, event.repeat); break;
        case PreviewEvent::kPointer: MoveWalkPointer(walk, event.dx, event.dy); break;
        case PreviewEvent::kClose: walk->quit = true; break;
        case PreviewEvent::kShown:
          visible = true;
          walk->frames_owed = 2;
          break;
        case PreviewEvent::kHidden: visible = false; break;
        case PreviewEvent::kFocusLost: ReleaseWalkKeys(walk); break;
      }
    }
    if (walk->quit) break;
    double now = NowMs();
    if (now >= next_frame) {
      StepWalkFrame(walk);
      if (now >= next_look) {
        LookAtLevelFiles(walk);
        next_look = now + kLookMs;
      }
      if (FinishWalkFrame(walk, visible)) ShowPreviewFrame(window);
      std::string now_caption = WalkCaption(walk, (now - start) / 1000);
      if (now_caption != caption) SetPreviewCaption(window, now_caption.c_str());
      caption = now_caption;
      HoldPreviewPointer(window, g_game.mouse_look == 1);
      // A frame that ran late is not caught up with, as in the game: movement is per frame.
      next_frame = std::max(next_frame + kFrameMs, now);
    }
    WaitForPreviewEvent(window, static_cast<int>(std::ceil(next_frame - NowMs())));
  }
}

}  // namespace

int RunWalkCommand(int argc, char** argv) {
  if (!PreviewWindowAvailable()) {
    fprintf(stderr, "gorvane-assets: walk: this build of the tool has no window of its own; the Linux package's "
                    "gorvane-assets walks a level, and view draws its pictures here\n");
    return 1;
  }
  WalkOptions options;
  if (!ParseWalkOptions(argc, argv, &options)) return WalkUsage();
  // Pictures go where the tool was started; the game opens its files by bare name from its working directory.
  std::error_code error;
  options.picture_dir = std::filesystem::current_path(error).string();
  std::filesystem::current_path(options.data_dir, error);
  if (error) {
    fprintf(stderr, "gorvane-assets: %s: cannot enter the directory (%s)\n", options.data_dir.c_str(),
            error.message().c_str());
    return 1;
  }
  PreviewWindow* window = OpenPreviewWindow("gorvane-assets: walk", "gorvane-assets walk");
  if (!window) return 1;
  g_game.model = new Ms3dModel();
  WalkSession walk;
  walk.play_sound = PlayPreviewSound;
  int exit_code = 1;
  if (StartWalk(&walk, options)) {
    RunWalk(&walk, window);
    exit_code = 0;
  }
  delete g_game.model;
  g_game.model = nullptr;
  ResetGameGlobals();
  ClosePreviewWindow(window);
  return exit_code;
}
