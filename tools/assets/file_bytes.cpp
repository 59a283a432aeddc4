#include "tools/assets/file_bytes.h"

#include <cstdio>

bool ReadWholeFile(const char* path, std::string* bytes) {
  FILE* file = fopen(path, "rb");
  if (!file) return false;
  char chunk[1 << 16];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes->append(chunk, got);
  const bool ok = !ferror(file);
  fclose(file);
  return ok;
}
