#include "tools/interchange/staged_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

StagedFiles::~StagedFiles() {
  for (const auto& [temporary, path] : staged_) remove(temporary.c_str());
}

bool StagedFiles::Stage(const std::string& path, const std::string& bytes, std::string* error) {
  // Beside the file, so that the rename stays on one file system; named by the process, so that two imports
  // into the same directory do not meet.
  const std::string temporary = path + "." + std::to_string(getpid()) + ".new";
  FILE* file = fopen(temporary.c_str(), "wbx");
  if (!file) {
    *error = temporary + ": cannot be created (" + strerror(errno) + ")";
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && fflush(file) == 0;
  int failure = ok ? 0 : errno;
  if (fclose(file) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    *error = temporary + ": cannot be written (" + strerror(failure) + ")";
    remove(temporary.c_str());
    return false;
  }
  staged_.emplace_back(temporary, path);
  return true;
}

bool StagedFiles::Commit(std::string* error) {
  size_t renamed = 0;
  for (; renamed < staged_.size(); ++renamed) {
    const auto& [temporary, path] = staged_[renamed];
    if (rename(temporary.c_str(), path.c_str()) != 0) {
      *error = path + ": cannot be replaced (" + strerror(errno) + ")";
      break;
    }
  }
  staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(renamed));
  return staged_.empty();
}
