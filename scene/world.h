// The world's triangles and the loader of the world file.
#pragma once

#include <cstdint>
#include <cstdio>

struct WorldVertex {
  float x, y, z;
  float u, v;
};

struct WorldTriangle {
  int32_t texture_slot;
  WorldVertex vertices[3];
};

// triangles is owned by the World (malloc'd); triangle_count entries.
struct World {
  int32_t triangle_count;
  WorldTriangle* triangles;
};

// Reads "world.dat" from the working directory into the game's World, replacing what was there.
void LoadWorld();
// Reads the next line that is not a comment or blank into line (256 characters).
void ReadWorldLine(FILE* file, char* line);
// Releases a World's triangles and leaves it empty.
void ReleaseWorld(World* world);
