// The frame timer: the performance counter where the system has one, else the multimedia millisecond clock.
#include "app/frame_timer.h"

#include <cstring>

#include "app/globals.h"
#include "platform/os.h"

void StartFrameTimer() {
  FrameTimer& timer = g_game.timer;
  memset(&timer, 0, sizeof timer);
  if (!OsQueryPerformanceFrequency(&timer.counts_per_second)) {
    timer.use_performance_counter = false;
    timer.mm_start = OsTimeGetTime();
    timer.seconds_per_count = 0.001f;
    timer.counts_per_second = 1000;
  } else {
    OsQueryPerformanceCounter(&timer.performance_start);
    timer.use_performance_counter = true;
    timer.seconds_per_count = static_cast<float>(1.0 / static_cast<double>(timer.counts_per_second));
  }
}

float FrameTimerMs() {
  const FrameTimer& timer = g_game.timer;
  int64_t count;
  if (timer.use_performance_counter) {
    int64_t now = 0;
    OsQueryPerformanceCounter(&now);
    count = now - timer.performance_start;
  } else {
    // Unsigned 32-bit subtraction absorbs the clock's wrap-around.
    uint32_t elapsed = OsTimeGetTime() - timer.mm_start;
    count = static_cast<int64_t>(static_cast<uint64_t>(elapsed));
  }
  return static_cast<float>(static_cast<double>(count) * static_cast<double>(timer.seconds_per_count) * 1000.0);
}
