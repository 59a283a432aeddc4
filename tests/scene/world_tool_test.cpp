// gorvane-assets world, run as a level maker runs it: the count, the dump, each dropped line with its number,
// and the exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/tool_run.h"

namespace {

using WorldTool = ToolTest;

TEST_F(WorldTool, AWholeFilePrintsItsCountAndDumpsEveryTriangle) {
  directory_.Write("level.dat", "NUMPOLLIES 2\n0x0A\n1 2 3 0.5 1e1\n0.1 0 0 0 0\n0 0 0 0 0\n3\n-1 -2 -3 -4 -5\n"
                                "6 7 8 9 10\n11 12 13 14 15\n");
  ToolRun run = RunTool("world level.dat --dump");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "2 triangles\n"
            "10 1 2 3 0.5 10 0.100000001 0 0 0 0 0 0 0 0 0\n"
            "3 -1 -2 -3 -4 -5 6 7 8 9 10 11 12 13 14 15\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(WorldTool, DroppedAndUnreadLinesAreNamedAndExit1) {
  directory_.Write("level.dat", "NUMPOLLIES 3\n17\n1 2 3 4 5\n1 2 3 4 5\n1 2 3 4 5\n// next\n1\n1 2 3 4 5\n"
                                "1 2 3 4\n");
  ToolRun run = RunTool("world level.dat");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "0 triangles\n");
  EXPECT_NE(run.err.find("level.dat:2: texture slot 17"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("level.dat:9: corner 2"), std::string::npos) << run.err;
}

TEST_F(WorldTool, UsageErrorsExit2AndAMissingFileExits1) {
  EXPECT_EQ(RunTool("world").exit_code, 2);
  EXPECT_EQ(RunTool("world a.dat b.dat").exit_code, 2);
  EXPECT_EQ(RunTool("world a.dat --svg").exit_code, 2);
  EXPECT_EQ(RunTool("world a.dat --frobnicate").exit_code, 2);
  ToolRun missing = RunTool("world nowhere.dat");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("nowhere.dat"), std::string::npos);
}

TEST_F(WorldTool, TheSvgPlanIsWritten) {
  directory_.Write("level.dat", "NUMPOLLIES 1\n0\n0 0 0 0 0\n1 0 0 1 0\n0 0 1 0 1\n");
  ToolRun run = RunTool("world level.dat --svg plan.svg");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(ReadText("plan.svg").find("<svg"), std::string::npos);
}

}  // namespace
