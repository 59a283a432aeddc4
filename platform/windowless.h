// What a program without a game window (the asset tool) takes back from the game's code: the texts of the
// message boxes it showed, which are the loaders' complaints, and the sounds it asked for. The windowless backend
// keeps both for the program; the test bench keeps them too, so the tool's own code runs there unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SoundRequest {
  std::string file_name;
  uint32_t flags;  // kSndAsync, kSndLoop
};

// The texts of the message boxes shown since the last call, oldest first. Each text is handed out once.
std::vector<std::string> TakeShownMessages();

// The sound requests made since the last call, oldest first. Each request is handed out once; a program that
// never takes them loses the oldest beyond the last few hundred.
std::vector<SoundRequest> TakeSoundRequests();
