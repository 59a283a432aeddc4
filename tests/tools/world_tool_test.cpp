// gorvane-assets world, run as a level maker runs it: the count, the dump, each dropped line with its number,
// the collision check, and the exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <map>
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

// One tag of the plan: its element and its attributes' values.
struct Tag {
  std::string element;
  std::map<std::string, std::string> attributes;
  float Number(const std::string& name) const {
    auto it = attributes.find(name);
    return it == attributes.end() ? NAN : std::strtof(it->second.c_str(), nullptr);
  }
};

// The opening tags of the plan from the first one after marker, in order.
std::vector<Tag> TagsAfter(const std::string& plan, const std::string& marker) {
  std::vector<Tag> tags;
  for (size_t at = plan.find('<', plan.find(marker) + 1); at != std::string::npos; at = plan.find('<', at + 1)) {
    const size_t end = plan.find('>', at);
    if (plan[at + 1] == '/' || end == std::string::npos) continue;
    const std::string text = plan.substr(at + 1, end - at - 1);
    Tag tag;
    tag.element = text.substr(0, text.find(' '));
    for (size_t eq = text.find("=\""); eq != std::string::npos; eq = text.find("=\"", eq + 1)) {
      const size_t name = text.rfind(' ', eq) + 1, close = text.find('"', eq + 2);
      tag.attributes[text.substr(name, eq - name)] = text.substr(eq + 2, close - eq - 2);
    }
    tags.push_back(tag);
  }
  return tags;
}

TEST_F(WorldTool, ThePlanIsDrawnToScaleWithTheStartInItsPlaceAndEachLegendMarkBesideItsWords) {
  // A sloping roof, its top at its second corner, before the floor under it; a triangle the plan cannot place.
  directory_.Write("level.dat", "NUMPOLLIES 3\n2\n0 0 0 0 0\n4 1 0 1 0\n0 0 4 0 1\n0\n0 0 0 0 0\n1 0 0 1 0\n0 0 1 0 1\n"
                                "0\n0 0 nan 0 0\n1 0 0 1 0\n0 0 1 0 1\n");
  ToolRun run = RunTool("world level.dat --collision --svg plan.svg");
  ASSERT_EQ(run.exit_code, 1) << run.err;
  const std::string plan = ReadFileBytes("plan.svg");
  // The walkable rectangle, 36 by 86 units, at 10 pixels a unit; the start 18 units in, 68 down from north.
  const Tag rect = TagsAfter(plan, "<g id=\"collision\"")[0];
  // Lower footprints first: the roof over the floor (wall1's colour after floor1's).
  const std::vector<Tag> surfaces = TagsAfter(plan, "<g id=\"surfaces\"");
  ASSERT_GE(surfaces.size(), 3u);
  EXPECT_NE(surfaces[2].element, "polygon");
  EXPECT_EQ(surfaces[0].attributes.at("fill") + surfaces[1].attributes.at("fill"), "#a39a88#77736c");
  // The roof's corners where they stand: 4 units east of the start for the second, 4 south for the third.
  float roof[6];
  ASSERT_EQ(sscanf(surfaces[1].attributes.at("points").c_str(), "%f,%f %f,%f %f,%f", &roof[0], &roof[1], &roof[2],
                   &roof[3], &roof[4], &roof[5]),
            6);
  EXPECT_EQ(std::vector<float>({roof[2] - roof[0], roof[3] - roof[1], roof[4] - roof[0], roof[5] - roof[1]}),
            std::vector<float>({40, 0, 0, 40}));
  EXPECT_EQ(rect.Number("width"), 360);
  EXPECT_EQ(rect.Number("height"), 860);
  // Inside the picture, 2 units around it and a margin of 24 pixels that every plan shows.
  const Tag svg = TagsAfter(plan, "<?xml")[0];
  EXPECT_EQ(rect.Number("x"), 20 + 24);
  EXPECT_EQ(rect.Number("y"), 20 + 24);
  EXPECT_LE(rect.Number("x") + rect.Number("width") + 20, svg.Number("width"));
  EXPECT_LE(rect.Number("y") + rect.Number("height") + 20, svg.Number("height"));
  const std::vector<Tag> start = TagsAfter(plan, "<g id=\"start\"");
  ASSERT_GE(start.size(), 3u);
  EXPECT_EQ(start[0].element, "circle");
  EXPECT_EQ(start[0].Number("cx"), rect.Number("x") + 180);
  EXPECT_EQ(start[0].Number("cy"), rect.Number("y") + 680);
  // Its arrow points north: a head whose two back corners stand level and either side of its tip.
  ASSERT_EQ(start[2].element, "polygon");
  float head[6];
  ASSERT_EQ(sscanf(start[2].attributes.at("points").c_str(), "%f,%f %f,%f %f,%f", &head[0], &head[1], &head[2],
                   &head[3], &head[4], &head[5]),
            6);
  EXPECT_LT(head[1], head[3]);
  EXPECT_EQ(head[3], head[5]);
  EXPECT_EQ(head[0] - head[2], head[4] - head[0]);
  EXPECT_GT(head[4], head[0]);
  // Its shaft runs from the edge of the start's mark into the head.
  ASSERT_EQ(start[1].element, "line");
  EXPECT_EQ(start[1].Number("y1"), start[0].Number("cy") - start[0].Number("r"));
  EXPECT_GT(start[1].Number("y2"), head[1]);
  EXPECT_LT(start[1].Number("y2"), head[3]);
  // Down the legend, each mark (a swatch or the start's circle) has its words beside it, their baseline 3.5 to 4
  // pixels below its middle, and stands below the one before.
  const std::vector<Tag> legend = TagsAfter(plan, "<g id=\"legend\"");
  float last = -1;
  int marks = 0;
  for (size_t i = 0; i + 1 < legend.size(); ++i) {
    const Tag& mark = legend[i];
    if ((mark.element != "rect" && mark.element != "circle") || legend[i + 1].element != "text") continue;
    const float middle = mark.element == "rect" ? mark.Number("y") + mark.Number("height") / 2 : mark.Number("cy");
    EXPECT_NEAR(legend[i + 1].Number("y") - middle, 3.75, 0.25) << i;
    EXPECT_GT(middle, last) << i;
    last = middle;
    ++marks;
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

// With no walls at all, every stretch of every edge a player can walk up to is bare: the list is the collision's
// own shape, where the player is stopped.
TEST_F(WorldTool, AnEmptyLevelListsEveryEdgeThePlayerCanWalkUpTo) {
  directory_.Write("level.dat", "NUMPOLLIES 0\n");
  ToolRun run = RunTool("world level.dat --collision");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, R"(0 triangles
level.dat: box 1 (x -4..4, z -6..-2): north edge from x=-4 to x=4 has no wall
level.dat: box 1 (x -4..4, z -6..-2): south edge from x=-2 to x=2 has no wall
level.dat: box 1 (x -4..4, z -6..-2): west edge from z=-6 to z=-4 has no wall
level.dat: box 1 (x -4..4, z -6..-2): east edge from z=-6 to z=-4 has no wall
level.dat: box 2 (x 2..6, z -4..4): north edge from x=4 to x=6 has no wall
level.dat: box 2 (x 2..6, z -4..4): south edge from x=4 to x=6 has no wall
level.dat: box 2 (x 2..6, z -4..4): west edge from z=-2 to z=4 has no wall
level.dat: box 2 (x 2..6, z -4..4): east edge from z=-4 to z=4 has no wall
level.dat: box 3 (x -6..-2, z -4..4): north edge from x=-6 to x=-4 has no wall
level.dat: box 3 (x -6..-2, z -4..4): south edge from x=-6 to x=-4 has no wall
level.dat: box 3 (x -6..-2, z -4..4): west edge from z=-4 to z=4 has no wall
level.dat: box 3 (x -6..-2, z -4..4): east edge from z=-2 to z=2 has no wall
level.dat: box 4 (x -4..1, z 2..6): north edge from x=-2 to x=1 has no wall
level.dat: box 4 (x -4..1, z 2..6): south edge from x=-4 to x=1 has no wall
level.dat: box 4 (x -4..1, z 2..6): west edge from z=4 to z=6 has no wall
level.dat: box 4 (x -4..1, z 2..6): east edge from z=2 to z=6 has no wall
level.dat: box 5 (x 2..4, z 2..6): south edge from x=2 to x=4 has no wall
level.dat: box 5 (x 2..4, z 2..6): west edge from z=2 to z=6 has no wall
level.dat: box 5 (x 2..4, z 2..6): east edge from z=4 to z=6 has no wall
level.dat: box 6 (x -20..-17, z 8..12): north edge from x=-18 to x=-17 has no wall
level.dat: box 6 (x -20..-17, z 8..12): south edge from x=-18 to x=-17 has no wall
level.dat: box 6 (x -20..-17, z 8..12): east edge from z=8 to z=12 has no wall
level.dat: box 7 (x -16..-12, z 8..12): north edge from x=-16 to x=-12 has no wall
level.dat: box 7 (x -16..-12, z 8..12): south edge from x=-16 to x=-14 has no wall
level.dat: box 7 (x -16..-12, z 8..12): west edge from z=8 to z=12 has no wall
level.dat: box 7 (x -16..-12, z 8..12): east edge from z=8 to z=10 has no wall
level.dat: box 8 (x -14..-10, z 10..20): north edge from x=-12 to x=-10 has no wall
level.dat: box 8 (x -14..-10, z 10..20): west edge from z=12 to z=18 has no wall
level.dat: box 8 (x -14..-10, z 10..20): east edge from z=10 to z=18 has no wall
level.dat: box 9 (x -4..3, z -70..-58): south edge from x=-4 to x=3 has no wall
level.dat: box 10 (x -6..-2, z -70..-58): south edge from x=-6 to x=-2 has no wall
level.dat: box 10 (x -6..-2, z -70..-58): west edge from z=-68 to z=-58 has no wall
level.dat: box 11 (x 1..5, z -70..-58): south edge from x=1 to x=5 has no wall
level.dat: box 11 (x 1..5, z -70..-58): east edge from z=-68 to z=-58 has no wall
level.dat: rectangle (x -18..18, z -68..18): north edge from x=-18 to x=-6 has no wall
level.dat: rectangle (x -18..18, z -68..18): north edge from x=5 to x=18 has no wall
level.dat: rectangle (x -18..18, z -68..18): south edge from x=-18 to x=-14 has no wall
level.dat: rectangle (x -18..18, z -68..18): south edge from x=-10 to x=18 has no wall
level.dat: rectangle (x -18..18, z -68..18): west edge from z=-68 to z=8 has no wall
level.dat: rectangle (x -18..18, z -68..18): west edge from z=12 to z=18 has no wall
level.dat: rectangle (x -18..18, z -68..18): east edge from z=-68 to z=18 has no wall
collision: 0 walls in open ground, 41 edge stretches with no wall
)");
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
