// gorvane-assets ms3d, run as a modeller runs it: the summary line, the reason on failure, the exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/model/ms3d_writer.h"
#include "tests/support/tool_run.h"

namespace {

using Ms3dTool = ToolTest;

TEST_F(Ms3dTool, AGoodFilePrintsItsSummary) {
  Ms3dFileRecord layout = SmallMs3dModel();
  layout.version = 3;
  directory_.Write("small.ms3d", WriteMs3d(layout));
  ToolRun run = RunTool("ms3d small.ms3d");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "{\"version\": 3, \"vertices\": 4, \"triangles\": 2, \"meshes\": 2, \"materials\": 1}\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(Ms3dTool, ABadFileSaysWhyAndExits1) {
  std::string bytes = WriteMs3d(SmallMs3dModel());
  directory_.Write("short.ms3d", bytes.substr(0, bytes.size() - 1));
  ToolRun run = RunTool("ms3d short.ms3d");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "gorvane-assets: short.ms3d: the file ends inside the materials section (1 materials declared, "
                     "360 bytes left, 361 needed)\n");
  run = RunTool("ms3d missing.ms3d");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "gorvane-assets: missing.ms3d: cannot open the file\n");
}

TEST_F(Ms3dTool, UsageErrorsExit2) {
  EXPECT_EQ(RunTool("ms3d").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d a.ms3d b.ms3d").exit_code, 2);
  EXPECT_EQ(RunTool("ms3d --json").exit_code, 2);
}

}  // namespace
