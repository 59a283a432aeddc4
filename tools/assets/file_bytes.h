// Whole files read into memory, for the commands that hand a file's bytes to the game's parsers.
#pragma once

#include <string>

// Appends the bytes of the file at path to *bytes; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string* bytes);
