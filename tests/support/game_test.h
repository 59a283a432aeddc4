// Fixtures for tests that run the game on the scripted backend.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/scripted/scripted.h"
#include "tests/support/bmp_writer.h"

// Puts the game and the backend back to their start: deletes the model, resets every global and the backend.
void ResetGame();

// Each test starts from a fresh game and a fresh backend.
class GameTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGame(); }
  void TearDown() override { ResetGame(); }
};

// The sixteen scene bitmaps, each 4x4 of one colour, written into the working directory.
void WriteSceneBitmaps();

// Tests of the game shell run in a directory of their own holding small scene bitmaps, so they do not depend on
// the shipped pictures.
class ShellTest : public GameTest {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::unique_ptr<class ScopedWorkingDirectory> directory_;
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
