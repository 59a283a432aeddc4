// Running the asset tool as a level maker runs it, from the test's own working directory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/files.h"
#include "tests/support/game_test.h"

struct ToolRun {
  int exit_code;
  std::string out;
  std::string err;
};

// Runs gorvane-assets with the arguments as given (already quoted for the shell) and collects its output.
ToolRun RunTool(const std::string& arguments);

// Each test runs in a fresh temporary directory; it is skipped when ctest has not named the tool.
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override;
  ScopedWorkingDirectory directory_;
};
