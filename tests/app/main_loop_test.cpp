// The main loop as a player meets it: the start question, the title and play stages, the toggles, and how the
// program ends.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/version.h"
#include "platform/gl.h"
#include "tests/support/game_run.h"
#include "tests/support/game_test.h"
#include "window/window.h"

namespace {

using StartQuestion = ShellTest;
using Stages = ShellTest;
using Ending = ShellTest;
using FullscreenToggle = ShellTest;
using Minimised = ShellTest;
using Pacing = ShellTest;

void QuitAt(SwapScript& script, int swap) {
  auto before = std::move(script[swap]);
  script[swap] = [before] {
    if (before) before();
    ScriptedKeyDown(kVkEscape);
  };
}

TEST_F(StartQuestion, AsksOnceWithItsTextAndStyle) {
  SwapScript script;
  QuitAt(script, 1);
  RunGame(kIdNo, script);
  ASSERT_FALSE(Scripted().message_boxes.empty());
  const ScriptedMessageBox& box = Scripted().message_boxes[0];
  EXPECT_EQ(box.text, "Would You Like To Run In Fullscreen Mode?");
  EXPECT_EQ(box.caption, "Start FullScreen?");
  EXPECT_EQ(box.style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(Scripted().message_boxes.size(), 1u);
}

TEST_F(StartQuestion, NoOpensAnOverlappedWindowWithoutTouchingTheDisplay) {
  SwapScript script;
  QuitAt(script, 1);
  RunGame(kIdNo, script);
  ASSERT_EQ(Scripted().windows.size(), 1u);
  const ScriptedWindow& window = Scripted().windows[0];
  EXPECT_EQ(window.title, GORVANE_CAPTION);
  EXPECT_EQ(window.class_name, "OpenGL");
  EXPECT_EQ(window.style, kWsOverlappedWindow | kWsClipSiblings | kWsClipChildren);
  EXPECT_EQ(window.ex_style, kWsExAppWindow | kWsExWindowEdge);
  // The rectangle is grown for the frame of the style without the clip flags, so the client area is 640 x 480.
  ASSERT_EQ(Scripted().adjustments.size(), 1u);
  const ScriptedAdjustment& adjustment = Scripted().adjustments[0];
  EXPECT_EQ(adjustment.style, kWsOverlappedWindow);
  EXPECT_EQ(adjustment.ex_style, kWsExAppWindow | kWsExWindowEdge);
  EXPECT_FALSE(adjustment.has_menu);
  EXPECT_EQ(adjustment.client.left, 0);
  EXPECT_EQ(adjustment.client.top, 0);
  EXPECT_EQ(adjustment.client.right, 640);
  EXPECT_EQ(adjustment.client.bottom, 480);
  EXPECT_EQ(window.x, 0);
  EXPECT_EQ(window.y, 0);
  EXPECT_EQ(window.width, 648);
  EXPECT_EQ(window.height, 507);
  EXPECT_EQ(window.client_width, 640);
  EXPECT_EQ(window.client_height, 480);
  EXPECT_TRUE(CallsStartingWith("ChangeDisplayMode").empty());
  // The class the window is made from.
  ASSERT_EQ(Scripted().registered_classes.size(), 1u);
  const ScriptedWindowClass& window_class = Scripted().registered_classes[0];
  EXPECT_EQ(window_class.name, "OpenGL");
  EXPECT_EQ(window_class.style, kCsHRedraw | kCsVRedraw | kCsOwnDc);
  EXPECT_EQ(window_class.window_proc, &GameWindowProc);
  EXPECT_EQ(window_class.instance, OsGetModuleHandle());
  EXPECT_EQ(window_class.icon_id, kIdiWinLogo);
  EXPECT_EQ(window_class.cursor_id, kIdcArrow);
}

TEST_F(StartQuestion, YesSwitchesTo640x480x16AndOpensAPopup) {
  SwapScript script;
  QuitAt(script, 1);
  RunGame(kIdYes, script);
  ASSERT_EQ(Scripted().windows.size(), 1u);
  EXPECT_EQ(Scripted().windows[0].style, kWsPopup | kWsClipSiblings | kWsClipChildren);
  EXPECT_EQ(Scripted().windows[0].ex_style, kWsExAppWindow);
  // A popup has no frame: the window is the client area.
  ASSERT_EQ(Scripted().adjustments.size(), 1u);
  EXPECT_EQ(Scripted().adjustments[0].style, kWsPopup);
  EXPECT_EQ(Scripted().adjustments[0].ex_style, kWsExAppWindow);
  EXPECT_EQ(Scripted().windows[0].width, 640);
  EXPECT_EQ(Scripted().windows[0].height, 480);
  std::vector<std::string> changes = CallsStartingWith("ChangeDisplayMode");
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0], "ChangeDisplayMode 640x480x16 fields=0x1c0000 flags=0x4 -> 0");
  EXPECT_EQ(changes[1], "ChangeDisplayMode restore");
  EXPECT_FALSE(Scripted().display_mode_changed);
}

TEST_F(StartQuestion, AnyAnswerButNoMeansFullscreen) {
  SwapScript script;
  QuitAt(script, 1);
  RunGame(kIdOk, script);
  EXPECT_EQ(CallsStartingWith("ChangeDisplayMode").size(), 2u);
}

TEST_F(Stages, TheTitleRunsNoPlayStepsUntilXIsHeld) {
  SwapScript script;
  QuitAt(script, 30);
  RunGame(kIdNo, script);
  EXPECT_EQ(g_game.screen_stage, 1);
  EXPECT_EQ(g_game.frame_divider, 0);
  EXPECT_EQ(g_game.cycle_tick, 1);
}

TEST_F(Stages, OneFrameWithXStartsPlayAndThatFrameAlreadyRunsThePlaySteps) {
  SwapScript script;
  script[3] = [] {
    EXPECT_EQ(g_game.screen_stage, 1);  // the frame's own steps run after its swap
  };
  // The key-down is dispatched (one swap), one frame runs with X down, then the key-up is dispatched.
  HoldKey(script, 1, 'X', 2);
  script[4] = [] {
    EXPECT_EQ(g_game.screen_stage, 2);
    EXPECT_EQ(g_game.frame_divider, 1);
  };
  QuitAt(script, 10);
  RunGame(kIdNo, script);
  EXPECT_EQ(g_game.screen_stage, 2);
}

TEST_F(Stages, HoldingXKeepsRaisingTheStage) {
  SwapScript script;
  HoldKey(script, 1, 'X', 11);  // 10 frames run with X down
  QuitAt(script, 20);
  RunGame(kIdNo, script);
  EXPECT_EQ(g_game.screen_stage, 11);
}

TEST_F(Stages, MouseLookFlipsOnEveryFrameMIsHeld) {
  SwapScript odd;
  HoldKey(odd, 1, 'M', 4);  // 3 frames
  QuitAt(odd, 10);
  RunGame(kIdNo, odd);
  EXPECT_EQ(g_game.mouse_look, 0);

  ResetGame();
  SwapScript even;
  HoldKey(even, 1, 'M', 5);  // 4 frames
  QuitAt(even, 10);
  RunGame(kIdNo, even);
  EXPECT_EQ(g_game.mouse_look, 1);
}

TEST_F(Stages, TheCycleTickAdvancesEverySixthPlayFrame) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);  // the frame shown at swap 3 is the first to run the play steps
  QuitAt(script, 16);          // frames shown at swaps 3 and 5 to 16: 13 play frames
  RunGame(kIdNo, script);
  EXPECT_EQ(g_game.cycle_tick, 3);
  EXPECT_EQ(g_game.frame_divider, 1);
}

TEST_F(Stages, TheTitleOnlyLooksAroundAndPlayClampsBeforeItMoves) {
  SwapScript script;
  // On the title: the mouse turns the view, the up arrow moves nothing.
  script[1] = [] {
    Scripted().cursor = {300, 250};
    ScriptedKeyDown(kVkUp);
  };
  script[4] = [] {
    EXPECT_FLOAT_EQ(g_game.heading, 1.0f);
    EXPECT_FLOAT_EQ(g_game.look_pitch, 0.5f);
    EXPECT_EQ(g_game.player_z, 0.0f);
    EXPECT_EQ(g_game.walk_bias_angle, 0.0f);
    Scripted().cursor = {320, 240};
    g_game.heading = 0;
    ScriptedKeyDown('X');
  };
  script[6] = [] { ScriptedKeyUp('X'); };
  // In play the up arrow walks north from the start in steps of 0.5 into the hut's north wall (z from -2 to
  // -6). Each frame's clamp runs before its step, so the position the next frame draws lies one step inside.
  std::vector<float> z_at_swap;
  for (int swap = 7; swap <= 20; swap++) script[swap] = [&z_at_swap] { z_at_swap.push_back(g_game.player_z); };
  QuitAt(script, 20);
  RunGame(kIdNo, script);
  ASSERT_EQ(z_at_swap.size(), 14u);
  // Swap 7 shows the X key-up message; the frames at swaps 8 to 11 are drawn from -0.5 to -2.
  const std::vector<float> walk = {-0.5f, -0.5f, -1.0f, -1.5f, -2.0f};
  for (size_t i = 0; i < z_at_swap.size(); i++) {
    EXPECT_EQ(z_at_swap[i], i < walk.size() ? walk[i] : -2.5f) << "swap " << i + 7;
  }
  EXPECT_EQ(g_game.player_x, 0.0f);
}

TEST_F(Pacing, EveryFrameReadsTheClockFromItsStartUntilTwentyMillisecondsHavePassedThenSwaps) {
  // The stepped clock advances 1 ms at each reading, so a frame that starts at reading t waits through the
  // readings t + 1 ms to t + 20 ms and swaps at once after the last.
  struct Swap {
    int readings;
    int64_t span;
  };
  std::vector<Swap> swaps;
  SwapScript script;
  for (int swap = 1; swap <= 30; swap++) {
    script[swap] = [&swaps] {
      swaps.push_back({Scripted().counts_since_swap, Scripted().last_count - Scripted().first_count_since_swap});
    };
  }
  HoldKey(script, 5, 'X', 4);
  script[15] = [record = std::move(script[15])] {
    record();
    ScriptedPostMessage(kWmActivate, 1u << 16);  // minimised: frames wait but draw nothing
  };
  QuitAt(script, 30);
  RunGame(kIdNo, script);
  ASSERT_EQ(swaps.size(), 30u);
  // The timer's own start reading comes before the first frame's.
  EXPECT_EQ(swaps[0].readings, 22);
  for (int swap = 2; swap <= 30; swap++) {
    const Swap& s = swaps[static_cast<size_t>(swap - 1)];
    if (swap == 6 || swap == 10 || swap == 16) {
      EXPECT_EQ(s.readings, 0) << "swap " << swap << " shows a dispatched message without reading the clock";
      continue;
    }
    EXPECT_EQ(s.readings, 21) << "swap " << swap;
    EXPECT_EQ(s.span, 20000) << "swap " << swap;
  }
  // The frame that saw Escape read the clock for its start and stopped before the wait.
  EXPECT_EQ(Scripted().counts_since_swap, 1);
  EXPECT_EQ(Scripted().swaps, 31);
}

TEST_F(Ending, EscapeOnTheTitleQuitsAndTheLastFrameIsNotShown) {
  int frames_shown = 0;
  SwapScript script;
  script[5] = [&] { ScriptedKeyDown(kVkEscape); };
  int exit_code = RunGame(kIdNo, script);
  frames_shown = Scripted().swaps;
  // Five frames and one swap for the key message; the frame that saw Escape was drawn but never shown.
  EXPECT_EQ(frames_shown, 6);
  EXPECT_EQ(exit_code, static_cast<int>(kVkEscape));  // the wparam of the last message retrieved
  EXPECT_EQ(Scripted().live_windows, 0);
  EXPECT_EQ(Scripted().live_gl_contexts, 0);
  EXPECT_FALSE(Scripted().class_registered);
}

TEST_F(Ending, EscapeInPlayQuits) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);
  QuitAt(script, 12);
  RunGame(kIdNo, script);
  EXPECT_GE(g_game.screen_stage, 2);
  EXPECT_EQ(Scripted().swaps, 13);
}

TEST_F(Ending, ClosingTheWindowReturnsZero) {
  SwapScript script;
  script[4] = [] { ScriptedPostMessage(kWmClose); };
  EXPECT_EQ(RunGame(kIdNo, script), 0);
  EXPECT_EQ(CallsStartingWith("PostQuitMessage"), std::vector<std::string>{"PostQuitMessage 0"});
  EXPECT_EQ(Scripted().live_windows, 0);
}

TEST_F(Ending, EveryDispatchedMessageShowsTheBufferOnceMore) {
  SwapScript script;
  script[2] = [] {
    for (int i = 0; i < 5; i++) ScriptedPostMessage(0x0200 /* mouse movement */, 0, 0);
  };
  script[9] = [] { ScriptedPostMessage(kWmClose); };
  RunGame(kIdNo, script);
  // Swaps 3 to 7 were the five messages; frames ran only at swaps 1, 2, 8 and 9.
  EXPECT_EQ(CallsStartingWith("SetCursorPos").size(), 4u);
  EXPECT_EQ(Scripted().swaps, 10);
}

TEST_F(FullscreenToggle, F1InPlayRecreatesTheWindowInTheOtherModeCaptionedBrannoch) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);
  script[5] = [] { ScriptedKeyDown(kVkF1); };
  script[7] = [] { ScriptedKeyUp(kVkF1); };
  QuitAt(script, 12);
  RunGame(kIdNo, script);
  ASSERT_EQ(Scripted().windows.size(), 2u);
  EXPECT_EQ(Scripted().windows[1].title, "Brannoch");
  EXPECT_EQ(Scripted().windows[1].style, kWsPopup | kWsClipSiblings | kWsClipChildren);
  EXPECT_TRUE(g_game.fullscreen);
  // Hidden at each creation while mouse look is on; shown again when fullscreen is left at the end.
  EXPECT_EQ(CallsStartingWith("ShowCursor"),
            (std::vector<std::string>{"ShowCursor 0 -> -1", "ShowCursor 0 -> -2", "ShowCursor 1 -> -1"}));
  EXPECT_EQ(CallsStartingWith("ChangeDisplayMode").size(), 2u);
  EXPECT_EQ(Scripted().live_windows, 0);
}

TEST_F(FullscreenToggle, EachKeyDownTogglesOnceAndAutoRepeatTogglesAgain) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);
  script[5] = [] {
    ScriptedKeyDown(kVkF1);
    ScriptedKeyDown(kVkF1);  // a repeat arrives before the next frame: one toggle for both
  };
  script[12] = [] { ScriptedKeyDown(kVkF1); };  // the key still held repeats: a second toggle
  QuitAt(script, 20);
  RunGame(kIdNo, script);
  ASSERT_EQ(Scripted().windows.size(), 3u);
  EXPECT_FALSE(g_game.fullscreen);
}

TEST_F(FullscreenToggle, F1OnTheTitleDoesNothingButTogglesOnTheFirstPlayFrameIfStillDown) {
  SwapScript script;
  script[2] = [] { ScriptedKeyDown(kVkF1); };
  script[8] = [] { EXPECT_EQ(Scripted().windows.size(), 1u); };
  HoldKey(script, 10, 'X', 2);
  QuitAt(script, 20);
  RunGame(kIdNo, script);
  EXPECT_EQ(Scripted().windows.size(), 2u);
  EXPECT_EQ(g_game.key_down[kVkF1], 0);
}

TEST_F(FullscreenToggle, AFailedRecreationEndsTheProgramAtOnce) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);
  script[5] = [] {
    ScriptedKeyDown(kVkF1);
    ScriptedFail(ScriptedStep::kCreateWindow);
  };
  EXPECT_EQ(RunGame(kIdNo, script), 0);
  ASSERT_FALSE(Scripted().message_boxes.empty());
  EXPECT_EQ(Scripted().message_boxes.back().text, "Window Creation Error.");
  // No second teardown after the failure's own.
  EXPECT_EQ(CallsStartingWith("UnregisterClass").size(), 2u);
}

TEST_F(Minimised, FramesAreNotDrawnButTheTickAndMovementGoOn) {
  SwapScript script;
  HoldKey(script, 1, 'X', 2);
  script[4] = [] {
    ScriptedPostMessage(kWmActivate, 1u << 16);  // minimised
    ScriptedKeyDown(kVkUp);
  };
  // After each shown frame, paint the buffer: a frame that is not drawn leaves the paint for the next swap.
  for (int swap = 8; swap < 40; swap++) {
    script[swap] = [swap] {
      if (swap > 8) {
        EXPECT_EQ(ScriptedReadPixel(10, 10), 0xFF00FFu) << "swap " << swap;
      }
      glClearColor(1, 0, 1, 1);
      glClear(GL_COLOR_BUFFER_BIT);
    };
  }
  QuitAt(script, 40);
  RunGame(kIdNo, script);
  EXPECT_FALSE(g_game.window_active);
  EXPECT_GT(g_game.cycle_tick, 5);
  EXPECT_LE(g_game.player_z, -2.0f);  // walked up to the hut's north wall
}

TEST_F(Minimised, EscapeQuitsWhileMinimised) {
  SwapScript script;
  script[2] = [] { ScriptedPostMessage(kWmActivate, 1u << 16); };
  QuitAt(script, 6);
  RunGame(kIdNo, script);
  EXPECT_EQ(Scripted().swaps, 7);
  EXPECT_EQ(Scripted().live_windows, 0);
}

TEST_F(Minimised, RestoringDrawsAgainAndInactiveWithoutMinimisingStillDraws) {
  SwapScript script;
  script[2] = [] { ScriptedPostMessage(kWmActivate, 1u << 16); };
  script[5] = [] { ScriptedPostMessage(kWmActivate, 1); };
  script[8] = [] { ScriptedPostMessage(kWmActivate, 0); };  // another application became active
  QuitAt(script, 10);
  RunGame(kIdNo, script);
  EXPECT_TRUE(g_game.window_active);
}

}  // namespace
