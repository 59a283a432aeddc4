// Running the real entry point frame by frame on the scripted backend.
#pragma once

#include <functional>
#include <map>

#include "platform/scripted/scripted.h"

// What to do at given buffer swaps (numbered from 1), while the context is current.
using SwapScript = std::map<int, std::function<void()>>;

// Answers the start question with answer, runs the game with the script, and returns its exit code.
int RunGame(int answer, SwapScript script);

// Answers the start question with answer and runs the game; on_frame runs at the swap of every frame the loop
// ran (drawn or not), numbered from 1, while the context is current. The swap the loop makes before it dispatches
// a message (one per message the callback queues) is passed over. Returns the exit code.
int RunGameFrames(int answer, const std::function<void(int frame)>& on_frame);

// Queues a key-down at this swap and its key-up after `frames` more swaps.
void HoldKey(SwapScript& script, int swap, uint32_t virtual_key, int swaps);
