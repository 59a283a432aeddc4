// Fuzzes the world reader: any bytes give a World whose every triangle has a slot inside the texture table, and
// a report whose line numbers lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene/world.h"
#include "scene/world_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  World world;
  std::vector<WorldIssue> issues;
  ParseWorld(text, size, &world, &issues);
  if (world.triangle_count < 0 || (world.triangle_count > 0 && !world.triangles)) abort();
  for (int32_t i = 0; i < world.triangle_count; ++i) {
    if (world.triangles[i].texture_slot < 0 || world.triangles[i].texture_slot > 15) abort();
  }
  int32_t lines = 1;
  for (size_t i = 0; i < size; ++i) lines += text[i] == '\n';
  for (const WorldIssue& issue : issues) {
    if (issue.line < 1 || issue.line > lines) abort();
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
