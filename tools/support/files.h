// Files the asset tool reads whole and paths it keeps across a change of working directory.
#pragma once

#include <string>

// Appends the bytes of the file at path to *bytes; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string* bytes);

// The file name as an absolute path, so that it still names the same file after the working directory changes.
std::string AbsolutePath(const char* path);
