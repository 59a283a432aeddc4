// A world file as the game would load it, reported to a level maker: how many triangles, every line the loader
// skipped or stopped at, and on request each triangle, the walls checked against the player's fixed collision,
// and a plan of the level.
#pragma once

struct WorldReport {
  bool dump = false;       // one line per triangle: the slot, then x y z u v of each corner
  bool collision = false;  // the walls against the player's fixed collision, a line per finding
  const char* svg = nullptr;  // where to draw the plan, or null
};

// Reads the file and prints the report: the count and findings on standard output, the loader's complaints on
// standard error. Returns the exit code of `gorvane-assets world`: 0 when the file loads whole (and, when
// checked, matches the collision), 1 when it does not.
int ReportWorldFile(const char* file_name, const WorldReport& what);
