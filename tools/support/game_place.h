// The game set up as a player finds it at a place and a time of the day cycle: the scene read from a level's
// folder, the player standing there in play, the cycle's colours settled. The view command's pictures and the
// walk command's preview start the same way.
#pragma once

#include <string>

// Where the player stands and when.
struct GamePlace {
  float at[4] = {0, 0, 0, 0};  // x, z, heading (0 north, 90 west), pitch (positive looks down)
  int tick = 1;                // 1 to kLastCycleTick
};

// The two options that say it, as the commands' usage lines write them.
constexpr const char kPlaceUsage[] = "[--at X,Z[,HEADING[,PITCH]]] [--tick T]";

enum class PlaceOption { kNotOurs, kTaken, kBadValue };
// Takes "--at X,Z[,HEADING[,PITCH]]" or "--tick T" with its value (null when the command line ended).
PlaceOption TakePlaceOption(const char* option, const char* value, GamePlace* place);

// Sets the scene up in the current context as the game's window creation does, from the working directory
// (the level's folder, named data_dir in messages), and prints what the loaders said. When a scene bitmap does
// not load, names each one that does not and returns false: the game would stop there.
bool StartToolScene(const std::string& data_dir);

// Why the scene bitmap of that name does not load: "" when it does, "missing" when there is no such file, else
// the decoder's message.
std::string SceneBitmapFault(const char* name);

// Puts the player at the place, in play, with the cycle's colours settled at its tick.
void PutPlayerAt(const GamePlace& place);

// Runs the day cycle's colour steps from tick 1 up to the one before tick, as a player who has stood there since
// the cycle began saw them: the sky colour and tint a tick does not set are the last ones set. Leaves cycle_tick
// at tick; the sounds of the ticks passed over are not played.
void SettleCycle(int tick);
