// gorvane-assets: checks game data files with the game's own loaders.
#include <cstdio>
#include <cstring>

#include "app/version.h"
#include "tools/assets/commands.h"

namespace {

int Usage() {
  fprintf(stderr,
          "usage: gorvane-assets bmp FILE [--ppm OUT]\n"
          "       gorvane-assets world FILE [--dump] [--collision] [--svg OUT]\n"
          "       gorvane-assets ms3d FILE [--png OUT [--yaw DEGREES]]\n"
          "       gorvane-assets view DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--title] [--png OUT] "
          "[--time N]\n"
          "       gorvane-assets walk DATA_DIR [--at X,Z[,HEADING[,PITCH]]] [--tick T] [--sound]\n"
          "       gorvane-assets import SCENE --out WORLD [--scale S] [--slot NAME=SLOT]...\n"
          "       gorvane-assets export WORLD --out DIR/NAME.gltf\n"
          "       %s\n"
          "       gorvane-assets --version\n",
          kWebUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  if (argc == 2 && strcmp(argv[1], "--version") == 0) {
    printf("gorvane-assets %s\n", GORVANE_VERSION);
    return 0;
  }
  if (strcmp(argv[1], "bmp") == 0) return RunBmpCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "world") == 0) return RunWorldCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "ms3d") == 0) return RunMs3dCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "view") == 0) return RunViewCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "walk") == 0) return RunWalkCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "import") == 0) return RunImportCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "export") == 0) return RunExportCommand(argc - 2, argv + 2);
  if (strcmp(argv[1], "web") == 0) return RunWebCommand(argc - 2, argv + 2);
  return Usage();
}
