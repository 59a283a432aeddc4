// The title and play stages, the X and M keys, and how the loop ends.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "platform/scripted/scripted.h"
#include "tests/support/game_test.h"

namespace {

using TitleAndPlay = GameTest;

// Runs the real entry point; on_swap scripts the player.
int RunGame(std::function<void(int)> on_swap) {
  Scripted().on_swap = std::move(on_swap);
  return gorvane::WinMain(nullptr, nullptr, nullptr, 0);
}

TEST_F(TitleAndPlay, EscapeOnTheTitleScreenQuitsWithoutShowingTheFrame) {
  Scripted().answers = {kIdNo};
  int exit_code = RunGame([](int swap) {
    if (swap == 3) ScriptedKeyDown(kVkEscape);
  });
  EXPECT_EQ(exit_code, kVkEscape);  // the last retrieved message was the Escape key-down
  // Three frames, one swap for the dispatched key message, and the frame that saw Escape is not shown.
  EXPECT_EQ(Scripted().swaps, 4);
  EXPECT_EQ(g_game.screen_stage, 1);
  EXPECT_EQ(Scripted().live_windows, 0);
  EXPECT_FALSE(Scripted().class_registered);
}

}  // namespace
