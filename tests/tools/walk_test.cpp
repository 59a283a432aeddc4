// The asset tool's preview, driven as its window drives it (keys, frames, looks at the files) on the scripted
// backend's offscreen context: live reloading, free flight, the cycle keys and the picture key.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/scripted/scripted.h"
#include "tests/support/game_run.h"
#include "tests/support/game_test.h"
#include "tests/support/png_read.h"
#include "tests/support/tool_run.h"
#include "tools/walk/walk_session.h"

namespace {

// An upright quad of one texture slot, 2 units wide and 1 high, 5 units north of the start; the sky shows
// above it.
std::string Level(int slot) {
  std::string s = std::to_string(slot) + "\n";
  return "NUMPOLLIES 2\n" + s + "-1 0 -5 0 0\n1 0 -5 1 0\n1 1 -5 1 1\n" + s + "-1 0 -5 0 0\n1 1 -5 1 1\n-1 1 -5 0 1\n";
}

void Save(const std::string& name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

class Walk : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    gl_ = std::make_unique<ScriptedGlContext>();
    ASSERT_TRUE(gl_->ok());
    Save("world.dat", Level(0));
  }
  void Start(float x, float z, float heading, int tick) {
    options_.place.at[0] = x;
    options_.place.at[1] = z;
    options_.place.at[2] = heading;
    options_.place.at[3] = 5;
    options_.place.tick = tick;
    options_.data_dir = ".";
    options_.picture_dir = ".";
    ASSERT_TRUE(StartWalk(&walk_, options_));
    WalkCaption(&walk_, -10);  // the key list's seconds are over by the time a test reads the caption
  }
  // Frames as the window runs them; each drawn when owed.
  void Frames(int count) {
    for (int i = 0; i < count; i++) {
      StepWalkFrame(&walk_);
      FinishWalkFrame(&walk_, true);
    }
  }
  void Key(uint32_t key) {
    PressWalkKey(&walk_, key, true, false);
    PressWalkKey(&walk_, key, false, false);
  }
  uint32_t Sky() { return ScriptedReadPixel(639, 479); }
  // The upper status bar's colour: energy.bmp's (slot 9 of WriteSceneBitmaps, 0x8C9AA8) in the tint in force.
  void ExpectBarTint(float tint) {
    const uint32_t bar = ScriptedReadPixel(42, 414);
    for (int shift : {16, 8, 0}) EXPECT_NEAR(bar >> shift & 0xFF, (0x8C9AA8u >> shift & 0xFF) * tint, 2) << shift;
  }

  std::unique_ptr<ScriptedGlContext> gl_;
  WalkOptions options_;
  WalkSession walk_;
};

TEST_F(Walk, ASavedLevelShowsFromTheSamePlaceAndABrokenOneLeavesTheLastGoodLevel) {
  Start(0.25f, 0.5f, 2, 2);
  PressWalkKey(&walk_, kVkUp, true, false);
  Frames(2);
  PressWalkKey(&walk_, kVkUp, false, false);
  Frames(2);
  const float x = g_game.player_x, z = g_game.player_z;
  const std::vector<uint8_t> first = ScriptedReadFrame();

  Save("world.dat", Level(3));
  LookAtLevelFiles(&walk_);
  Frames(2);
  EXPECT_EQ(ScriptedReadFrame(), first) << "read while it may still be written";
  LookAtLevelFiles(&walk_);
  Frames(2);
  const std::vector<uint8_t> second = ScriptedReadFrame();
  EXPECT_NE(second, first);
  EXPECT_EQ(g_game.player_x, x);
  EXPECT_EQ(g_game.player_z, z);
  EXPECT_EQ(g_game.view_yaw, 2.0f);

  // Half a file, no file, then a broken bitmap: each keeps what is on screen and says why, until a good file
  // comes.
  const std::string half = Level(5).substr(0, 40);
  const struct {
    const char* file;
    std::string bytes;
    const char* reason;
  } faults[] = {{"world.dat", half, "world.dat:5: corner 3 of triangle 1 of 2"},
                {"world.dat", "", "world.dat: cannot be read"},
                {"crate.bmp", "BM broken", "crate.bmp: "}};
  for (const auto& fault : faults) {
    if (fault.bytes.empty()) {
      remove(fault.file);
    } else {
      Save(fault.file, fault.bytes);
    }
    LookAtLevelFiles(&walk_);
    LookAtLevelFiles(&walk_);
    Frames(2);
    EXPECT_EQ(ScriptedReadFrame(), second) << fault.file;
    ASSERT_FALSE(walk_.reasons.empty()) << fault.file;
    EXPECT_EQ(walk_.reasons[0].rfind(fault.reason, 0), 0u) << walk_.reasons[0];
    EXPECT_NE(WalkCaption(&walk_, 60).find(fault.reason), std::string::npos) << WalkCaption(&walk_, 60);
  }
  WriteSceneBitmaps();
  Save("world.dat", Level(3));
  LookAtLevelFiles(&walk_);
  LookAtLevelFiles(&walk_);
  Frames(2);
  EXPECT_EQ(ScriptedReadFrame(), second);
  EXPECT_EQ(WalkCaption(&walk_, 60).find('|'), std::string::npos) << WalkCaption(&walk_, 60);
  // Files that did not change are read again only with the reload key.
  for (bool reload : {false, true}) {
    if (reload) Key(kWalkReloadKey);
    testing::internal::CaptureStderr();
    LookAtLevelFiles(&walk_);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("./world.dat: 2 triangles") != std::string::npos, reload);
  }
}

TEST_F(Walk, OnFootItsFramesAreTheGamesFramesForTheSameKeysAndPointer) {
  // North into box 1 and back, turning by keys and by pointer, across several ticks of the cycle.
  struct Input {
    uint32_t key;
    int dx, dy;
  };
  std::vector<Input> inputs;
  for (int frame = 0; frame < 40; frame++) {
    const uint32_t key = frame < 12 ? kVkUp : frame < 18 ? kVkLeft : frame < 30 ? kVkDown : kVkRight;
    inputs.push_back({key, frame % 7 - 3, frame % 5 - 2});
  }
  auto state = [] {
    return std::vector<float>{g_game.player_x,        g_game.player_z,   g_game.heading,   g_game.view_yaw,
                              g_game.look_pitch,      g_game.walk_bias,  g_game.walk_bias_angle,
                              float(g_game.cycle_tick), float(g_game.frame_divider)};
  };

  options_.data_dir = options_.picture_dir = ".";
  ASSERT_TRUE(StartWalk(&walk_, options_));
  std::vector<std::vector<float>> preview;
  for (const Input& input : inputs) {
    PressWalkKey(&walk_, input.key, true, false);
    MoveWalkPointer(&walk_, input.dx, input.dy);
    Frames(1);
    PressWalkKey(&walk_, input.key, false, false);
    preview.push_back(state());
  }

  // The game: X leaves the title in the first frame, which is already a play frame.
  ResetGameGlobals();
  std::vector<std::vector<float>> game;
  SwapScript script;
  for (size_t frame = 0; frame <= inputs.size(); frame++) {
    script[static_cast<int>(frame) + 1] = [&, frame] {
      if (frame > 0) {
        g_game.key_down[inputs[frame - 1].key] = 0;
        game.push_back(state());
      }
      if (frame == inputs.size()) return ScriptedKeyDown(kVkEscape);
      g_game.key_down[uint32_t{'X'}] = frame == 0;
      g_game.key_down[inputs[frame].key] = 1;
      Scripted().cursor = {320 + inputs[frame].dx, 240 + inputs[frame].dy};
    };
  }
  RunGame(kIdNo, script);
  EXPECT_EQ(game, preview);
  EXPECT_EQ(preview.back()[7], 7) << "seven ticks of the cycle";
  // Box 1 held the walker: the clamp ran, and each frame drew at most one step inside it.
  for (const std::vector<float>& frame : preview) EXPECT_GT(frame[1], -2.6f);
}

TEST_F(Walk, AHiddenWindowIsNotDrawnAndALongReasonIsCutToNinetyCharactersInTheCaption) {
  // A texture slot far out of range, past ten and a hundred thousand comment lines: reasons of 90 and 91
  // characters, the longer one cut.
  for (int lines : {10001, 100001}) {
    std::string comments;
    for (int i = 0; i < lines; ++i) comments += "/\n";
    Save("world.dat", "NUMPOLLIES 10\n" + comments + "-2147483648\n0 0 0 0 0\n0 0 0 0 0\n0 0 0 0 0\n");
    Start(0, 0, 0, 2);
    ASSERT_FALSE(walk_.reasons.empty());
    const std::string reason = walk_.reasons[0];
    ASSERT_EQ(reason.size(), lines > 10001 ? 91u : 90u) << reason;
    const std::string shown = lines > 10001 ? reason.substr(0, 87) + "..." : reason;
    EXPECT_EQ(walk_.world_problem, shown + " (shown as the game loads it)");
  }
  // Headings are shown from 0 to 359, whichever way the player turned.
  g_game.heading = -90;
  EXPECT_NE(WalkCaption(&walk_, 60).find(" heading 270 "), std::string::npos) << WalkCaption(&walk_, 60);
  // M turns mouse look off and on again.
  for (int expected : {0, 1}) {
    Key(kWalkMouseLookKey);
    EXPECT_EQ(g_game.mouse_look, expected);
  }
  // Nothing is drawn while the window cannot be seen, however many frames are owed.
  EXPECT_GT(walk_.frames_owed, 0);
  StepWalkFrame(&walk_);
  const int owed = walk_.frames_owed;
  EXPECT_FALSE(FinishWalkFrame(&walk_, false));
  EXPECT_EQ(walk_.frames_owed, owed);
  EXPECT_TRUE(FinishWalkFrame(&walk_, true));
  EXPECT_EQ(walk_.frames_owed, owed - 1);
}

TEST_F(Walk, FreeFlightPassesThroughABoxThatHoldsAWalkingPlayer) {
  // North from the start into box 1 (x -4..4, z -6..-2), which pushes a walker back to z = -2.
  Start(0.5f, -1, 0, 2);
  PressWalkKey(&walk_, kVkUp, true, false);
  Frames(12);
  EXPECT_GE(g_game.player_z, -2.5f);
  Key(kWalkFlightKey);
  Frames(4);
  EXPECT_LT(g_game.player_z, -3.9f);
  PressWalkKey(&walk_, kVkUp, false, false);
  PressWalkKey(&walk_, kWalkRiseKey, true, false);
  Frames(10);
  EXPECT_FLOAT_EQ(g_game.walk_bias, 1.0f + walk_.walking_bias);
  PressWalkKey(&walk_, kWalkRiseKey, false, false);
  // Back on foot, the box pushes the player out again, and the eye comes down.
  Key(kWalkFlightKey);
  Frames(1);
  EXPECT_EQ(g_game.player_z, -6);
  EXPECT_LT(g_game.walk_bias, 0.1f);
}

TEST_F(Walk, TheTickKeysStepTheCycleAndHoldIt) {
  std::vector<std::string> played;
  walk_.play_sound = [&](const char* name, uint32_t) { played.push_back(name); };
  options_.sound = true;
  Start(0, 0, 0, 100);
  Frames(2);
  EXPECT_EQ(Sky(), 0x38389E);  // dawn's first sky, 0.22 0.22 0.62
  // Night sets no sky of its own: stepping back into it shows the one the dusk left.
  PressWalkKey(&walk_, kWalkTickBackKey, true, false);
  Frames(2);
  EXPECT_EQ(g_game.cycle_tick, 99);
  EXPECT_EQ(Sky(), 0x333399);
  for (bool repeat : {false, true}) PressWalkKey(&walk_, kWalkTickOnKey, true, repeat);
  // As in the game, the status bars show the tint of the tick before, then the tick's own.
  Frames(1);
  ExpectBarTint(0.62f);
  Frames(1);
  ExpectBarTint(0.64f);
  EXPECT_EQ(g_game.cycle_tick, 101);
  EXPECT_EQ(Sky(), 0x3D3DA3);

  Key(kWalkHoldTickKey);
  Frames(20);
  EXPECT_EQ(g_game.cycle_tick, 101);
  // The cycle wraps both ways; a held tick makes no sound, a running one plays the game's.
  for (int i = 0; i < 19; i++) Key(kWalkTickOnKey);
  EXPECT_EQ(g_game.cycle_tick, 1);
  Key(kWalkTickBackKey);
  EXPECT_EQ(g_game.cycle_tick, 119);
  Key(kWalkTickOnKey);
  Frames(6);
  EXPECT_TRUE(played.empty());
  Key(kWalkHoldTickKey);
  // A picture taken meanwhile is drawn silently.
  Frames(3);
  Key(kWalkPictureKey);
  Frames(3);
  EXPECT_EQ(played, std::vector<std::string>(5, "plokhello.wav"));
  // Let run into the dusk, the screen follows the tick's sky.
  Key(kWalkHoldTickKey);
  for (int i = 0; i < 47; i++) Key(kWalkTickOnKey);
  Key(kWalkHoldTickKey);
  Frames(8);
  EXPECT_EQ(g_game.cycle_tick, 50);
  EXPECT_EQ(Sky(), 0x9494FA);
}

TEST_F(Walk, TheCollisionOutlinesAreLinesTwoPixelsWideYellowForTheRectangleAndRedForTheBoxes) {
  // Facing the rectangle's south edge from a unit away, then box 1's south edge from the start, then the
  // rectangle's south-east corner post; yellow is 1, 0.85, 0 and red 1, 0.1, 0.1, unfogged.
  const struct {
    float x, z, heading;
    int rgb[3];
    bool post;
  } views[] = {{0, 17, 180, {255, 217, 0}, false},
               {0, 0, 0, {255, 26, 26}, false},
               {17, 17, 225, {255, 217, 0}, true}};
  for (const auto& view : views) {
    SCOPED_TRACE(view.heading);
    Start(view.x, view.z, view.heading, 2);
    Key(kWalkOutlinesKey);
    Frames(2);
    Key(kWalkOutlinesKey);
    // Runs of the outline's colour down the middle column.
    std::vector<int> runs;
    bool in_run = false;
    for (int y = 0; y < 480; ++y) {
      const uint32_t p = ScriptedReadPixel(320, y);
      bool near = true;
      for (int c = 0; c < 3; ++c) near = near && std::abs(static_cast<int>(p >> (16 - 8 * c) & 0xFF) - view.rgb[c]) <= 2;
      if (near && !in_run) runs.push_back(0);
      if (near) ++runs.back();
      in_run = near;
    }
    ASSERT_GE(runs.size(), view.post ? 1u : 2u);
    if (view.post) {
      // The post stands from the floor to the top of the band.
      EXPECT_GT(*std::max_element(runs.begin(), runs.end()), 20);
      continue;
    }
    // The floor's line and the one at the top of the blocking band, each two pixels thick.
    for (int run : runs) EXPECT_GE(run, 2);
  }
}

TEST_F(Walk, ThePictureKeyWritesTheFrameTheViewCommandDraws) {
  if (!getenv("GORVANE_ASSETS")) GTEST_SKIP() << "GORVANE_ASSETS names no tool (run through ctest)";
  Start(0.25f, 0.5f, 2, 60);
  Key(kWalkOutlinesKey);
  PressWalkKey(&walk_, kVkUp, true, false);
  Frames(3);
  PressWalkKey(&walk_, kVkUp, false, false);
  // A picture taken on the frame that wraps the cycle is of its first tick.
  g_game.cycle_tick = 120;
  Key(kWalkPictureKey);
  testing::internal::CaptureStdout();
  FinishWalkFrame(&walk_, true);
  std::string wrapped = testing::internal::GetCapturedStdout();
  EXPECT_NE(wrapped.find(" --tick 1\n"), std::string::npos) << wrapped;
  remove("walk-1.png");
  Key(kWalkPictureKey);
  testing::internal::CaptureStdout();
  Frames(1);
  std::string line = testing::internal::GetCapturedStdout();
  line.pop_back();
  EXPECT_EQ(line.rfind("./walk-1.png: --at ", 0), 0u) << line;
  ToolRun view = RunTool("view ." + line.substr(line.find(' ')) + " --png view.png");
  ASSERT_EQ(view.exit_code, 0) << view.err;
  int width = 0, height = 0;
  std::vector<uint8_t> picture = ReadPng("walk-1.png", &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(picture, ReadPng("view.png", &width, &height));
}

}  // namespace

TEST_F(Walk, WrongArgumentsExit2AndWhatWouldStopTheGameStopsIt) {
  if (!getenv("GORVANE_ASSETS")) GTEST_SKIP() << "GORVANE_ASSETS names no tool (run through ctest)";
  // All refused before any window opens; with no display, one that got past would end too.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  for (const char* arguments : {"", "--sound", ". --tick 0", ". --tick 120", ". --at 1", ". --at 1,2,3,4,5", ". --tick",
                                ". --png a.png"}) {
    EXPECT_EQ(RunTool(std::string("walk ") + arguments).exit_code, 2) << arguments;
  }
  EXPECT_EQ(RunTool("walk missing").exit_code, 1);
  ASSERT_EQ(remove("waterfall2.bmp"), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(StartWalk(&walk_, options_));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no waterfall2.bmp"), std::string::npos);
}
