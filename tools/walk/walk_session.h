// The asset tool's preview of a level: the game in play at once, walked with the game's own movement and drawn
// by its own renderer, with the keys a level maker needs, and the level read again whenever its files change.
// Everything here runs on whatever OpenGL context is current, takes keys as Windows virtual-key codes and reaches
// the platform only through os.h and platform/windowless.h, so the window that feeds it
// (platform/preview_window.h) is the only part that knows the system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene/texture_files.h"
#include "tools/support/game_place.h"
#include "tools/walk/level_watch.h"

// The keys the preview adds to the game's, one line each, for the usage text.
extern const char kWalkKeys[];

// Keys beyond the game's: flight, the cycle, the collision outlines, pictures, reloading, the key list.
constexpr uint32_t kWalkFlightKey = 'F';
constexpr uint32_t kWalkRiseKey = 0x21;     // Page Up
constexpr uint32_t kWalkSinkKey = 0x22;     // Page Down
constexpr uint32_t kWalkTickBackKey = 0xBC;  // comma
constexpr uint32_t kWalkTickOnKey = 0xBE;    // full stop
constexpr uint32_t kWalkHoldTickKey = 'T';
constexpr uint32_t kWalkOutlinesKey = 'C';
constexpr uint32_t kWalkPictureKey = 'P';
constexpr uint32_t kWalkReloadKey = 'R';
constexpr uint32_t kWalkMouseLookKey = 'M';
constexpr uint32_t kWalkKeysKey = 'H';

struct WalkOptions {
  GamePlace place;
  bool sound = false;
  std::string data_dir;     // as given, to name files in messages
  std::string picture_dir;  // where the picture key writes walk-N.png
};

// What the picture of a frame would hold: any difference means the screen is out of date.
struct WalkView {
  float x, z, yaw, pitch, bias;
  int32_t tick;
  uint64_t world_generation;
  uint32_t textures[kSceneTextureCount];
  bool outlines;
  bool operator==(const WalkView&) const = default;
};

struct WalkSession {
  WalkOptions options;
  // Called with each sound request of a drawn frame when --sound is given.
  std::function<void(const char* file_name, uint32_t flags)> play_sound;

  bool quit = false;
  bool flight = false;
  float flight_height = 0;  // above the walking eye; the renderer takes it as the head bob
  float walking_bias = 0;   // the head bob when flight began, given back when it ends
  bool tick_held = false;
  bool outlines = false;
  bool picture_wanted = false;
  bool reload_wanted = false;
  bool keys_wanted = true;  // the key list shows in the caption for a few seconds
  double keys_until = 0;
  int mouse_dx = 0, mouse_dy = 0;

  LevelWatch watch{LevelStamps{}};
  // Why the level on screen is not what the files hold, in short, until the part loads; and every reason the
  // last reading gave.
  std::string world_problem, textures_problem;
  std::vector<std::string> reasons;

  WalkView drawn = {};
  int frames_owed = 2;
};

// Sets up the scene in the current context as the game does and puts the player at the place and tick, in
// play. False, with the reasons on standard error, when the scene bitmaps do not load (the game would stop).
bool StartWalk(WalkSession* walk, const WalkOptions& options);
// A key went down or up; repeat is true for the keyboard's own repeats of a held key.
void PressWalkKey(WalkSession* walk, uint32_t virtual_key, bool down, bool repeat);
// The pointer moved by dx, dy pixels.
void MoveWalkPointer(WalkSession* walk, int dx, int dy);
// Forgets the keys held (the window lost the keyboard).
void ReleaseWalkKeys(WalkSession* walk);
// One frame of play, as the game runs it after each buffer swap (mouse look, then the game's own play frame),
// except that flight leaves out the clamp rules and a held tick stays where it is.
void StepWalkFrame(WalkSession* walk);
// One look at the level's files: reads again whatever changed and has stopped changing, or everything when the
// reload key was pressed.
void LookAtLevelFiles(WalkSession* walk);
// Ends the frame: draws it when the screen no longer shows what the game would draw now and the window is
// visible (first the picture, when its key was pressed), or else runs only its day-cycle steps; hands on its
// sound requests. True when it drew, and the frame is to be shown.
bool FinishWalkFrame(WalkSession* walk, bool visible);
// The window caption at `seconds` since the start: the keys for a while, then the place, heading and tick.
std::string WalkCaption(WalkSession* walk, double seconds);
