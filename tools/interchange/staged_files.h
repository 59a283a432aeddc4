// Files replaced together, each only by a whole one: every file is written into a temporary beside its place
// first, and only when all of them are written are they renamed into place, in the order they were staged.
#pragma once

#include <string>
#include <utility>
#include <vector>

class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  // Removes the temporaries of files not renamed into place.
  ~StagedFiles();

  // Writes bytes into a new file beside path. False, with the reason in *error and nothing left behind, when it
  // cannot.
  bool Stage(const std::string& path, const std::string& bytes, std::string* error);
  // Renames every staged file over its place, in order. False, with the reason in *error, at the first that
  // cannot be: the ones before it are in place, it and the ones after are left as they were.
  bool Commit(std::string* error);

 private:
  // Each file's temporary and its place.
  std::vector<std::pair<std::string, std::string>> staged_;
};
