#include "tests/support/tool_run.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

ToolRun RunTool(const std::string& arguments) {
  const std::string command = std::string("'") + getenv("GORVANE_ASSETS") + "' " + arguments + " >out.txt 2>err.txt";
  int status = system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes("out.txt"), ReadFileBytes("err.txt")};
}

void ToolTest::SetUp() {
  if (!getenv("GORVANE_ASSETS")) GTEST_SKIP() << "GORVANE_ASSETS names no tool (run through ctest)";
}
