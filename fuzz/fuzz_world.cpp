// Fuzzes the world reader: any bytes give a World whose every triangle has a slot inside the texture table, and
// a report whose line numbers lie inside the file. The asset tool's collision check then runs on what was read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene/world.h"
#include "scene/world_reader.h"
#include "tools/level/collision_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  World world;
  std::vector<WorldIssue> issues;
  std::vector<int32_t> triangle_lines;
  ParseWorld(text, size, &world, &issues, &triangle_lines);
  if (world.triangle_count < 0 || (world.triangle_count > 0 && !world.triangles)) abort();
  for (int32_t i = 0; i < world.triangle_count; ++i) {
    if (world.triangles[i].texture_slot < 0 || world.triangles[i].texture_slot > 15) abort();
  }
  int32_t lines = 1;
  for (size_t i = 0; i < size; ++i) lines += text[i] == '\n';
  for (const WorldIssue& issue : issues) {
    if (issue.line < 1 || issue.line > lines) abort();
  }
  // One line per triangle, in file order.
  if (triangle_lines.size() != static_cast<size_t>(world.triangle_count)) abort();
  for (size_t i = 0; i < triangle_lines.size(); ++i) {
    if (triangle_lines[i] < 1 || triangle_lines[i] > lines) abort();
    if (i > 0 && triangle_lines[i] <= triangle_lines[i - 1]) abort();
  }
  for (const collision::WallInOpenGround& found : collision::CheckLevel(world).walls) {
    if (found.triangle < 0 || found.triangle >= world.triangle_count) abort();
  }

  // Reading again gives the same triangles, with or without a report.
  World again;
  ParseWorld(text, size, &again, nullptr);
  if (again.triangle_count != world.triangle_count ||
      (world.triangle_count > 0 &&
       memcmp(again.triangles, world.triangles, sizeof(WorldTriangle) * static_cast<size_t>(world.triangle_count)) != 0)) {
    abort();
  }
  ReleaseWorld(&again);
  ReleaseWorld(&world);
  return 0;
}
