#include "app/play_frame.h"

#include "app/globals.h"
#include "app/movement.h"

void StepPlayFrame() {
  ClampPlayerPosition();
  CountPlayFrame();
  ApplyMovementKeys();
}

void CountPlayFrame() {
  if (++g_game.frame_divider > 5) {
    g_game.cycle_tick++;
    g_game.frame_divider = 0;
  }
}
