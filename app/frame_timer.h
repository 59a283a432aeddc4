// The game's one clock: milliseconds since start, from the performance counter or the multimedia clock.
#pragma once

#include <cstdint>

struct FrameTimer {
  int64_t counts_per_second;
  float seconds_per_count;
  uint32_t mm_start;
  bool use_performance_counter;
  int64_t performance_start;
};

// Chooses the clock and records its start reading.
void StartFrameTimer();
// Milliseconds elapsed since StartFrameTimer.
float FrameTimerMs();
