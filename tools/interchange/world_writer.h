// Writing world files that the game's loader reads back to the bit, and replacing a file only by a whole one.
#pragma once

#include <string>
#include <string_view>

#include "tools/interchange/scene_import.h"

// The world file of the imported triangles: a comment naming where they came from, the header, then each
// source's triangles under a comment with its name. Every number is written in the shortest form that reads back
// as the same float.
std::string WorldFileText(const ImportedScene& scene, std::string_view origin);

// Writes bytes into a new file beside path, then renames it over path, so that an existing file is replaced
// only by a complete one. False, with the reason in *error and nothing left behind, when it cannot.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string* error);
