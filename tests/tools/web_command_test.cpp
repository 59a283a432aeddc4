// gorvane-assets web, where the level or the page will not do: a level the game would stop at is not published
// (each faulty bitmap named, nothing written), files the game plays without are named and left out, and the
// page's program files must be found. The published level in a browser: tests/web/test_web_blender_level.py.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/game_test.h"
#include "tests/support/tool_run.h"

namespace {

using WebCommand = ToolTest;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(WebCommand, PublishesOnlyALevelTheGameStartsAndSaysWhatIsLeftOut) {
  for (const char* arguments : {"", ".", ". --out", ". --out ''", ". --out site --page", ". --site site",
                                "--out site", ". --out site --page page --fast 1", "-d --out site --page page"}) {
    EXPECT_EQ(RunTool(std::string("web ") + arguments).exit_code, 2) << arguments;
  }
  std::filesystem::create_directory("page");
  for (const char* name : {"page/index.html", "page/gorvane.js", "page/gorvane.wasm"}) directory_.Write(name, name);
  WriteSceneBitmaps();
  ASSERT_EQ(remove("waterfall2.bmp"), 0);
  directory_.Write("wall1.bmp", "BM not a bitmap");

  ToolRun run = RunTool("web . --out site --page page");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(Has(run.err, "./wall1.bmp: ") && Has(run.err, "./waterfall2.bmp: missing")) << run.err;
  EXPECT_FALSE(std::filesystem::exists("site"));

  WriteSceneBitmaps();
  run = RunTool("web . --out site --page elsewhere");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "gorvane-assets: no page's program files (index.html, gorvane.js, gorvane.wasm) in elsewhere\n");
  run = RunTool("web . --out site --page page");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(ReadFileBytes("site/gorvane.wasm"), "page/gorvane.wasm");
  EXPECT_EQ(ReadFileBytes("site/wall1.bmp"), ReadFileBytes("wall1.bmp"));
  EXPECT_TRUE(Has(run.err, "no world.dat") && Has(run.err, "no track2.wav")) << run.err;
  EXPECT_FALSE(std::filesystem::exists("site/world.dat"));
  // A data file that cannot be written into the site ends it with 1, naming the file.
  std::filesystem::create_directories("blocked/wall1.bmp");
  run = RunTool("web . --out blocked --page page");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(Has(run.err, "blocked: cannot write wall1.bmp")) << run.err;
}

}  // namespace
