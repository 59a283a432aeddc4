// The frame timer on both of its clocks.
#include <gtest/gtest.h>

#include "app/frame_timer.h"
#include "app/globals.h"
#include "tests/support/game_test.h"

namespace {

using FrameTimerClocks = GameTest;

TEST_F(FrameTimerClocks, ThePerformanceCounterGivesMillisecondsSinceTheStart) {
  Scripted().counts_per_second = 3579545;
  Scripted().counter = 123456789;
  Scripted().counter_step = 3579545 / 1000;  // about a millisecond a reading
  StartFrameTimer();
  EXPECT_TRUE(g_game.timer.use_performance_counter);
  EXPECT_EQ(g_game.timer.seconds_per_count, static_cast<float>(1.0 / 3579545));
  float first = FrameTimerMs();
  EXPECT_NEAR(first, 1.0f, 0.01f);
  for (int i = 0; i < 99; i++) FrameTimerMs();
  EXPECT_NEAR(FrameTimerMs(), 101.0f, 0.1f);
  // Five hours on, the count is far past 32 bits and the difference stays whole.
  Scripted().counter += int64_t{3579545} * 3600 * 5;
  EXPECT_NEAR(FrameTimerMs(), 18000102.0f, 2.0f);
}

TEST_F(FrameTimerClocks, WithoutACounterTheMultimediaClockStepsInWholeMillisecondsAcrossItsWrap) {
  Scripted().has_performance_counter = false;
  Scripted().mm_time = 0xFFFFFFF0u;  // 16 ms before the wrap
  Scripted().mm_step = 1;
  StartFrameTimer();
  EXPECT_FALSE(g_game.timer.use_performance_counter);
  EXPECT_EQ(g_game.timer.counts_per_second, 1000);
  EXPECT_EQ(g_game.timer.seconds_per_count, 0.001f);
  for (int i = 1; i <= 40; i++) EXPECT_FLOAT_EQ(FrameTimerMs(), static_cast<float>(i)) << i;
}

// Long runs on the multimedia clock: the elapsed count stays positive past 2^31 ms (24.8 days) and up to the
// clock's full 2^32 ms, also when the clock wrapped on the way.
TEST_F(FrameTimerClocks, TheMultimediaClockCountsOnPastTwoToTheThirtyOneMilliseconds) {
  struct Reading {
    uint32_t start, elapsed;
  };
  for (Reading row : {Reading{0, 0x7FFFFFFFu}, Reading{0, 0x80000000u}, Reading{0xFFFFFFF0u, 0x80000010u},
                      Reading{0x80000000u, 0xFFFFFFFFu}, Reading{5, 0xFFFFFFFEu}}) {
    ResetGame();
    Scripted().has_performance_counter = false;
    Scripted().mm_step = 0;
    Scripted().mm_time = row.start;
    StartFrameTimer();
    Scripted().mm_time = row.start + row.elapsed;
    double elapsed = row.elapsed;
    EXPECT_NEAR(FrameTimerMs(), elapsed, elapsed * 1e-6) << "start " << row.start;
  }
}

TEST_F(FrameTimerClocks, AFrameWaitsTwentyMillisecondsOnTheSteppedClock) {
  Scripted().counter_step = 250;  // a quarter of a millisecond a reading
  StartFrameTimer();
  float start = FrameTimerMs();
  int readings = 0;
  while (FrameTimerMs() < start + 20.0f) readings++;
  EXPECT_EQ(readings, 79);
}

}  // namespace
