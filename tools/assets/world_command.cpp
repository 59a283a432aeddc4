// gorvane-assets world. (Placeholder until the loader lands.)
#include <cstdio>

#include "tools/assets/commands.h"

int RunWorldCommand(int, char**) {
  fprintf(stderr, "gorvane-assets: world is not available yet\n");
  return 2;
}
