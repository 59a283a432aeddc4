// Walking, turning, the head bob, mouse look and the clamp rules that keep the player in the walkable area.
#include <gtest/gtest.h>

#include <cmath>

#include "app/globals.h"
#include "app/movement.h"
#include "tests/support/game_test.h"

namespace {

using ClampRules = GameTest;
using Walking = GameTest;
using MouseLook = GameTest;

struct Position {
  float x, z;
};

Position Clamp(float x, float z) {
  g_game.player_x = x;
  g_game.player_z = z;
  ClampPlayerPosition();
  return {g_game.player_x, g_game.player_z};
}

void ExpectClamp(float x, float z, float want_x, float want_z) {
  Position p = Clamp(x, z);
  EXPECT_EQ(p.x, want_x) << "from (" << x << ", " << z << ")";
  EXPECT_EQ(p.z, want_z) << "from (" << x << ", " << z << ")";
}

TEST_F(ClampRules, TheOuterRectangleHoldsAndItsBoundsAreLeftAlone) {
  ExpectClamp(18, -68, 18, -68);
  ExpectClamp(18.01f, 0, 18, 0);
  ExpectClamp(-18.5f, 0, -18, 0);
  ExpectClamp(10, 18.5f, 10, 18);
  ExpectClamp(10, -70, 10, -68);
  ExpectClamp(-100, -100, -18, -68);
  ExpectClamp(-18.5f, 10, -18, 12);  // then the yard's west block
}

TEST_F(ClampRules, TheHutWallsPushOutToTheNearerSideByTheirOwnThresholds) {
  // North wall: z between -6 and -2 splits at -3, not at the middle.
  ExpectClamp(0, -2.5f, 0, -2);
  ExpectClamp(0, -3.5f, 0, -6);
  ExpectClamp(0, -3, 0, -2);  // not below -3
  ExpectClamp(0, -6, 0, -6);  // on the box edge: left alone
  // East and west walls.
  ExpectClamp(4.5f, 0, 6, 0);
  ExpectClamp(3.5f, 0, 2, 0);
  ExpectClamp(-4.5f, 0, -6, 0);
  ExpectClamp(-3.5f, 0, -2, 0);
  // South wall on both sides of the doorway.
  ExpectClamp(0, 3, 0, 2);
  ExpectClamp(0, 5, 0, 6);
  ExpectClamp(3, 4.5f, 3, 6);
  ExpectClamp(3, 5, 3, 6);
  ExpectClamp(3, 3, 2, 3);  // inside the east wall's range first
}

TEST_F(ClampRules, TheDoorwayBetweenTheSouthWallsIsOpen) {
  for (float x : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f}) {
    for (float z : {2.5f, 4.0f, 5.5f}) ExpectClamp(x, z, x, z);
  }
}

TEST_F(ClampRules, TheYardWallsLeaveTheGatewayOpen) {
  ExpectClamp(-18, 9, -18, 8);  // the yard's west block reaches past the outer wall
  ExpectClamp(-17.5f, 9, -17.5f, 8);
  ExpectClamp(-17.5f, 11, -17.5f, 12);
  ExpectClamp(-16.5f, 9, -16.5f, 9);  // the gateway
  ExpectClamp(-15, 9.5f, -15, 8);
  ExpectClamp(-15, 10.5f, -15, 12);
  ExpectClamp(-11, 15, -10, 15);
  ExpectClamp(-13, 15, -14, 15);
}

TEST_F(ClampRules, TheNorthStructureHoldsAtMinus62AndAlwaysPushesEastToFive) {
  ExpectClamp(0, -61, 0, -62);  // below -60 goes to -62, inside its own range
  ExpectClamp(0, -59, 0, -58);
  ExpectClamp(-3, -68, -2, -62);  // rule 9 then rule 10
  for (int frame = 0; frame < 5; frame++) ExpectClamp(0, -62, 0, -62);  // held there frame after frame
  ExpectClamp(4, -60, 5, -60);
  ExpectClamp(4.9f, -59, 5, -59);
  ExpectClamp(1.5f, -60, 1.5f, -58);  // the middle block comes first and moves z out of the east block
  ExpectClamp(-5, -65, -6, -65);
  ExpectClamp(-3, -65, -2, -62);
}

TEST_F(ClampRules, RulesRunInOrderOnTheValuesLeftByTheOnesBefore) {
  // The east wall moves x to 2, on the edge of the south-east wall's range, which then leaves it.
  ExpectClamp(3, 3, 2, 3);
  // Rule 3 moves x to -2, then rule 4 (x -4..1, z 2..6) sees z = 3 and pushes it to 2.
  ExpectClamp(-3, 3, -2, 2);
}

// Walking straight from the start moves in steps of 0.5, so a player stands exactly on box edges and on the
// thresholds: a position on a box's edge is outside it, and one on a threshold takes the test's false branch.
TEST_F(ClampRules, EveryBoxAtItsEdgesAndThreshold) {
  struct Case {
    float x, z, want_x, want_z;
  };
  const Case cases[] = {
      // Hut north wall (x -4..4, z -6..-2): its x edges belong to the east and west walls.
      {4, -3.5f, 2, -3.5f},
      {-4, -3.5f, -2, -3.5f},
      // East wall (x 2..6, z -4..4): threshold x = 4, z edges outside.
      {4, 0, 2, 0},
      {5, -4, 5, -4},
      {5, 4, 5, 4},
      // West wall (x -6..-2, z -4..4): threshold x = -4, z edges outside.
      {-4, 0, -2, 0},
      {-5, 4, -5, 4},
      {-5, -4, -5, -4},
      // South-west wall (x -4..1, z 2..6): threshold z = 4, its x edge at -4.
      {0, 4, 0, 2},
      {-4, 5, -4, 5},
      // South-east wall (x 2..4, z 2..6): threshold z = 4 (its false branch is reachable only there).
      {3, 4, 3, 2},
      {4, 5, 4, 5},
      // Yard blocks: thresholds z = 10 and x = -12, and their edges.
      {-18, 10, -18, 12},
      {-15, 10, -15, 12},
      {-12, 15, -14, 15},
      {-17, 9, -17, 9},
      {-16, 9, -16, 9},
      {-12, 9, -12, 9},
      {-11, 10, -11, 10},
      // North structure: thresholds z = -60 and x = -4, and the edges between its three blocks.
      {0, -60, 0, -58},
      {-4, -65, -6, -65},
      {3, -59, 5, -59},
      {-4, -59, -6, -59},
      {-3, -58, -3, -58},
      {1, -65, 1, -62},
      {4, -58, 4, -58},
  };
  for (const Case& c : cases) ExpectClamp(c.x, c.z, c.want_x, c.want_z);
}

TEST_F(Walking, ForwardAtHeading0LowersZAndAt90LowersX) {
  g_game.key_down[kVkUp] = 1;
  ApplyMovementKeys();
  EXPECT_FLOAT_EQ(g_game.player_z, -0.5f);
  EXPECT_NEAR(g_game.player_x, 0.0f, 1e-7);

  ResetGame();
  g_game.key_down[kVkUp] = 1;
  g_game.heading = 90;
  ApplyMovementKeys();
  EXPECT_FLOAT_EQ(g_game.player_x, -0.5f);
  EXPECT_NEAR(g_game.player_z, 0.0f, 1e-7);
}

TEST_F(Walking, TurningIsFiveDegreesPerFrameAndLeavesTheView) {
  g_game.key_down[kVkLeft] = 1;
  for (int i = 0; i < 100; i++) ApplyMovementKeys();
  EXPECT_EQ(g_game.heading, 500.0f);  // not wrapped
  EXPECT_EQ(g_game.view_yaw, 0.0f);
  g_game.key_down[kVkRight] = 1;
  ApplyMovementKeys();
  EXPECT_EQ(g_game.heading, 500.0f);
}

TEST_F(Walking, UpAndDownTogetherStayPut) {
  g_game.key_down[kVkUp] = 1;
  g_game.key_down[kVkDown] = 1;
  g_game.heading = 33;
  ApplyMovementKeys();
  EXPECT_NEAR(g_game.player_x, 0.0f, 1e-6);
  EXPECT_NEAR(g_game.player_z, 0.0f, 1e-6);
}

TEST_F(Walking, TheHeadBobRepeatsEvery37FramesForwardAndBackward) {
  g_game.key_down[kVkUp] = 1;
  std::vector<float> forward;
  for (int i = 0; i < 38; i++) {
    ApplyMovementKeys();
    forward.push_back(g_game.walk_bias_angle);
  }
  EXPECT_EQ(forward[0], 10.0f);
  EXPECT_EQ(forward[34], 350.0f);
  EXPECT_EQ(forward[35], 360.0f);
  EXPECT_EQ(forward[36], 0.0f);
  EXPECT_EQ(forward[37], 10.0f);
  EXPECT_NEAR(g_game.walk_bias, std::sin(10 * 0.0174532924) / 20, 1e-7);

  ResetGame();
  g_game.key_down[kVkDown] = 1;
  std::vector<float> backward;
  for (int i = 0; i < 38; i++) {
    ApplyMovementKeys();
    backward.push_back(g_game.walk_bias_angle);
  }
  EXPECT_EQ(backward[0], 359.0f);
  EXPECT_EQ(backward[35], 9.0f);
  EXPECT_EQ(backward[36], -1.0f);
  EXPECT_EQ(backward[37], 359.0f);
  float lowest = 1, highest = -1;
  for (int i = 0; i < 37; i++) {
    ApplyMovementKeys();
    lowest = std::min(lowest, g_game.walk_bias);
    highest = std::max(highest, g_game.walk_bias);
  }
  EXPECT_GE(lowest, -0.05f);
  EXPECT_LE(highest, 0.05f);

  // One step back from 0 gives 359; a step forward from 359 wraps to 0, not on to 369.
  ResetGame();
  g_game.key_down[kVkDown] = 1;
  ApplyMovementKeys();
  g_game.key_down[kVkDown] = 0;
  g_game.key_down[kVkUp] = 1;
  ApplyMovementKeys();
  EXPECT_EQ(g_game.walk_bias_angle, 0.0f);
}

TEST_F(MouseLook, TurnsFiveHundredthsOfADegreePerPixelAndRecentres) {
  Scripted().cursor = {300, 250};  // 20 pixels left, 10 down
  ApplyMouseLook();
  EXPECT_FLOAT_EQ(g_game.heading, 1.0f);
  EXPECT_FLOAT_EQ(g_game.view_yaw, 1.0f);
  EXPECT_FLOAT_EQ(g_game.look_pitch, 0.5f);  // moving down tilts down
  EXPECT_EQ(g_game.cursor_pos.x, 300);
  EXPECT_EQ(Scripted().cursor.x, 320);
  EXPECT_EQ(Scripted().cursor.y, 240);
  ApplyMouseLook();  // re-centred: no further change
  EXPECT_FLOAT_EQ(g_game.heading, 1.0f);
  // Neither angle is limited: the view tilts on past straight down and over, and the heading past a turn.
  for (int i = 0; i < 4; i++) {
    Scripted().cursor = {-680, 740};  // 1,000 pixels left, 500 down
    ApplyMouseLook();
  }
  EXPECT_FLOAT_EQ(g_game.heading, 201.0f);
  EXPECT_FLOAT_EQ(g_game.look_pitch, 100.5f);
}

TEST_F(MouseLook, OffReadsTheCursorButMovesNothingAndTheViewJumpsWhenOnAgain) {
  g_game.mouse_look = 0;
  Scripted().cursor = {100, 100};
  ApplyMouseLook();
  EXPECT_EQ(g_game.cursor_pos.x, 100);
  EXPECT_EQ(g_game.heading, 0.0f);
  EXPECT_TRUE(CallsStartingWith("SetCursorPos").empty());
  g_game.key_down[kVkLeft] = 1;
  ApplyMovementKeys();
  EXPECT_EQ(g_game.heading, 5.0f);
  EXPECT_EQ(g_game.view_yaw, 0.0f);
  g_game.mouse_look = 1;
  Scripted().cursor = {320, 240};
  ApplyMouseLook();
  EXPECT_EQ(g_game.view_yaw, 5.0f);
}

}  // namespace
