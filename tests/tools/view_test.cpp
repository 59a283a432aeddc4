// The asset tool's views of the shipped level: the same pixels as the game draws at that place and tick, and
// the same pictures as those kept in tests/data/views/. Run in data/, the shipped data directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/scripted/scripted.h"
#include "tests/support/files.h"
#include "tests/support/game_run.h"
#include "tests/support/game_test.h"
#include "tests/support/picture_compare.h"
#include "tests/support/png_read.h"
#include "tests/support/tool_run.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

using Picture = std::vector<uint8_t>;  // RGB, top row first

// A PNG file's pixels as RGB, top row first; empty when it does not decode to 640 x 480.
Picture ReadGamePng(const std::string& path) {
  int width = 0, height = 0;
  Picture picture = ReadPng(path, &width, &height);
  return width == kWidth && height == kHeight ? picture : Picture();
}

// The frame the game's context holds, top row first.
Picture ReadGameFrame() {
  int width = 0, height = 0;
  std::vector<uint8_t> rows = ScriptedReadFrame(&width, &height);
  Picture picture(rows.size());
  if (width != kWidth || height != kHeight) return {};
  const size_t stride = kWidth * 3;
  for (int y = 0; y < kHeight; y++) {
    std::copy_n(rows.data() + (kHeight - 1 - y) * stride, stride, picture.data() + y * stride);
  }
  return picture;
}

// Whether two pictures show the same view within BOUND; says by how much they differ when they do not.
testing::AssertionResult SameWithin(const Picture& a, const Picture& b, const PictureBound& bound) {
  PictureDifference difference = ComparePictures(a, b, bound);
  if (difference.within) return testing::AssertionSuccess();
  return testing::AssertionFailure() << difference.differing << " pixels differ, a mean difference of "
                                     << difference.mean << " levels (bound \"" << bound.name << "\")";
}

// The place every compared frame is seen from: in the hut's doorway facing south, looking a little down.
constexpr float kX = 1.5f, kZ = 1.0f, kHeading = 180.0f, kPitch = 10.0f;
// Day, dusk, night, dawn.
constexpr int kTicks[] = {3, 60, 85, 105};

class ViewTool : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    if (!getenv("GORVANE_ASSETS")) GTEST_SKIP() << "GORVANE_ASSETS names no tool (run through ctest)";
  }
};

// The game, played on the scripted backend: the title frame, then, once in play, the player is put at the place
// and the frames drawn at each tick are kept (the second frame of the tick: one that follows a frame drawn at the
// same tick, as a player standing there sees it).
std::map<int, Picture> PlayAndKeepFrames() {
  std::map<int, Picture> frames;  // by tick; 0 is the title
  std::map<int, int> frames_at_tick;
  bool placed = false;
  RunGameFrames(kIdNo, [&](int frame) {
    if (frame == 1) {
      frames[0] = ReadGameFrame();
      ScriptedKeyDown('X');
      return;
    }
    if (g_game.screen_stage < 2) return;
    if (!placed) {
      ScriptedKeyUp('X');
      // Put where the view stands; mouse look copies the heading into the view after this swap.
      g_game.player_x = kX;
      g_game.player_z = kZ;
      g_game.heading = kHeading;
      g_game.look_pitch = kPitch;
      placed = true;
      return;
    }
    int tick = g_game.cycle_tick;
    if (++frames_at_tick[tick] != 2) return;
    if (std::find(std::begin(kTicks), std::end(kTicks), tick) != std::end(kTicks)) frames[tick] = ReadGameFrame();
    if (tick == kTicks[std::size(kTicks) - 1]) ScriptedPostMessage(kWmClose);
    // Skips the ticks whose sky and tint the next tick's overwrites anyway (a day tick sets the same colours
    // as the one before it, a night tick sets none), so the game needs 170 frames, not 630.
    for (auto [from, to] : {std::pair{4, 48}, std::pair{61, 68}, std::pair{70, 84}, std::pair{86, 99}}) {
      if (tick == from) g_game.cycle_tick = to;
    }
  });
  return frames;
}

TEST_F(ViewTool, DrawsTheFrameTheGameDrawsAtThatPlaceAndTick) {
  std::map<int, Picture> game = PlayAndKeepFrames();
  ASSERT_EQ(game.size(), std::size(kTicks) + 1);
  const std::string data = SourceDir() + "/data";
  ScopedWorkingDirectory directory;

  ToolRun title = RunTool("view '" + data + "' --title --png title.png");
  ASSERT_EQ(title.exit_code, 0) << title.err;
  Picture tool = ReadGamePng("title.png");
  ASSERT_FALSE(tool.empty());
  EXPECT_TRUE(SameWithin(tool, game[0], kToolAgainstGame)) << "the title";

  for (int tick : kTicks) {
    char at[64];
    snprintf(at, sizeof at, "%g,%g,%g,%g", kX, kZ, kHeading, kPitch);
    ToolRun run = RunTool("view '" + data + "' --at " + at + " --tick " + std::to_string(tick) + " --png frame.png");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    tool = ReadGamePng("frame.png");
    ASSERT_FALSE(tool.empty());
    EXPECT_TRUE(SameWithin(tool, game[tick], kToolAgainstGame)) << "tick " << tick;
  }
}

using ShippedViews = ToolTest;
using ViewArguments = ToolTest;

TEST_F(ViewArguments, WrongOnesExit2AndDataThatWouldStopTheGameExits1) {
  for (const char* arguments : {"", "--png a.png", ". --tick 3", ". --png", ". --png ''", ". --tick 0 --png a.png",
                                ". --tick 120 --png a.png", ". --at 1 --png a.png", ". --at 1,2,3,4,5 --png a.png",
                                ". --at 1,z --png a.png", ". --at 1,,2 --png a.png", ". --at 1,2x --png a.png",
                                ". --tick 3x --png a.png", ". --time 0", ". --time 5x", ". --png a.png --speed 5",
                                ". --at 1,2 --png a.png --fast"}) {
    EXPECT_EQ(RunTool(std::string("view ") + arguments).exit_code, 2) << arguments;
  }
  ToolRun run = RunTool("view missing --png a.png");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("missing: cannot enter the directory"), std::string::npos) << run.err;

  // Every scene bitmap but one, and no level: the game would stop at the missing bitmap, and the tool says which,
  // the first of the sixteen as well as the last.
  for (const char* missing : {"floor1.bmp", "waterfall2.bmp"}) {
    WriteSceneBitmaps();
    ASSERT_EQ(remove(missing), 0);
    run = RunTool("view . --png a.png");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, std::string("gorvane-assets: .: no ") + missing +
                           "\ngorvane-assets: .: the scene textures did not load; the game would stop here\n");
  }
  // With it, the game would play an empty level: the tool draws it and says why it is empty.
  WriteSceneBitmaps();
  run = RunTool("view . --png a.png");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "gorvane-assets: .: no triangles from world.dat; the view shows the sky only\n");
  int width = 0, height = 0;
  EXPECT_EQ(ReadPng("a.png", &width, &height).size(), 640u * 480 * 3);
  // --time draws the frame as often as asked and says how long one takes.
  run = RunTool("view . --time 3");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.rfind("3 frames: median ", 0), 0u) << run.out;
  // One triangle is a level, not an empty one.
  std::ofstream("world.dat") << "NUMPOLLIES 1\n0\n0 0 0 0 0\n1 0 0 1 0\n0 0 1 0 1\n";
  EXPECT_EQ(RunTool("view . --png a.png").err, "");
}

// Each view of views.txt, drawn by the tool now, against its kept picture. After a change meant to change what
// a player sees, renew the pictures with scripts/views.sh and look at them.
TEST_F(ShippedViews, LookAsTheKeptPictures) {
  const std::string source = SourceDir();
  std::ifstream list(source + "/tests/data/views.txt");
  ASSERT_TRUE(list) << "no tests/data/views.txt";
  int views = 0;
  for (std::string line; std::getline(list, line);) {
    std::istringstream fields(line);
    std::string name, arguments, word;
    if (!(fields >> name) || name[0] == '#') continue;
    while (fields >> word) arguments += " " + word;
    ToolRun run = RunTool("view '" + source + "/data'" + arguments + " --png view.png");
    ASSERT_EQ(run.exit_code, 0) << name << ": " << run.err;
    Picture drawn = ReadGamePng("view.png");
    Picture kept = ReadGamePng(source + "/tests/data/views/" + name + ".png");
    ASSERT_FALSE(drawn.empty()) << name;
    ASSERT_FALSE(kept.empty()) << name << ": no kept picture; make it with scripts/views.sh";
    EXPECT_TRUE(SameWithin(drawn, kept, kSoftwareAgainstKept)) << name << " (renew with scripts/views.sh)";
    views++;
  }
  EXPECT_GE(views, 7);
}

}  // namespace
