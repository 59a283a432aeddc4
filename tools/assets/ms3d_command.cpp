// gorvane-assets ms3d. (Placeholder until the loader lands.)
#include <cstdio>

#include "tools/assets/commands.h"

int RunMs3dCommand(int, char**) {
  fprintf(stderr, "gorvane-assets: ms3d is not available yet\n");
  return 2;
}
