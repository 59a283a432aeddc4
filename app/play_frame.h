// What a frame in play does to the player and the day cycle after its buffer swap and mouse look: one function
// of the game's, so that whatever steps the game's frames (the asset tool's preview) steps them the same way.
#pragma once

// The clamp rules, the count of play frames that advances the cycle's tick, then the arrow keys, in that order.
void StepPlayFrame();
// Counts one play frame; every sixth advances cycle_tick.
void CountPlayFrame();
