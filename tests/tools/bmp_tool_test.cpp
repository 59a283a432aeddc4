// gorvane-assets bmp, run as a level maker runs it: the size line, the PPM picture, the game's message on a
// bad file, the exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/image/bmp_files.h"
#include "tests/support/tool_run.h"

namespace {

using namespace bmp_test;

using BmpTool = ToolTest;

TEST_F(BmpTool, AGoodFilePrintsItsSizeAndWritesThePictureTopRowFirst) {
  // Bottom row blue, green; top row red, white.
  directory_.Write("two.bmp", WithFileHeader(InfoHeader(2, 2, 24), Bytes().Bgr(0x0000FF).Bgr(0x00FF00).U16(0)
                                                                        .Bgr(0xFF0000).Bgr(0xFFFFFF).U16(0).str()));
  ToolRun run = RunTool("bmp two.bmp --ppm two.ppm");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "{\"width\": 2, \"height\": 2}\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFileBytes("two.ppm"), std::string("P6\n2 2\n255\n\xFF\0\0\xFF\xFF\xFF\0\0\xFF\0\xFF\0", 23));
  run = RunTool("bmp two.bmp");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "{\"width\": 2, \"height\": 2}\n");
  // A picture it cannot write is a failure.
  run = RunTool("bmp two.bmp --ppm nowhere/two.ppm");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "gorvane-assets: nowhere/two.ppm: cannot write the file\n");
}

TEST_F(BmpTool, ABadFileShowsTheGamesMessageAndExits1) {
  directory_.Write("v5.bmp", WithFileHeader(Bytes().U32(124).str() + std::string(120, '\0'), std::string(4, '\0')));
  directory_.Write("empty.bmp", "");
  ToolRun run = RunTool("bmp v5.bmp --ppm v5.ppm");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Unknown DIB file format.\n");
  EXPECT_EQ(ReadFileBytes("v5.ppm"), "");
  run = RunTool("bmp empty.bmp");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "Failed to open DIB file empty.bmp.\n");
  run = RunTool("bmp missing.bmp");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "gorvane-assets: missing.bmp: cannot open the file\n");
}

TEST_F(BmpTool, UsageErrorsExit2ButVersionIsNoError) {
  const ToolRun version = RunTool("--version");
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("gorvane-assets ", 0), 0u) << version.out;
  EXPECT_EQ(RunTool("bmp").exit_code, 2);
  EXPECT_EQ(RunTool("bmp a.bmp b.bmp").exit_code, 2);
  EXPECT_EQ(RunTool("bmp a.bmp --ppm").exit_code, 2);
  EXPECT_EQ(RunTool("bmp --ppm out.ppm").exit_code, 2);
}

}  // namespace
