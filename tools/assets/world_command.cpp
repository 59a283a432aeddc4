// gorvane-assets world FILE [--dump] [--collision] [--svg OUT]: reads a world file with the game's own reader and
// says how many triangles the game would load; every line it skipped or stopped at goes to standard error with
// its number. --collision checks the walls against the player's fixed collision.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/assets/commands.h"
#include "tools/assets/file_bytes.h"
#include "tools/assets/plan.h"
#include "tools/level/collision_check.h"

namespace {

int WorldUsage() {
  fprintf(stderr, "usage: gorvane-assets world FILE [--dump] [--collision] [--svg OUT]\n");
  return 2;
}

const char* Plural(size_t count, const char* one, const char* many) { return count == 1 ? one : many; }

// One line per wall in open ground and per bare stretch of an edge, then the counts. Positions are printed as
// %g: the shortest form that a level maker finds again in the file.
void PrintCollisionReport(const char* file_name, const collision::Report& report,
                          const std::vector<int32_t>& triangle_lines) {
  for (const collision::WallInOpenGround& found : report.walls) {
    const collision::Segment& w = found.wall;
    const collision::Segment& o = found.open;
    printf("%s:%d: wall from (%g, %g) to (%g, %g) stands in open ground from (%g, %g) to (%g, %g)\n", file_name,
           triangle_lines[static_cast<size_t>(found.triangle)], double(w.x0), double(w.z0), double(w.x1),
           double(w.z1), double(o.x0), double(o.z0), double(o.x1), double(o.z1));
  }
  for (const collision::BareEdge& edge : report.edges) {
    const CollisionRect& r = collision::RectOf(edge.box);
    const bool along_x = edge.side == collision::Side::kNorth || edge.side == collision::Side::kSouth;
    if (edge.box == 0) {
      printf("%s: rectangle", file_name);
    } else {
      printf("%s: box %d", file_name, edge.box);
    }
    printf(" (x %g..%g, z %g..%g): %s edge from %s=%g to %s=%g has no wall\n", double(r.x_min), double(r.x_max),
           double(r.z_min), double(r.z_max), collision::SideName(edge.side), along_x ? "x" : "z", double(edge.from),
           along_x ? "x" : "z", double(edge.to));
  }
  printf("collision: %zu %s in open ground, %zu edge %s with no wall\n", report.walls.size(),
         Plural(report.walls.size(), "wall", "walls"), report.edges.size(),
         Plural(report.edges.size(), "stretch", "stretches"));
}

}  // namespace

int RunWorldCommand(int argc, char** argv) {
  const char* file_name = nullptr;
  const char* svg_path = nullptr;
  bool dump = false;
  bool check_collision = false;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--dump") == 0) {
      dump = true;
    } else if (strcmp(argv[i], "--collision") == 0) {
      check_collision = true;
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
  if (!ReadWholeFile(file_name, &bytes)) {
    fprintf(stderr, "%s: cannot be read: the game would load no triangles\n", file_name);
    printf("0 triangles\n");
    return 1;
  }
  World world;
  std::vector<WorldIssue> issues;
  std::vector<int32_t> triangle_lines;
  bool whole = ParseWorld(bytes.data(), bytes.size(), &world, &issues, &triangle_lines);
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
  collision::Report report;
  if (check_collision) {
    report = collision::CheckLevel(world);
    PrintCollisionReport(file_name, report, triangle_lines);
  }
  bool plan_ok = !svg_path || WriteLevelPlan(world, svg_path, check_collision ? &report : nullptr);
  ReleaseWorld(&world);
  return whole && plan_ok && report.Matches() ? 0 : 1;
}
