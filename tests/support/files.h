// Files of the source tree and whole files, as the tests and the benchmarks read them.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// The whole content of a file, empty when it does not open.
inline std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (FILE* file = fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    fclose(file);
  }
  return bytes;
}

// The source tree: GORVANE_SOURCE_DIR as ctest sets it, else the parent of the working directory (the tests run
// in data/).
inline std::string SourceDir() {
  const char* source = getenv("GORVANE_SOURCE_DIR");
  return source ? source : "..";
}
