// gorvane-assets world FILE [--dump] [--collision] [--svg OUT]: reads a world file with the game's own reader and
// says how many triangles the game would load; every line it skipped or stopped at goes to standard error with
// its number. --collision checks the walls against the player's fixed collision.
#include <cstring>

#include "tools/commands/commands.h"
#include "tools/level/world_report.h"

int RunWorldCommand(int argc, char** argv) {
  const char* file_name = nullptr;
  WorldReport report;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--dump") == 0) {
      report.dump = true;
    } else if (strcmp(argv[i], "--collision") == 0) {
      report.collision = true;
    } else if (strcmp(argv[i], "--svg") == 0) {
      if (i + 1 >= argc) return CommandUsage("world");
      report.svg = argv[++i];
    } else if (argv[i][0] == '-' || file_name) {
      return CommandUsage("world");
    } else {
      file_name = argv[i];
    }
  }
  if (!file_name) return CommandUsage("world");

  return ReportWorldFile(file_name, report);
}
