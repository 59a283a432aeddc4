#include "tools/support/files.h"

#include <cstdio>
#include <filesystem>

bool ReadWholeFile(const char* path, std::string* bytes) {
  FILE* file = fopen(path, "rb");
  if (!file) return false;
  char chunk[1 << 16];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes->append(chunk, got);
  const bool ok = !ferror(file);
  fclose(file);
  return ok;
}

std::string AbsolutePath(const char* path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string(path) : absolute.string();
}
