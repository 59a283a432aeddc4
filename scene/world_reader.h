// Reading world files from memory, with a report of every line the loader skipped or stopped at. The game's
// LoadWorld goes through the same reader; the asset tool, the tests and the benchmark call it directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/world.h"

// One line the reader dropped, stopped at, or left unread. line counts the file's lines from 1 (a line longer
// than 254 characters is read as several pieces, all with the same number).
struct WorldIssue {
  int32_t line;
  std::string reason;
};

// Reads a world file held in data[0, size) into *world, which it overwrites (release what it held first). The
// triangles array is malloc'd and owned by the caller. Every problem goes to *issues when issues is not null,
// in file order. True when the whole file loaded: every announced triangle read, none left out, nothing unread
// after them. When triangle_lines is not null, it gets the line of each loaded triangle's texture slot (the first
// of its four lines), in triangle order, so that a report can point into the file.
bool ParseWorld(const char* data, size_t size, World* world, std::vector<WorldIssue>* issues,
                std::vector<int32_t>* triangle_lines = nullptr);

// Goes up by one whenever the game's World is replaced or released, so that anything built from the triangles
// (the renderer's batch) knows when to build again.
uint64_t WorldGeneration();
