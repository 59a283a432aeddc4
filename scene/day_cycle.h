// The day cycle: sound requests, world tint and sky colour keyed by the cycle tick.
#pragma once

// The last tick of a cycle: the frame that finds the tick beyond it wraps it to 1.
constexpr int kLastCycleTick = 119;

// Sound requests, the world tint and the wrap of the tick; returns 1.
int AdvanceCycle();
// Sets the sky (clear) colour for the tick.
void ApplySkyColour();
