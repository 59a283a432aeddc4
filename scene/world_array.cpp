#include "scene/world_array.h"

#include <cstdlib>
#include <limits>

#include "platform/memory.h"

int64_t MostTriangles() {
  constexpr uint64_t kByBytes = static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max()) / sizeof(WorldTriangle);
  constexpr uint64_t kByCount = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
  return static_cast<int64_t>(kByBytes < kByCount ? kByBytes : kByCount);
}

int64_t FirstTriangleCapacity(int64_t count, size_t file_size) {
  int64_t capacity = static_cast<int64_t>(static_cast<uint64_t>(file_size) / 32) + 1;
  if (count < capacity) capacity = count;
  if (MostTriangles() < capacity) capacity = MostTriangles();
  return capacity > 0 ? capacity : 0;
}

int64_t GrownTriangleCapacity(int64_t capacity) {
  int64_t grown = capacity < 16 ? 16 : capacity * 2;
  if (grown > MostTriangles()) grown = MostTriangles();
  return grown > capacity ? grown : 0;
}

bool ReserveTriangle(World* world, int32_t* capacity) {
  if (world->triangle_count < *capacity) return true;
  int64_t grown = GrownTriangleCapacity(*capacity);
  if (grown == 0) return false;
  size_t bytes = static_cast<size_t>(grown) * sizeof(WorldTriangle);
  void* bigger = realloc(world->triangles, bytes);
  if (!bigger) return false;
  world->triangles = static_cast<WorldTriangle*>(bigger);
  *capacity = static_cast<int32_t>(grown);
  OsUseLargePages(world->triangles, bytes);
  return true;
}
