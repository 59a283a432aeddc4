// The day cycle: sound requests, world tint and sky colour keyed by the cycle tick.
#pragma once

// Sound requests, the world tint and the wrap of the tick; returns 1.
int AdvanceCycle();
// Sets the sky (clear) colour for the tick.
void ApplySkyColour();
