// gorvane-assets: checks, draws, previews and converts game data with the game's own code.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/version.h"
#include "tools/commands/commands.h"
#include "tools/support/game_place.h"

namespace {

struct Command {
  const char* name;
  std::string usage;  // what follows the name
  int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"bmp", "FILE [--ppm OUT]", RunBmpCommand},
    {"world", "FILE [--dump] [--collision] [--svg OUT]", RunWorldCommand},
    {"ms3d", "FILE [--png OUT [--yaw DEGREES]]", RunMs3dCommand},
    {"view", std::string("DATA_DIR ") + kPlaceUsage + " [--title] [--png OUT] [--time N]", RunViewCommand},
    {"walk", std::string("DATA_DIR ") + kPlaceUsage + " [--sound]", RunWalkCommand},
    {"import", "SCENE --out WORLD [--scale S] [--slot NAME=SLOT]... [--resize-images | --no-bitmaps]",
     RunImportCommand},
    {"export", "WORLD --out DIR/NAME.gltf|DIR/NAME.glb", RunExportCommand},
    {"web", "DATA_DIR --out SITE [--page PAGE_DIR]", RunWebCommand},
};

int Usage() {
  const char* lead = "usage:";
  for (const Command& command : kCommands) {
    fprintf(stderr, "%-6s gorvane-assets %s %s\n", lead, command.name, command.usage.c_str());
    lead = "";
  }
  fprintf(stderr, "       gorvane-assets --version\n");
  return 2;
}

}  // namespace

int CommandUsage(const char* name) {
  for (const Command& command : kCommands) {
    if (strcmp(command.name, name) == 0) fprintf(stderr, "usage: gorvane-assets %s %s\n", name, command.usage.c_str());
  }
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    printf("gorvane-assets %s\n", GORVANE_VERSION);
    return 0;
  }
  for (const Command& command : kCommands) {
    if (strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
  }
  return Usage();
}
