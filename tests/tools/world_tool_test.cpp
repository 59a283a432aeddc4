// gorvane-assets world, run as a level maker runs it: the count, the dump, each dropped line with its number,
// the collision check, and the exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

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
  EXPECT_EQ(RunTool("world --collision").exit_code, 2);
  EXPECT_EQ(RunTool("world a.dat --collision --svg").exit_code, 2);
  ToolRun missing = RunTool("world nowhere.dat");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("nowhere.dat"), std::string::npos);
}

// The numbers of the first element of the plan that the pattern finds, as floats.
std::vector<float> Numbers(const std::string& plan, const std::string& pattern) {
  std::smatch found;
  std::vector<float> numbers;
  if (std::regex_search(plan, found, std::regex(pattern))) {
    for (size_t i = 1; i < found.size(); ++i) numbers.push_back(std::stof(found[i]));
  }
  return numbers;
}

TEST_F(WorldTool, ThePlanIsDrawnToScaleWithTheStartInItsPlaceAndEachLegendMarkBesideItsWords) {
  directory_.Write("level.dat", "NUMPOLLIES 1\n0\n0 0 0 0 0\n1 0 0 1 0\n0 0 1 0 1\n");
  ToolRun run = RunTool("world level.dat --collision --svg plan.svg");
  ASSERT_EQ(run.exit_code, 1) << run.err;
  const std::string plan = ReadFileBytes("plan.svg");
  // The walkable rectangle, 36 by 86 units, at 10 pixels a unit; the start 18 units in, 68 down from north.
  const std::string number = "([-0-9.]+)";
  const std::vector<float> rect = Numbers(plan, "<g id=\"collision\"[^>]*>\\s*<rect x=\"" + number + "\" y=\"" +
                                                    number + "\" width=\"" + number + "\" height=\"" + number + "\"");
  ASSERT_EQ(rect.size(), 4u) << plan;
  EXPECT_EQ(rect[2], 360);
  EXPECT_EQ(rect[3], 860);
  EXPECT_EQ(Numbers(plan, "<g id=\"start\">\\s*<circle cx=\"" + number + "\" cy=\"" + number + "\""),
            (std::vector<float>{rect[0] + 180, rect[1] + 680}));
  // Down the legend, each mark (a swatch or the start's circle) has its words beside it, 4 pixels below its
  // middle, and stands below the one before.
  const std::string legend = plan.substr(plan.find("<g id=\"legend\">"));
  const std::regex entry("<(rect|circle) [^>]*(?:y|cy)=\"" + number + "\"(?: width=\"14\" height=\"" + number +
                         "\")?[^>]*/>\\s*<text x=\"[-0-9.]+\" y=\"" + number + "\"");
  float last = -1;
  int marks = 0;
  for (std::sregex_iterator it(legend.begin(), legend.end(), entry), end; it != end; ++it, ++marks) {
    const std::smatch& m = *it;
    const float middle = std::stof(m[2]) + (m[1] == "rect" ? std::stof(m[3]) / 2 : 0);
    EXPECT_NEAR(std::stof(m[4]) - middle, 4, 0.5) << m.str();
    EXPECT_GT(middle, last) << m.str();
    last = middle;
  }
  EXPECT_EQ(marks, 16 + 5) << "the sixteen slots, the box, the rectangle, the start and the two findings";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST_F(WorldTool, TheShippedLevelMatchesItsCollision) {
  ToolRun run = RunTool("world '" + SourceDir() + "/data/world.dat' --collision");
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "1784 triangles\ncollision: 0 walls in open ground, 0 edge stretches with no wall\n");
}

TEST_F(WorldTool, WallsInOpenGroundAreNamedByTheirFileLines) {
  directory_.Write("level.dat",
                   "/ line 1\nNUMPOLLIES 6\n\n"
                   // Line 4: half a unit inside box 2's east edge.
                   "2\n5.5 0 -3 0 0\n5.5 0 3 1 0\n5.5 1.2 3 1 1\n"
                   // Line 8: from inside box 5 out into the open south-east of the hut.
                   "2\n3 0 5 0 0\n7 0 5 1 0\n7 1.2 5 1 1\n"
                   // Line 13: a lintel over the eye and a kerb under it, in the open.
                   "/ line 12\n2\n-1 0.5 9 0 0\n3 0.5 9 1 0\n3 1 9 1 1\n"
                   "2\n-1 0 10 0 0\n3 0 10 1 0\n3 0.05 10 1 1\n"
                   // Line 21: nearer to box 4's south edge than the near plane.
                   "2\n-3 0 6.05 0 0\n0 0 6.05 1 0\n0 1.2 6.05 1 1\n"
                   // Line 26: wholly in the open, corners in another order.
                   "\n2\n8 1.2 12 0 0\n5 0 12 1 0\n8 0 12 1 1\n");
  ToolRun run = RunTool("world level.dat --collision --svg plan.svg");
  EXPECT_EQ(run.exit_code, 1) << run.err;
  EXPECT_EQ(run.out.find("level.dat:8: wall from (3, 5) to (7, 5) stands in open ground from (4.1, 5) to (7, 5)\n"),
            run.out.find('\n') + 1)
      << run.out;
  EXPECT_NE(run.out.find("\nlevel.dat:26: wall from (8, 12) to (5, 12) stands in open ground from (8, 12) to "
                         "(5, 12)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\ncollision: 2 walls in open ground, "), std::string::npos) << run.out;
  // The plan marks what the report lists, once each.
  const std::string plan = ReadFileBytes("plan.svg");
  EXPECT_EQ(Count(plan, "class=\"open-ground\""), 2u);
  EXPECT_EQ(Count(plan, "class=\"bare-edge\""), Count(run.out, " has no wall\n"));
}

TEST_F(WorldTool, AnEdgeWithNoWallNearItIsReportedStretchByStretch) {
  // Half a unit inside box 1's north edge, from its west end to x 0: the wall's reach covers the edge to x 2.
  directory_.Write("level.dat", "NUMPOLLIES 1\n2\n-4 0 -5.5 0 0\n0 0 -5.5 1 0\n0 1.2 -5.5 1 1\n");
  ToolRun run = RunTool("world level.dat --collision");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("\nlevel.dat: box 1 (x -4..4, z -6..-2): north edge from x=2 to x=4 has no wall\n"),
            std::string::npos)
      << run.out;
  // A wall-less box, and the rectangle's edge broken where the boxes stand across it.
  EXPECT_NE(run.out.find("\nlevel.dat: box 7 (x -16..-12, z 8..12): north edge from x=-16 to x=-12 has no wall\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("\nlevel.dat: rectangle (x -18..18, z -68..18): west edge from z=12 to z=18 has no wall\n"),
            std::string::npos);
  // Without --collision the same level loads whole and exits 0.
  EXPECT_EQ(RunTool("world level.dat").exit_code, 0);
}

}  // namespace
