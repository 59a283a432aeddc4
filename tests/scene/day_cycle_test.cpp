// The day cycle's script: every tick's tint and sky, and the sound requests of a whole cycle as the real loop
// makes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene/day_cycle.h"
#include "tests/scene/scene_fixture.h"
#include "tests/support/game_test.h"

namespace {

using CycleTable = GameTest;
using CycleSounds = GameTest;

// The float nearest to a two-decimal value, as the library reads "0.58".
float TwoDecimals(int hundredths) {
  char text[16];
  snprintf(text, sizeof(text), "%d.%02d", hundredths / 100, hundredths % 100);
  return strtof(text, nullptr);
}

struct Expected {
  bool tint = false;
  int tint_rgb[3] = {};
  bool sky = false;
  int sky_red = 0;
};

// The table written from its rules, in hundredths.
Expected ExpectedFor(int tick) {
  Expected e;
  if (tick == 1 || tick >= 120) {
    e.tint = true;
    e.tint_rgb[0] = e.tint_rgb[1] = e.tint_rgb[2] = 100;
  }
  if (tick >= 50 && tick <= 69) {
    e.tint = true;
    e.tint_rgb[0] = e.tint_rgb[1] = e.tint_rgb[2] = 100 - 2 * (tick - 49);
    e.sky = true;
    e.sky_red = 60 - 2 * (tick - 49);
  } else if (tick >= 100 && tick <= 118) {
    e.tint = true;
    int red = 62 + 2 * (tick - 100);
    e.tint_rgb[0] = red;
    e.tint_rgb[1] = e.tint_rgb[2] = tick >= 110 && tick <= 114 ? red + 8 : red;
    e.sky = true;
    e.sky_red = 22 + 2 * (tick - 100);
  } else if (tick < 50 || tick >= 120) {
    e.sky = true;
    e.sky_red = 60;
  }
  return e;
}

TEST_F(CycleTable, EveryTickSetsTheTableColoursAndNothingElse) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  const float sentinel = 0.123f;
  for (int tick = -3; tick <= 125; ++tick) {
    g_game.cycle_tick = tick;
    glColor3f(sentinel, sentinel, sentinel);
    glClearColor(sentinel, sentinel, sentinel, sentinel);
    EXPECT_EQ(AdvanceCycle(), 1);
    ApplySkyColour();
    Expected e = ExpectedFor(tick);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(colour[c], e.tint ? TwoDecimals(e.tint_rgb[c]) : sentinel) << "tint, tick " << tick << " channel " << c;
    }
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    if (e.sky) {
      EXPECT_EQ(colour[0], TwoDecimals(e.sky_red)) << "sky, tick " << tick;
      EXPECT_EQ(colour[1], TwoDecimals(e.sky_red)) << "sky, tick " << tick;
      EXPECT_EQ(colour[2], TwoDecimals(e.sky_red + 40)) << "sky, tick " << tick;
      EXPECT_EQ(colour[3], TwoDecimals(e.sky_red)) << "sky, tick " << tick;
    } else {
      EXPECT_EQ(colour[0], sentinel) << "no sky call at tick " << tick;
    }
    EXPECT_EQ(g_game.cycle_tick, tick >= 120 ? 1 : tick);
  }
}

TEST_F(CycleTable, SoundRequestsByTick) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  std::vector<int> request_ticks;
  for (int tick = 1; tick <= 130; ++tick) {
    g_game.cycle_tick = tick;
    size_t before = Scripted().sounds.size();
    AdvanceCycle();
    for (size_t i = before; i < Scripted().sounds.size(); ++i) request_ticks.push_back(tick);
  }
  EXPECT_EQ(request_ticks, (std::vector<int>{1, 15, 27, 37}));
  ASSERT_EQ(Scripted().sounds.size(), 4u);
  EXPECT_EQ(Scripted().sounds[0].file_name, "plokhello.wav");
  EXPECT_EQ(Scripted().sounds[1].file_name, "plokitsme.wav");
  EXPECT_EQ(Scripted().sounds[2].file_name, "plokstart.wav");
  EXPECT_EQ(Scripted().sounds[3].file_name, "track2.wav");
  EXPECT_EQ(Scripted().sounds[0].flags, kSndAsync);
  EXPECT_EQ(Scripted().sounds[1].flags, kSndAsync);
  EXPECT_EQ(Scripted().sounds[2].flags, kSndAsync);
  EXPECT_EQ(Scripted().sounds[3].flags, kSndAsync | kSndLoop);
}

// The whole run as a player hears it: five greetings at the start (the frame that left the title counted
// already), six of every other clip, the music once per cycle, the silent wrap, and five greetings after it.
TEST_F(CycleSounds, OneFullCycleInOrderAndCount) {
  int wraps = 0;
  int32_t last_tick = 1;
  RunFrames("NUMPOLLIES 0\n", [&](int frame) {
    if (frame == 1) ScriptedKeyDown('X');
    if (frame == 2) ScriptedKeyUp('X');
    if (g_game.cycle_tick < last_tick) ++wraps;
    last_tick = g_game.cycle_tick;
    if (wraps == 1 && g_game.cycle_tick == 40) ScriptedKeyDown(kVkEscape);
  });
  std::vector<std::pair<std::string, uint32_t>> expected;
  auto add = [&](const char* name, uint32_t flags, int frames) {
    for (int i = 0; i < frames; ++i) expected.emplace_back(name, flags);
  };
  for (int cycle = 0; cycle < 2; ++cycle) {
    add("plokhello.wav", kSndAsync, 5);
    add("plokitsme.wav", kSndAsync, 6);
    add("plokstart.wav", kSndAsync, 6);
    add("track2.wav", kSndAsync | kSndLoop, 6);
  }
  std::vector<std::pair<std::string, uint32_t>> heard;
  for (const SoundRequest& sound : Scripted().sounds) heard.emplace_back(sound.file_name, sound.flags);
  EXPECT_EQ(heard, expected);
}

}  // namespace
