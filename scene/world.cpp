// The world file loader. (Placeholder until the loader lands: the world stays empty.)
#include "scene/world.h"

#include <cstdlib>

#include "app/globals.h"

void LoadWorld() {}

void ReadWorldLine(FILE*, char* line) { line[0] = '\0'; }

void ReleaseWorld(World* world) {
  free(world->triangles);
  world->triangles = nullptr;
  world->triangle_count = 0;
}
