// gorvane-assets bmp. (Placeholder until the loader lands.)
#include <cstdio>

#include "tools/assets/commands.h"

int RunBmpCommand(int, char**) {
  fprintf(stderr, "gorvane-assets: bmp is not available yet\n");
  return 2;
}
