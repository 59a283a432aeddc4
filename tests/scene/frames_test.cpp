// What the player sees, read back from the offscreen frame: the title, the first play frames, fog, the camera,
// the day cycle's sky and tint, and a new rendering context after the fullscreen toggle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "scene/day_cycle.h"
#include "scene/renderer.h"
#include "scene/renderer_batch.h"
#include "tests/scene/scene_fixture.h"
#include "tests/support/game_test.h"

namespace {

using TitleFrame = GameTest;
using PlayFrames = GameTest;
using Camera = GameTest;
using DayCycleOnScreen = GameTest;
using NewContext = GameTest;
using Batching = GameTest;

constexpr int kCentreX = 320;
constexpr int kCentreY = 240;
// Inside the upper and lower status bars, and a spot of sky away from both.
constexpr int kBarX = 42;
constexpr int kUpperBarY = 414;
constexpr int kLowerBarY = 344;

void ExpectNear(Rgb got, int r, int g, int b, int tolerance, const char* what) {
  EXPECT_NEAR(got.r, r, tolerance) << what;
  EXPECT_NEAR(got.g, g, tolerance) << what;
  EXPECT_NEAR(got.b, b, tolerance) << what;
}

// The frame a play stage draws at the tick.
void DrawPlayFrame(int32_t tick) {
  g_game.screen_stage = 2;
  g_game.cycle_tick = tick;
  DrawScene();
}

TEST_F(TitleFrame, ShowsTheTitlePictureOnBlack) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  DrawScene();
  // Slot 14's four quadrants, upright: bottom row red, green; top row blue, yellow.
  ExpectNear(PixelAt(150, 100), 255, 0, 0, 0, "lower left");
  ExpectNear(PixelAt(450, 100), 0, 255, 0, 0, "lower right");
  ExpectNear(PixelAt(150, 380), 0, 0, 255, 0, "upper left");
  ExpectNear(PixelAt(450, 380), 255, 255, 0, 0, "upper right");
  // The picture nearly fills the height and leaves black at both sides.
  ExpectNear(PixelAt(20, kCentreY), 0, 0, 0, 0, "left margin");
  ExpectNear(PixelAt(620, kCentreY), 0, 0, 0, 0, "right margin");
  ExpectNear(PixelAt(150, 20), 255, 0, 0, 0, "near the bottom");
  // No fog, no cycle on the title.
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(g_game.cycle_tick, 1);
  EXPECT_TRUE(Scripted().sounds.empty());
}

TEST_F(PlayFrames, FirstFrameIsBlackWithWhiteBarsThenTheDaySky) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  DrawScene();  // the title, as the loop draws it before play
  DrawPlayFrame(1);
  ExpectNear(PixelAt(kCentreX, kCentreY), 0, 0, 0, 0, "first play frame");
  ExpectNear(PixelAt(kBarX, kUpperBarY), 255, 255, 255, 0, "upper bar");
  ExpectNear(PixelAt(kBarX, kLowerBarY), 255, 255, 255, 0, "lower bar");
  ExpectNear(PixelAt(kBarX, 379), 0, 0, 0, 0, "between the bars");
  ExpectNear(PixelAt(kBarX, 450), 0, 0, 0, 0, "above the bars");
  DrawPlayFrame(2);
  ExpectNear(PixelAt(kCentreX, kCentreY), 153, 153, 255, 0, "day sky");
  ExpectNear(PixelAt(kBarX, kUpperBarY), 255, 255, 255, 2, "upper bar under fog");
}

TEST_F(PlayFrames, ASurface25UnitsAheadShowsAbout37PercentOfItsColourAnd50UnitsAhead14Percent) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  // At 25 units the exponential fog and its squared form agree (0.04 x 25 = 1); at 50 they do not.
  for (float distance : {25.0f, 50.0f}) {
    std::vector<WorldTriangle> world;
    AddWall(&world, 0, 0, -distance, distance);  // red
    SetWorld(world);
    DrawPlayFrame(10);
    // exp(-0.04 * distance) of red, the rest fog grey 0.6.
    double f = std::exp(-0.04 * distance);
    ExpectNear(PixelAt(kCentreX, kCentreY), static_cast<int>(std::lround(255 * f + 153 * (1 - f))),
               static_cast<int>(std::lround(153 * (1 - f))), static_cast<int>(std::lround(153 * (1 - f))), 1,
               distance == 25.0f ? "fogged at 25" : "fogged at 50");
  }
}

TEST_F(Camera, YawNinetyLooksAlongMinusXAndPitchTiltsDown) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  std::vector<WorldTriangle> world;
  AddWall(&world, 1, 0, -5, 1);  // green ahead along -z
  // A red wall along -x: a wall facing +x, made by turning the corners.
  for (bool upper : {false, true}) {
    WorldTriangle t = WallTriangle(0, 0, 0, 1, upper);
    for (WorldVertex& v : t.vertices) {
      float side = v.x;
      v.x = -5;
      v.z = side;
    }
    world.push_back(t);
  }
  // A blue floor patch below and ahead of the eye.
  AddWall(&world, 2, 0, -10, 1);
  for (int i = 4; i < 6; ++i) {
    for (WorldVertex& v : world[static_cast<size_t>(i)].vertices) v.y -= 4.5f;
  }
  SetWorld(world);

  DrawPlayFrame(10);
  Rgb ahead = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(ahead.g, 200);
  EXPECT_LT(ahead.r, 150);

  g_game.view_yaw = 90;
  DrawPlayFrame(10);
  Rgb left = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(left.r, 200);
  EXPECT_LT(left.g, 150);

  g_game.view_yaw = 0;
  g_game.look_pitch = 24;  // atan(4.5 / 10) is about 24 degrees
  DrawPlayFrame(10);
  Rgb down = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(down.b, 190);
  EXPECT_LT(down.g, 150);
  g_game.look_pitch = -24;
  DrawPlayFrame(10);
  Rgb up = PixelAt(kCentreX, kCentreY);
  ExpectNear(up, 153, 153, 255, 0, "tilted up: sky");
}

// Maps a point of the world to eye coordinates with the model-view matrix the frame left.
void ToEye(const float m[16], double x, double y, double z, double eye[3]) {
  for (int row = 0; row < 3; ++row) eye[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

TEST_F(Camera, StandsAtThePlayerAboveTheBobAndLooksAlongYawThenPitch) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  g_game.player_x = 3;
  g_game.player_z = -7;
  g_game.view_yaw = 30;
  g_game.look_pitch = 10;
  g_game.walk_bias = 0.05f;
  const double eye[3] = {3, 0.25 + 0.05, -7};
  const double yaw = 30 * M_PI / 180, pitch = 10 * M_PI / 180;
  // Turned left by the yaw, then tilted down by the pitch.
  const double ahead[3] = {-std::sin(yaw) * std::cos(pitch), -std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
  const double right[3] = {std::cos(yaw), 0, -std::sin(yaw)};
  const double up[3] = {-std::sin(pitch) * std::sin(yaw), std::cos(pitch), -std::sin(pitch) * std::cos(yaw)};
  // A small blue patch 10 units ahead, in the middle of the view.
  std::vector<WorldTriangle> world;
  AddWall(&world, 2, static_cast<float>(eye[0] + 10 * ahead[0]), static_cast<float>(eye[2] + 10 * ahead[2]), 0.15f);
  for (WorldTriangle& t : world) {
    for (WorldVertex& v : t.vertices) v.y += static_cast<float>(eye[1] + 10 * ahead[1] - 0.25);
  }
  SetWorld(world);
  DrawPlayFrame(10);
  Rgb middle = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(middle.b, 200);
  EXPECT_LT(middle.r, 100);

  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  struct Expect {
    const double* direction;
    double scale;
    double want[3];
    const char* what;
  };
  const Expect expects[] = {{ahead, 0, {0, 0, 0}, "the eye"},
                            {ahead, 10, {0, 0, -10}, "ten units ahead"},
                            {right, 1, {1, 0, 0}, "one unit to the right"},
                            {up, 1, {0, 1, 0}, "one unit up"}};
  for (const Expect& e : expects) {
    double got[3];
    ToEye(m, eye[0] + e.scale * e.direction[0], eye[1] + e.scale * e.direction[1], eye[2] + e.scale * e.direction[2],
          got);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], e.want[i], 1e-4) << e.what << ", coordinate " << i;
  }
}

// A 2 x 2 texture whose texels differ: bottom row red, green; top row blue, yellow.
uint32_t MakeCornerTexture() {
  const uint8_t texels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  return MakeTexture(texels);
}

// Which of the four corner colours a pixel shows (fog and tint aside), or '?'.
char Corner(Rgb p) {
  bool r = p.r > 190, g = p.g > 190, b = p.b > 190;
  if (r && g && !b && p.b < 100) return 'Y';
  if (r && p.g < 100 && p.b < 100) return 'R';
  if (g && p.r < 100 && p.b < 100) return 'G';
  if (b && p.r < 100 && p.g < 100) return 'B';
  return '?';
}

TEST_F(PlayFrames, BarsAndWorldShowTheirTexturesUpright) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  g_game.textures.names[9] = MakeCornerTexture();
  g_game.textures.names[13] = MakeCornerTexture();
  std::vector<WorldTriangle> world;
  AddWall(&world, 13, 0, -3, 1);  // u and v from 0 to 1 across the wall, left to right and bottom to top
  SetWorld(world);
  for (bool batched : {false, true}) {
    SetWorldBatching(batched);
    DrawPlayFrame(10);
    const char* how = batched ? "batched" : "one by one";
    // Each bar is about 23 pixels wide (x 30 to 53) and 58 high: upper y 385 to 443, lower y 315 to 373.
    for (int bottom : {399, 329}) {
      EXPECT_EQ(Corner(PixelAt(36, bottom)), 'R') << "bar's lower left at y " << bottom;
      EXPECT_EQ(Corner(PixelAt(48, bottom)), 'G') << "bar's lower right at y " << bottom;
      EXPECT_EQ(Corner(PixelAt(36, bottom + 29)), 'B') << "bar's upper left at y " << bottom;
      EXPECT_EQ(Corner(PixelAt(48, bottom + 29)), 'Y') << "bar's upper right at y " << bottom;
    }
    // The wall covers x and y 223 to 417 around the middle.
    EXPECT_EQ(Corner(PixelAt(250, 170)), 'R') << how;
    EXPECT_EQ(Corner(PixelAt(390, 170)), 'G') << how;
    EXPECT_EQ(Corner(PixelAt(250, 310)), 'B') << how;
    EXPECT_EQ(Corner(PixelAt(390, 310)), 'Y') << how;
  }
}

TEST_F(DayCycleOnScreen, DuskDarkensWorldAndSkyNightKeepsTheSkyAndAWhiteWorld) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  std::vector<WorldTriangle> world;
  AddWall(&world, 9, 0, -2, 0.3f);  // white, small: sky around it
  SetWorld(world);
  const int wall_y = kCentreY;
  const int sky_x = 600;

  DrawPlayFrame(10);
  DrawPlayFrame(10);
  Rgb day_wall = PixelAt(kCentreX, wall_y);
  ExpectNear(PixelAt(sky_x, kCentreY), 153, 153, 255, 0, "day sky");

  DrawPlayFrame(60);
  DrawPlayFrame(60);
  Rgb dusk_wall = PixelAt(kCentreX, wall_y);
  EXPECT_LT(dusk_wall.r, day_wall.r - 30);
  ExpectNear(PixelAt(sky_x, kCentreY), 97, 97, 199, 1, "dusk sky 0.38, 0.38, 0.78");
  // The bars take the tint the previous frame left.
  ExpectNear(PixelAt(kBarX, kUpperBarY), 199, 199, 199, 2, "bars under the dusk tint");

  DrawPlayFrame(69);
  for (int32_t tick : {70, 85, 99}) {
    DrawPlayFrame(tick);
    ExpectNear(PixelAt(sky_x, kCentreY), 51, 51, 153, 0, "night sky 0.2, 0.2, 0.6");
    Rgb night_wall = PixelAt(kCentreX, wall_y);
    EXPECT_EQ(night_wall.r, day_wall.r) << "tick " << tick << ": the world is drawn white at night";
  }
  DrawPlayFrame(100);
  DrawPlayFrame(100);
  ExpectNear(PixelAt(sky_x, kCentreY), 56, 56, 158, 1, "dawn sky 0.22, 0.22, 0.62");
}

TEST_F(DayCycleOnScreen, ACounterAbove120WrapsWithoutARequest) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  DrawPlayFrame(60);  // leaves the dusk tint and sky
  DrawPlayFrame(133);
  EXPECT_EQ(g_game.cycle_tick, 1);
  EXPECT_TRUE(Scripted().sounds.empty());
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 1.0f);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
  EXPECT_EQ(colour[0], 0.60f);
  EXPECT_EQ(colour[2], 1.00f);
  g_game.screen_stage = 2;
  DrawScene();
  ASSERT_EQ(Scripted().sounds.size(), 1u);
  EXPECT_EQ(Scripted().sounds[0].file_name, "plokhello.wav");
}

// The real game: the toggle re-creates the window, and the new context starts black.
TEST_F(NewContext, AfterTheToggleTheFirstFrameIsBlackAndNightKeepsItBlackUntilDawn) {
  std::vector<Rgb> sky;
  std::vector<int32_t> ticks;
  int toggle_frame = 0;
  int toggles = 0;
  RunFrames("NUMPOLLIES 0\n", [&](int frame) {
    if (frame == 1) ScriptedKeyDown('X');
    if (frame == 2) ScriptedKeyUp('X');
    if (g_game.screen_stage < 2) return;
    sky.push_back(PixelAt(kCentreX, kCentreY));
    ticks.push_back(g_game.cycle_tick);
    if (frame == 20 || frame == 60) {
      // Once in the day, once at night.
      if (frame == 60) g_game.cycle_tick = 80;
      ScriptedKeyDown(kVkF1);
      toggle_frame = frame;
      ++toggles;
    }
    if (frame == 61 + 6 * 22) ScriptedKeyDown(kVkEscape);
  });
  ASSERT_EQ(toggles, 2);
  ASSERT_EQ(Scripted().windows.size(), 3u);
  EXPECT_EQ(Scripted().windows[1].title, "Brannoch");
  // sky[i] is the frame drawn at ticks[i]; play began at frame 3. The F1 key-down queued at a frame's swap is
  // handled after the next frame, so the new context draws from two frames later.
  auto at = [&](int frame) { return sky[static_cast<size_t>(frame - 3)]; };
  ExpectNear(at(3), 0, 0, 0, 0, "first play frame");
  ExpectNear(at(21), 153, 153, 255, 0, "day, before the toggle");
  ExpectNear(at(22), 0, 0, 0, 0, "first frame in the new context");
  ExpectNear(at(23), 153, 153, 255, 0, "the day sky returns with the next frame");
  ExpectNear(at(61), 153, 153, 255, 0, "night, before the toggle: the last sky stays");
  int night_frames = 0;
  for (int frame = 62; frame < 62 + 6 * 21; ++frame) {
    if (ticks[static_cast<size_t>(frame - 4)] >= 100) break;  // the frame after the first at dawn
    ExpectNear(at(frame), 0, 0, 0, 0, "night in a new context");
    ++night_frames;
  }
  EXPECT_GE(night_frames, 6 * 19);
  // From the frame after tick 100's the sky is dawn's.
  bool dawn_seen = false;
  for (size_t i = 1; i < ticks.size(); ++i) {
    if (ticks[i - 1] == 100 && ticks[i] == 100) {
      ExpectNear(sky[i], 56, 56, 158, 1, "dawn after the night toggle");
      dawn_seen = true;
      break;
    }
  }
  EXPECT_TRUE(dawn_seen);
  EXPECT_EQ(toggle_frame, 60);
}

TEST_F(Batching, TheBatchedWorldIsPixelIdenticalToOneByOne) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  // Overlapping triangles of every slot at many depths, drawn in file order with equal depths among them.
  std::vector<WorldTriangle> world;
  srand(7);
  auto coordinate = [] { return static_cast<float>(rand() % 2000) / 100.0f - 10.0f; };
  for (int i = 0; i < 3000; ++i) {
    WorldTriangle t = {};
    t.texture_slot = i % 16;
    float z = -static_cast<float>(rand() % 3000) / 100.0f - 0.5f;
    for (WorldVertex& v : t.vertices) v = {coordinate(), coordinate() / 2, i % 5 == 0 ? -8.0f : z, coordinate(), coordinate()};
    world.push_back(t);
  }
  SetWorld(world);
  for (int32_t tick : {10, 60, 112}) {
    SetWorldBatching(false);
    DrawPlayFrame(tick);
    DrawPlayFrame(tick);
    std::vector<uint8_t> one_by_one = ScriptedReadFrame();
    SetWorldBatching(true);
    DrawPlayFrame(tick);
    DrawPlayFrame(tick);
    std::vector<uint8_t> batched = ScriptedReadFrame();
    ASSERT_EQ(one_by_one.size(), batched.size());
    EXPECT_TRUE(one_by_one == batched) << "tick " << tick;
  }
  // A new world, and new texture names, are picked up at once.
  std::vector<WorldTriangle> wall;
  AddWall(&wall, 3, 0, -3, 5);  // yellow
  SetWorld(wall);
  DrawPlayFrame(10);
  Rgb yellow = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(yellow.g, 200);
  EXPECT_LT(yellow.b, 100);
  g_game.textures.names[3] = MakeSolidTexture(0, 0, 255);
  DrawPlayFrame(10);
  Rgb blue = PixelAt(kCentreX, kCentreY);
  EXPECT_LT(blue.g, 100);
  EXPECT_GT(blue.b, 200);
  // A world of the same size, first and last triangle, whose middle differs: it may well reuse the freed block.
  g_game.textures.names[3] = MakeSolidTexture(255, 255, 0);
  std::vector<WorldTriangle> same_ends = {WallTriangle(3, 0, -3, 5, true), WallTriangle(3, 0, -3, 5, false),
                                          WallTriangle(3, 0, -3, 5, true)};
  SetWorld(same_ends);
  DrawPlayFrame(10);
  EXPECT_GT(PixelAt(400, 150).g, 200) << "yellow lower triangle";
  same_ends[1].texture_slot = 2;
  SetWorld(same_ends);
  DrawPlayFrame(10);
  Rgb middle_changed = PixelAt(400, 150);
  EXPECT_LT(middle_changed.g, 100);
  EXPECT_GT(middle_changed.b, 200);
  SetWorldBatching(true);
}

TEST_F(Batching, ABatchFromAnotherContextIsNotUsed) {
  std::vector<WorldTriangle> wall;
  AddWall(&wall, 3, 0, -3, 5);
  {
    SceneContext first;
    ASSERT_TRUE(first.ok());
    InstallTextures();
    SetWorld(wall);
    DrawPlayFrame(10);
  }
  SceneContext second;
  ASSERT_TRUE(second.ok());
  InstallTextures();
  DrawPlayFrame(10);
  Rgb yellow = PixelAt(kCentreX, kCentreY);
  EXPECT_GT(yellow.g, 200);
  EXPECT_LT(yellow.b, 100);
}

TEST_F(PlayFrames, SlotsOutsideTheTableAreNotDrawnAndDoNotCrash) {
  SceneContext scene;
  ASSERT_TRUE(scene.ok());
  InstallTextures();
  std::vector<WorldTriangle> world;
  for (int slot : {16, 200, -1, -7}) AddWall(&world, slot, 0, -3, 5);
  SetWorld(world);
  for (bool batched : {true, false}) {
    SetWorldBatching(batched);
    DrawPlayFrame(10);
    DrawPlayFrame(10);
    ExpectNear(PixelAt(kCentreX, kCentreY), 153, 153, 255, 0, batched ? "only sky, batched" : "only sky, one by one");
  }
  SetWorldBatching(true);
}

}  // namespace
