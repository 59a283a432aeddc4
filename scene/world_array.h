// The world's triangle array: how many triangles to make room for, in sizes that the address space can hold
// (a 32-bit build has only 2 GiB for one array, while a level file may announce any count).
#pragma once

#include <cstddef>
#include <cstdint>

#include "scene/world.h"

// The most triangles one array may hold: its size in bytes fits a pointer difference, and its count 32 bits.
int64_t MostTriangles();

// How many triangles to make room for at first, for a file of file_size bytes that announces count: never more
// than the file can hold (a triangle takes at least 32 of its characters), nor than MostTriangles().
int64_t FirstTriangleCapacity(int64_t count, size_t file_size);

// The capacity of a full array of capacity triangles once grown: twice as many (16 at least), up to
// MostTriangles(); 0 when it cannot grow.
int64_t GrownTriangleCapacity(int64_t capacity);

// Makes room for one more triangle at the end of the world's malloc'd array of *capacity; false when it cannot.
bool ReserveTriangle(World* world, int32_t* capacity);
