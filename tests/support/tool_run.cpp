#include "tests/support/tool_run.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

std::string ReadText(const std::string& path) {
  std::string text;
  if (FILE* file = fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    fclose(file);
  }
  return text;
}

ToolRun RunTool(const std::string& arguments) {
  const std::string command = std::string("'") + getenv("GORVANE_ASSETS") + "' " + arguments + " >out.txt 2>err.txt";
  int status = system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText("out.txt"), ReadText("err.txt")};
}

void ToolTest::SetUp() {
  if (!getenv("GORVANE_ASSETS")) GTEST_SKIP() << "GORVANE_ASSETS names no tool (run through ctest)";
}
