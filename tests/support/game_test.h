// Fixtures for tests that run the game on the scripted backend.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/scripted/scripted.h"

// Puts the game and the backend back to their start: deletes the model, resets every global and the backend.
void ResetGame();

// Each test starts from a fresh game and a fresh backend.
class GameTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGame(); }
  void TearDown() override { ResetGame(); }
};

// The backend's recorded calls that begin with prefix, in order.
std::vector<std::string> CallsStartingWith(const std::string& prefix);

// A temporary directory that becomes the working directory for the object's life, and is removed after.
class ScopedWorkingDirectory {
 public:
  ScopedWorkingDirectory();
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;
  const std::string& path() const { return path_; }
  // Writes a file in the directory.
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string previous_;
  std::string path_;
};
