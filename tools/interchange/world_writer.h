// Writing world files that the game's loader reads back to the bit.
#pragma once

#include <string>
#include <string_view>

#include "tools/interchange/scene_import.h"

// The world file of the imported triangles: a comment naming where they came from, the header, then each
// source's triangles under a comment with its name. Every number is written in the shortest form that reads back
// as the same float.
std::string WorldFileText(const ImportedScene& scene, std::string_view origin);
