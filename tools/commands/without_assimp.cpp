// The scene commands where the asset tool is built without assimp (the Windows build): they say so.
#include <cstdio>

#include "tools/commands/commands.h"

namespace {

int WithoutAssimp(const char* command) {
  fprintf(stderr,
          "gorvane-assets: %s: this build of the tool has no scene import or export (it was built without the "
          "assimp library); the Linux package's gorvane-assets has both\n",
          command);
  return 1;
}

}  // namespace

int RunImportCommand(int, char**) { return WithoutAssimp("import"); }
int RunExportCommand(int, char**) { return WithoutAssimp("export"); }
