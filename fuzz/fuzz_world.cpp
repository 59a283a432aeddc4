// Fuzzes the world reader: any bytes give a World whose every triangle has a slot inside the texture table, and
// a report whose line numbers lie inside the file; the streamed game loader reads the same bytes to the same
// triangles.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "app/globals.h"
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

  // The game's loader streams world.dat from the working directory: a directory of the fuzzer's own.
  static bool in_directory = false;
  if (!in_directory) {
    char pattern[] = "/tmp/fuzz-world-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) abort();
    in_directory = true;
  }
  FILE* file = fopen("world.dat", "wb");
  if (!file) abort();
  fwrite(data, 1, size, file);
  fclose(file);
  LoadWorld();
  if (g_game.world.triangle_count != world.triangle_count ||
      (world.triangle_count > 0 &&
       memcmp(g_game.world.triangles, world.triangles, sizeof(WorldTriangle) * world.triangle_count) != 0)) {
    abort();
  }
  ReleaseWorld(&world);
  ReleaseWorld(&g_game.world);
  return 0;
}
