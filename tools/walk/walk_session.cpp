#include "tools/walk/walk_session.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/globals.h"
#include "app/movement.h"
#include "app/play_frame.h"
#include "platform/gl.h"
#include "platform/os.h"
#include "platform/windowless.h"
#include "scene/day_cycle.h"
#include "scene/renderer.h"
#include "scene/world_reader.h"
#include "tools/support/hidden_picture.h"
#include "tools/support/png_file.h"
#include "tools/walk/collision_outlines.h"
#include "tools/walk/level_reload.h"

const char kWalkKeys[] =
    "  arrows     walk and turn, as in the game       mouse   look (M lets the pointer go and takes it back)\n"
    "  F          free flight on and off: no collision, Page Up and Page Down rise and sink\n"
    "  , and .    the cycle one tick back and on      T       hold the tick still, or let it run\n"
    "  C          the collision rectangle and boxes   P       a picture of the frame, walk-N.png\n"
    "  R          read the level again now            H       these keys in the caption\n"
    "  Escape     quit\n";

namespace {

// How far flight rises or sinks in one frame: a tenth of a unit, five units a second.
constexpr float kFlightStep = 0.1f;
constexpr double kKeysSeconds = 6;
constexpr const char* kKeysCaption =
    "walk: arrows walk, mouse looks, F flight (PgUp/PgDn), ,/. tick, T hold tick, C collision, P picture, "
    "R reload, M mouse, H keys, Esc quit";

// What the frame drawn now would show.
WalkView ViewNow(const WalkSession& walk) {
  WalkView view = {};
  view.x = g_game.player_x;
  view.z = g_game.player_z;
  view.yaw = g_game.view_yaw;
  view.pitch = g_game.look_pitch;
  view.bias = g_game.walk_bias;
  view.tick = g_game.cycle_tick;
  view.world_generation = WorldGeneration();
  for (int slot = 0; slot < kSceneTextureCount; slot++) view.textures[slot] = g_game.textures.names[slot];
  view.outlines = walk.outlines;
  return view;
}

// Moves the cycle one tick back or on, wrapping within 1 to the last tick.
void StepTick(int by) {
  int tick = g_game.cycle_tick > kLastCycleTick ? 1 : g_game.cycle_tick;
  tick += by;
  if (tick < 1) tick = kLastCycleTick;
  if (tick > kLastCycleTick) tick = 1;
  // A tick that sets no sky shows the one the cycle last set on its way there.
  SettleCycle(tick);
  g_game.frame_divider = 0;
}

// Flight starts at the eye's height and lands at the head bob it left.
void ToggleFlight(WalkSession* walk) {
  walk->flight = !walk->flight;
  if (walk->flight) {
    walk->walking_bias = g_game.walk_bias;
    walk->flight_height = g_game.walk_bias;
  } else {
    g_game.walk_bias = walk->walking_bias;
  }
}

// The short form of a part's failure for the caption: its first reason, and what is on screen instead.
std::string Problem(const std::vector<std::string>& reasons, const char* shown = "last good level kept") {
  std::string first = reasons.empty() ? std::string("did not load") : reasons.front();
  if (first.size() > 90) first = first.substr(0, 87) + "...";
  return first + " (" + shown + ")";
}

// Every reason on standard error, named from the data directory as given.
void ReportReasons(const WalkSession& walk, const std::vector<std::string>& reasons, const char* what) {
  for (const std::string& reason : reasons) fprintf(stderr, "%s/%s\n", walk.options.data_dir.c_str(), reason.c_str());
  fprintf(stderr, "gorvane-assets: %s: %s did not load; the preview keeps the last good level\n",
          walk.options.data_dir.c_str(), what);
}

// Reads the parts again, keeping for each what it says went wrong until it loads.
void ReloadParts(WalkSession* walk, LevelParts parts, const LevelStamps& stamps) {
  const char* dir = walk->options.data_dir.c_str();
  walk->reasons.clear();
  if (parts.world) {
    std::vector<std::string> reasons;
    if (ReloadWorld(&reasons)) {
      walk->world_problem.clear();
      fprintf(stderr, "gorvane-assets: %s/world.dat: %d triangles\n", dir, g_game.world.triangle_count);
    } else {
      walk->world_problem = Problem(reasons);
      ReportReasons(*walk, reasons, "world.dat");
    }
    walk->reasons.insert(walk->reasons.end(), reasons.begin(), reasons.end());
  }
  if (parts.textures) {
    std::vector<std::string> reasons;
    if (ReloadTextures(&reasons)) {
      walk->textures_problem.clear();
      fprintf(stderr, "gorvane-assets: %s: the sixteen scene bitmaps\n", dir);
    } else {
      walk->textures_problem = Problem(reasons);
      ReportReasons(*walk, reasons, "the scene bitmaps");
    }
    walk->reasons.insert(walk->reasons.end(), reasons.begin(), reasons.end());
  }
  // Marked with the stamps from before the reading: a file that changed meanwhile is read again.
  walk->watch.MarkRead(parts, stamps);
}

// The first walk-N.png not yet in the directory, so pictures of earlier sessions stay.
std::string NextPictureName(const std::string& dir) {
  for (int n = 1;; n++) {
    std::string name = dir + "/walk-" + std::to_string(n) + ".png";
    std::error_code error;
    if (!std::filesystem::exists(name, error)) return name;
  }
}

// The picture the view command draws at this place and tick: the head bob at rest, the cycle settled, a frame
// before and then the frame, read back before anything else is drawn over it.
void WritePicture(WalkSession* walk) {
  const float bias = g_game.walk_bias;
  const int tick = g_game.cycle_tick > kLastCycleTick ? 1 : g_game.cycle_tick;
  if (!walk->flight) g_game.walk_bias = 0;
  SettleCycle(tick);
  DrawScene();
  g_game.cycle_tick = tick;
  DrawScene();
  std::string name = NextPictureName(walk->options.picture_dir);
  if (WritePng(name, ReadPicture(), kPictureWidth, kPictureHeight)) {
    printf("%s: --at %.9g,%.9g,%.9g,%.9g --tick %d", name.c_str(), static_cast<double>(g_game.player_x),
           static_cast<double>(g_game.player_z), static_cast<double>(g_game.view_yaw),
           static_cast<double>(g_game.look_pitch), tick);
    if (walk->flight) printf(" (in flight, %.2f above the walking eye)", static_cast<double>(walk->flight_height));
    printf("\n");
    fflush(stdout);
  } else {
    fprintf(stderr, "gorvane-assets: %s: cannot write the file\n", name.c_str());
  }
  g_game.walk_bias = bias;
  TakeSoundRequests();
}

}  // namespace

bool StartWalk(WalkSession* walk, const WalkOptions& options) {
  walk->options = options;
  // Stamped before the reading, so a file saved while the scene is set up is read again.
  const LevelStamps stamps = StampLevelFiles();
  if (!StartToolScene(options.data_dir)) return false;
  walk->watch = LevelWatch(stamps);
  // The game keeps what it read of a broken level; the preview says what is wrong with it.
  std::vector<std::string> reasons;
  if (!ReloadWorld(&reasons)) {
    walk->world_problem = Problem(reasons, "shown as the game loads it");
    for (const std::string& reason : reasons) fprintf(stderr, "%s/%s\n", options.data_dir.c_str(), reason.c_str());
  }
  walk->reasons = reasons;
  PutPlayerAt(options.place);
  return true;
}

void PressWalkKey(WalkSession* walk, uint32_t virtual_key, bool down, bool repeat) {
  if (virtual_key < 256) g_game.key_down[virtual_key] = down ? 1 : 0;
  if (!down) return;
  if (virtual_key == kWalkTickBackKey) StepTick(-1);
  if (virtual_key == kWalkTickOnKey) StepTick(1);
  if (repeat) return;
  switch (virtual_key) {
    case kVkEscape: walk->quit = true; break;
    case kWalkFlightKey: ToggleFlight(walk); break;
    case kWalkHoldTickKey: walk->tick_held = !walk->tick_held; break;
    case kWalkOutlinesKey: walk->outlines = !walk->outlines; break;
    case kWalkPictureKey: walk->picture_wanted = true; break;
    case kWalkReloadKey: walk->reload_wanted = true; break;
    case kWalkMouseLookKey: g_game.mouse_look = g_game.mouse_look == 1 ? 0 : 1; break;
    case kWalkKeysKey: walk->keys_wanted = true; break;
    default: break;
  }
}

void MoveWalkPointer(WalkSession* walk, int dx, int dy) {
  walk->mouse_dx += dx;
  walk->mouse_dy += dy;
}

void ReleaseWalkKeys(WalkSession*) {
  for (uint8_t& key : g_game.key_down) key = 0;
}

void StepWalkFrame(WalkSession* walk) {
  // Mouse look reads how far the pointer left the middle since the last frame, and puts it back.
  OsSetCursorPos(320 + walk->mouse_dx, 240 + walk->mouse_dy);
  walk->mouse_dx = walk->mouse_dy = 0;
  ApplyMouseLook();
  const int32_t tick = g_game.cycle_tick, divider = g_game.frame_divider;
  if (walk->flight) {
    // Flight passes through walls and boxes: the play frame without its clamp rules.
    CountPlayFrame();
    ApplyMovementKeys();
    if (g_game.key_down[kWalkRiseKey]) walk->flight_height += kFlightStep;
    if (g_game.key_down[kWalkSinkKey]) walk->flight_height -= kFlightStep;
    g_game.walk_bias = walk->flight_height;
  } else {
    StepPlayFrame();
  }
  if (walk->tick_held) {
    g_game.cycle_tick = tick;
    g_game.frame_divider = divider;
  }
}

void LookAtLevelFiles(WalkSession* walk) {
  LevelStamps now = StampLevelFiles();
  LevelParts parts = walk->watch.Look(now);
  if (walk->reload_wanted) parts = {true, true};
  walk->reload_wanted = false;
  if (parts.world || parts.textures) ReloadParts(walk, parts, now);
}

bool FinishWalkFrame(WalkSession* walk, bool visible) {
  // Two frames for every change: the sky a tick chooses shows from the frame after.
  if (!(ViewNow(*walk) == walk->drawn) || walk->picture_wanted) walk->frames_owed = 2;
  const bool draw = visible && walk->frames_owed > 0;
  if (draw) {
    if (walk->picture_wanted) WritePicture(walk);
    walk->picture_wanted = false;
    DrawScene();
    if (walk->outlines) DrawCollisionOutlines();
  } else {
    // The cycle's steps of a frame not drawn, as DrawScene takes them: its sounds, its tint, its sky, its wrap.
    glColor3f(1.0f, 1.0f, 1.0f);
    AdvanceCycle();
    ApplySkyColour();
  }
  // A held tick would restart its sound every frame.
  const std::vector<SoundRequest> sounds = TakeSoundRequests();
  if (walk->play_sound && walk->options.sound && !walk->tick_held) {
    for (const SoundRequest& sound : sounds) walk->play_sound(sound.file_name.c_str(), sound.flags);
  }
  if (draw) {
    walk->drawn = ViewNow(*walk);
    walk->frames_owed--;
  }
  return draw;
}

std::string WalkCaption(WalkSession* walk, double seconds) {
  if (walk->keys_wanted) walk->keys_until = seconds + kKeysSeconds;
  walk->keys_wanted = false;
  if (seconds < walk->keys_until) return kKeysCaption;
  double heading = std::fmod(static_cast<double>(g_game.heading), 360.0);
  if (heading < 0) heading += 360.0;
  char text[160];
  snprintf(text, sizeof text, "walk: x %.2f z %.2f heading %.0f pitch %.0f tick %d%s",
           static_cast<double>(g_game.player_x), static_cast<double>(g_game.player_z), heading,
           static_cast<double>(g_game.look_pitch), g_game.cycle_tick, walk->tick_held ? " (held)" : "");
  std::string caption = text;
  if (walk->flight) {
    snprintf(text, sizeof text, ", flying %.1f up", static_cast<double>(walk->flight_height));
    caption += text;
  }
  if (walk->outlines) caption += ", collision shown";
  for (const std::string* problem : {&walk->world_problem, &walk->textures_problem}) {
    if (!problem->empty()) caption += " | " + *problem;
  }
  return caption;
}
