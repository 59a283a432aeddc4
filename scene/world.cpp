// The world file: a header line with the triangle count, then for each triangle a slot line and three corner
// lines of x y z u v. The text is parsed in place, from memory or from a window the file streams through: no
// stream calls per line. The common lines go to the quick readers (world_lines.cpp), everything else to the
// general reader here, which reads numbers as the C library does (world_numbers.cpp).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "app/globals.h"
#include "platform/memory.h"
#include "scene/world.h"
#include "scene/world_array.h"
#include "scene/world_lines.h"
#include "scene/world_numbers.h"
#include "scene/world_reader.h"
#include "scene/world_text.h"

using worldfile::kPieceLength;
using worldfile::ParseFloat;
using worldfile::ParseInteger;
using worldfile::PieceCursor;

namespace {

constexpr const char* kWorldFileName = "world.dat";
constexpr int kSlotCount = kSceneTextureCount;

uint64_t s_generation = 0;

void Report(std::vector<WorldIssue>* issues, int32_t line, std::string reason) {
  if (issues) issues->push_back(WorldIssue{line, std::move(reason)});
}

std::string TriangleOf(int32_t index, int64_t count) {
  return "triangle " + std::to_string(index + 1) + " of " + std::to_string(count);
}

// size is the file's length (or an estimate): it bounds the first allocation.
bool ParsePieces(PieceCursor& cursor, size_t size, World* world, std::vector<WorldIssue>* issues,
                 std::vector<int32_t>* triangle_lines) {
  *world = World{};
  const char* begin = nullptr;
  const char* end = nullptr;
  int32_t line = 0;

  if (!cursor.NextKept(&begin, &end, &line)) {
    Report(issues, cursor.line, "no header line: the file holds nothing but comments and blank lines");
    return false;
  }
  constexpr size_t kWordLength = 10;
  int64_t count = 0;
  if (static_cast<size_t>(end - begin) < kWordLength || memcmp(begin, "NUMPOLLIES", kWordLength) != 0 ||
      !ParseInteger(begin + kWordLength, end, false, &count)) {
    Report(issues, line, "the header is not NUMPOLLIES followed by a count");
    return false;
  }
  if (count > std::numeric_limits<int32_t>::max() || count < std::numeric_limits<int32_t>::min()) {
    Report(issues, line, "the count does not fit 32 bits");
    return false;
  }
  if (count < 0) {
    Report(issues, line, "the count " + std::to_string(count) + " is negative: no triangles are read");
    return false;
  }

  // Never trust the count for the allocation: the file's size bounds it.
  int64_t first_capacity = FirstTriangleCapacity(count, size);
  int32_t capacity = 0;
  if (first_capacity > 0) {
    size_t bytes = static_cast<size_t>(first_capacity) * sizeof(WorldTriangle);
    world->triangles = static_cast<WorldTriangle*>(malloc(bytes));
    if (world->triangles) {
      capacity = static_cast<int32_t>(first_capacity);
      OsUseLargePages(world->triangles, bytes);
    }
  }

  bool whole = true;
  // The array's pages are asked for a few hundred kilobytes ahead of the reading, in one call each time: a
  // fault per page on first write costs more than the parsing does on some machines.
  constexpr int32_t kPrefaultStep = 8192;
  int32_t prefaulted = 0;
  for (int32_t index = 0; index < count; ++index) {
    if (!ReserveTriangle(world, &capacity)) {
      Report(issues, line, "out of memory at " + TriangleOf(index, count) + "; loading stops here");
      whole = false;
      break;
    }
    if (world->triangle_count >= prefaulted) {
      int32_t ahead = capacity - world->triangle_count < kPrefaultStep ? capacity - world->triangle_count : kPrefaultStep;
      OsPrefaultMemory(world->triangles + world->triangle_count, static_cast<size_t>(ahead) * sizeof(WorldTriangle));
      prefaulted = world->triangle_count + ahead;
    }
    // Read straight into the array's next free place; it counts only once it is complete and kept.
    WorldTriangle& triangle = world->triangles[world->triangle_count];
    int64_t slot = 0;
    if (worldfile::ReadSlotLine(cursor, &slot)) {
      line = cursor.line - 1;
    } else {
      if (!cursor.NextKept(&begin, &end, &line)) {
        Report(issues, cursor.line, "the file ends after " + std::to_string(index) + " of " +
                                        std::to_string(count) + " triangles");
        whole = false;
        break;
      }
      if (!ParseInteger(begin, end, true, &slot)) {
        Report(issues, line, "no texture slot for " + TriangleOf(index, count) + "; loading stops here");
        whole = false;
        break;
      }
    }
    int32_t slot_line = line;
    bool stopped = false;
    for (int corner = 0; corner < 3 && !stopped; ++corner) {
      if (worldfile::ReadCornerLine(cursor, &triangle.vertices[corner])) {
        line = cursor.line - 1;
        continue;
      }
      if (!cursor.NextKept(&begin, &end, &line)) {
        Report(issues, cursor.line, "the file ends inside " + TriangleOf(index, count));
        stopped = true;
        break;
      }
      WorldVertex& vertex = triangle.vertices[corner];
      float* fields[5] = {&vertex.x, &vertex.y, &vertex.z, &vertex.u, &vertex.v};
      const char* p = begin;
      for (int field = 0; field < 5; ++field) {
        p = ParseFloat(p, end, fields[field]);
        if (!p) {
          Report(issues, line, "corner " + std::to_string(corner + 1) + " of " + TriangleOf(index, count) +
                                   " has " + std::to_string(field) + " of its five numbers; loading stops here");
          stopped = true;
          break;
        }
      }
    }
    if (stopped) {
      whole = false;
      break;
    }
    if (slot < 0 || slot >= kSlotCount) {
      Report(issues, slot_line, "texture slot " + std::to_string(slot) + " is outside 0 to 15: " +
                                    TriangleOf(index, count) + " is left out");
      whole = false;
      continue;
    }
    triangle.texture_slot = static_cast<int32_t>(slot);
    ++world->triangle_count;
    if (triangle_lines) triangle_lines->push_back(slot_line);
  }
  // Give back what the estimate took beyond the triangles read.
  if (world->triangle_count <= 0) {
    free(world->triangles);
    world->triangles = nullptr;
  } else if (world->triangle_count < capacity) {
    size_t kept = static_cast<uint32_t>(world->triangle_count);
    void* fitted = realloc(world->triangles, kept * sizeof(WorldTriangle));
    if (fitted) world->triangles = static_cast<WorldTriangle*>(fitted);
  }
  if (whole && cursor.NextKept(&begin, &end, &line)) {
    Report(issues, line, "not read: the header announces " + std::to_string(count) + " triangles and they end before "
                         "this line");
    whole = false;
  }
  return whole;
}

}  // namespace

bool ParseWorld(const char* data, size_t size, World* world, std::vector<WorldIssue>* issues,
                std::vector<int32_t>* triangle_lines) {
  // The cursor measures what is left as a pointer difference.
  if (size > static_cast<size_t>(PTRDIFF_MAX)) {
    *world = World{};
    Report(issues, 1, "the file is too large to read at once (" + std::to_string(size) + " bytes)");
    return false;
  }
  PieceCursor cursor{data, data + size};
  return ParsePieces(cursor, size, world, issues, triangle_lines);
}

uint64_t WorldGeneration() { return s_generation; }

void LoadWorld() {
  ReleaseWorld(&g_game.world);
  FILE* file = fopen(kWorldFileName, "rb");
  if (!file) return;
  size_t size = 0;
  if (fseek(file, 0, SEEK_END) == 0) {
    long length = ftell(file);
    if (length > 0) size = static_cast<size_t>(length);
  }
  fseek(file, 0, SEEK_SET);
  // Of unknown length (size 0), the array simply grows as triangles are read.
  // A window of a megabyte stays in the cache; the text is read through it once.
  constexpr size_t kWindowSize = 1 << 20;
  char* window = static_cast<char*>(malloc(kWindowSize));
  if (window) {
    PieceCursor cursor{window, window};
    cursor.source = file;
    cursor.window = window;
    cursor.window_size = kWindowSize;
    World loaded;
    ParsePieces(cursor, size, &loaded, nullptr, nullptr);
    g_game.world = loaded;
    free(window);
  }
  fclose(file);
  ++s_generation;
}

void ReadWorldLine(FILE* file, char* line) {
  for (;;) {
    int length = 0;
    while (length < kPieceLength) {
      int c = getc(file);
      if (c == EOF) break;
      if (c == '\r') {
        int after = getc(file);
        if (after == '\n') {
          c = '\n';
        } else if (after != EOF) {
          ungetc(after, file);
        }
      }
      line[length++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    line[length] = '\0';
    // At the end of the file the line stays empty, so a caller never waits for ever.
    if (length == 0) return;
    if (line[0] != '/' && line[0] != '\n') return;
  }
}

void ReleaseWorld(World* world) {
  free(world->triangles);
  world->triangles = nullptr;
  world->triangle_count = 0;
  ++s_generation;
}
