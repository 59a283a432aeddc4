#include "tools/level/world_report.h"

#include <cstdio>
#include <string>
#include <vector>

#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/level/collision_check.h"
#include "tools/level/plan.h"
#include "tools/support/files.h"

namespace {

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

int ReportWorldFile(const char* file_name, const WorldReport& what) {
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
  if (what.dump) {
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
  if (what.collision) {
    report = collision::CheckLevel(world);
    PrintCollisionReport(file_name, report, triangle_lines);
  }
  bool plan_ok = !what.svg || WriteLevelPlan(world, what.svg, what.collision ? &report : nullptr);
  ReleaseWorld(&world);
  return whole && plan_ok && report.Matches() ? 0 : 1;
}
