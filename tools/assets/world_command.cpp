// gorvane-assets world FILE [--dump] [--svg OUT]: reads a world file with the game's own reader and says how many
// triangles the game would load; every line it skipped or stopped at goes to standard error with its number.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/assets/commands.h"
#include "tools/assets/plan.h"

namespace {

int WorldUsage() {
  fprintf(stderr, "usage: gorvane-assets world FILE [--dump] [--svg OUT]\n");
  return 2;
}

bool ReadFile(const char* file_name, std::string* bytes) {
  FILE* file = fopen(file_name, "rb");
  if (!file) return false;
  char chunk[1 << 16];
  size_t got;
  while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) bytes->append(chunk, got);
  bool ok = !ferror(file);
  fclose(file);
  return ok;
}

}  // namespace

int RunWorldCommand(int argc, char** argv) {
  const char* file_name = nullptr;
  const char* svg_path = nullptr;
  bool dump = false;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--dump") == 0) {
      dump = true;
    } else if (strcmp(argv[i], "--svg") == 0) {
      if (i + 1 >= argc) return WorldUsage();
      svg_path = argv[++i];
    } else if (argv[i][0] == '-' || file_name) {
      return WorldUsage();
    } else {
      file_name = argv[i];
    }
  }
  if (!file_name) return WorldUsage();

  std::string bytes;
  if (!ReadFile(file_name, &bytes)) {
    fprintf(stderr, "%s: cannot be read: the game would load no triangles\n", file_name);
    printf("0 triangles\n");
    return 1;
  }
  World world;
  std::vector<WorldIssue> issues;
  bool whole = ParseWorld(bytes.data(), bytes.size(), &world, &issues);
  for (const WorldIssue& issue : issues) fprintf(stderr, "%s:%d: %s\n", file_name, issue.line, issue.reason.c_str());
  printf("%d triangles\n", world.triangle_count);
  if (dump) {
    for (int32_t i = 0; i < world.triangle_count; ++i) {
      const WorldTriangle& t = world.triangles[i];
      printf("%d", t.texture_slot);
      for (const WorldVertex& v : t.vertices) {
        printf(" %.9g %.9g %.9g %.9g %.9g", static_cast<double>(v.x), static_cast<double>(v.y),
               static_cast<double>(v.z), static_cast<double>(v.u), static_cast<double>(v.v));
      }
      printf("\n");
    }
  }
  bool plan_ok = !svg_path || WriteLevelPlan(world, svg_path);
  ReleaseWorld(&world);
  return whole && plan_ok ? 0 : 1;
}
