// The day cycle: a fixed script keyed by the cycle tick. Day (1 to 49) with the voice clips and the music,
// dusk (50 to 69) darkening the sky and the world's tint, night (70 to 99) under the darkest sky, dawn (100 to
// 118), then the wrap back to 1. The tint is the current colour the world is drawn in; the sky is the clear
// colour, so it shows one frame later.
#include "scene/day_cycle.h"

#include "app/globals.h"
#include "platform/gl.h"
#include "platform/os.h"

namespace {

struct CycleColours {
  float tint[3];
  float sky[4];
};

constexpr int kDuskFirst = 50;
constexpr int kDuskLast = 69;
constexpr int kDawnFirst = 100;
constexpr int kDawnLast = 118;

constexpr float kDaySky[4] = {0.60f, 0.60f, 1.00f, 0.60f};

constexpr CycleColours kDusk[kDuskLast - kDuskFirst + 1] = {
    {{0.98f, 0.98f, 0.98f}, {0.58f, 0.58f, 0.98f, 0.58f}},  // 50
    {{0.96f, 0.96f, 0.96f}, {0.56f, 0.56f, 0.96f, 0.56f}},  // 51
    {{0.94f, 0.94f, 0.94f}, {0.54f, 0.54f, 0.94f, 0.54f}},  // 52
    {{0.92f, 0.92f, 0.92f}, {0.52f, 0.52f, 0.92f, 0.52f}},  // 53
    {{0.90f, 0.90f, 0.90f}, {0.50f, 0.50f, 0.90f, 0.50f}},  // 54
    {{0.88f, 0.88f, 0.88f}, {0.48f, 0.48f, 0.88f, 0.48f}},  // 55
    {{0.86f, 0.86f, 0.86f}, {0.46f, 0.46f, 0.86f, 0.46f}},  // 56
    {{0.84f, 0.84f, 0.84f}, {0.44f, 0.44f, 0.84f, 0.44f}},  // 57
    {{0.82f, 0.82f, 0.82f}, {0.42f, 0.42f, 0.82f, 0.42f}},  // 58
    {{0.80f, 0.80f, 0.80f}, {0.40f, 0.40f, 0.80f, 0.40f}},  // 59
    {{0.78f, 0.78f, 0.78f}, {0.38f, 0.38f, 0.78f, 0.38f}},  // 60
    {{0.76f, 0.76f, 0.76f}, {0.36f, 0.36f, 0.76f, 0.36f}},  // 61
    {{0.74f, 0.74f, 0.74f}, {0.34f, 0.34f, 0.74f, 0.34f}},  // 62
    {{0.72f, 0.72f, 0.72f}, {0.32f, 0.32f, 0.72f, 0.32f}},  // 63
    {{0.70f, 0.70f, 0.70f}, {0.30f, 0.30f, 0.70f, 0.30f}},  // 64
    {{0.68f, 0.68f, 0.68f}, {0.28f, 0.28f, 0.68f, 0.28f}},  // 65
    {{0.66f, 0.66f, 0.66f}, {0.26f, 0.26f, 0.66f, 0.26f}},  // 66
    {{0.64f, 0.64f, 0.64f}, {0.24f, 0.24f, 0.64f, 0.24f}},  // 67
    {{0.62f, 0.62f, 0.62f}, {0.22f, 0.22f, 0.62f, 0.22f}},  // 68
    {{0.60f, 0.60f, 0.60f}, {0.20f, 0.20f, 0.60f, 0.20f}},  // 69
};

// Green and blue run ahead of red from 110 to 114: a cold morning light before the day's grey.
constexpr CycleColours kDawn[kDawnLast - kDawnFirst + 1] = {
    {{0.62f, 0.62f, 0.62f}, {0.22f, 0.22f, 0.62f, 0.22f}},  // 100
    {{0.64f, 0.64f, 0.64f}, {0.24f, 0.24f, 0.64f, 0.24f}},  // 101
    {{0.66f, 0.66f, 0.66f}, {0.26f, 0.26f, 0.66f, 0.26f}},  // 102
    {{0.68f, 0.68f, 0.68f}, {0.28f, 0.28f, 0.68f, 0.28f}},  // 103
    {{0.70f, 0.70f, 0.70f}, {0.30f, 0.30f, 0.70f, 0.30f}},  // 104
    {{0.72f, 0.72f, 0.72f}, {0.32f, 0.32f, 0.72f, 0.32f}},  // 105
    {{0.74f, 0.74f, 0.74f}, {0.34f, 0.34f, 0.74f, 0.34f}},  // 106
    {{0.76f, 0.76f, 0.76f}, {0.36f, 0.36f, 0.76f, 0.36f}},  // 107
    {{0.78f, 0.78f, 0.78f}, {0.38f, 0.38f, 0.78f, 0.38f}},  // 108
    {{0.80f, 0.80f, 0.80f}, {0.40f, 0.40f, 0.80f, 0.40f}},  // 109
    {{0.82f, 0.90f, 0.90f}, {0.42f, 0.42f, 0.82f, 0.42f}},  // 110
    {{0.84f, 0.92f, 0.92f}, {0.44f, 0.44f, 0.84f, 0.44f}},  // 111
    {{0.86f, 0.94f, 0.94f}, {0.46f, 0.46f, 0.86f, 0.46f}},  // 112
    {{0.88f, 0.96f, 0.96f}, {0.48f, 0.48f, 0.88f, 0.48f}},  // 113
    {{0.90f, 0.98f, 0.98f}, {0.50f, 0.50f, 0.90f, 0.50f}},  // 114
    {{0.92f, 0.92f, 0.92f}, {0.52f, 0.52f, 0.92f, 0.52f}},  // 115
    {{0.94f, 0.94f, 0.94f}, {0.54f, 0.54f, 0.94f, 0.54f}},  // 116
    {{0.96f, 0.96f, 0.96f}, {0.56f, 0.56f, 0.96f, 0.56f}},  // 117
    {{0.98f, 0.98f, 0.98f}, {0.58f, 0.58f, 0.98f, 0.58f}},  // 118
};

// The colours of the tick's row, or null for a tick that has none.
const CycleColours* RowOf(int32_t tick) {
  if (tick >= kDuskFirst && tick <= kDuskLast) return &kDusk[tick - kDuskFirst];
  if (tick >= kDawnFirst && tick <= kDawnLast) return &kDawn[tick - kDawnFirst];
  return nullptr;
}

}  // namespace

int AdvanceCycle() {
  // Independent tests on the counter as it stands at each one; the wrap comes last, so the frame that wraps
  // makes no request and the next drawn frame greets with tick 1.
  if (g_game.cycle_tick == 1) glColor3f(1.0f, 1.0f, 1.0f);
  if (g_game.cycle_tick == 1) OsPlaySound("plokhello.wav", kSndAsync);
  if (g_game.cycle_tick == 15) OsPlaySound("plokitsme.wav", kSndAsync);
  if (g_game.cycle_tick == 27) OsPlaySound("plokstart.wav", kSndAsync);
  if (g_game.cycle_tick == 37) OsPlaySound("track2.wav", kSndAsync | kSndLoop);
  if (const CycleColours* row = RowOf(g_game.cycle_tick)) glColor3f(row->tint[0], row->tint[1], row->tint[2]);
  if (g_game.cycle_tick > kLastCycleTick) {
    glColor3f(1.0f, 1.0f, 1.0f);
    g_game.cycle_tick = 1;
  }
  return 1;
}

void ApplySkyColour() {
  if (g_game.cycle_tick < kDuskFirst) {
    glClearColor(kDaySky[0], kDaySky[1], kDaySky[2], kDaySky[3]);
  } else if (const CycleColours* row = RowOf(g_game.cycle_tick)) {
    glClearColor(row->sky[0], row->sky[1], row->sky[2], row->sky[3]);
  }
  // Night (70 to 99) and tick 119 leave the last sky in force.
}
