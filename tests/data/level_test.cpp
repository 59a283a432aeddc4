// The shipped level against the player's fixed collision. Run in data/, the shipped data directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/movement.h"
#include "scene/world.h"
#include "scene/world_reader.h"
#include "tests/support/files.h"
#include "tests/support/game_test.h"
#include "tools/level/collision_check.h"

namespace {

using collision::Blocks;
using collision::IsUpright;
using collision::Walkable;

bool Contains(const CollisionRect& r, float x, float z) {
  return x >= r.x_min && x <= r.x_max && z >= r.z_min && z <= r.z_max;
}
bool ContainsStrictly(const CollisionRect& r, float x, float z) {
  return x > r.x_min && x < r.x_max && z > r.z_min && z < r.z_max;
}

bool IsFloor(const WorldTriangle& t) {
  for (const WorldVertex& v : t.vertices) {
    if (std::fabs(v.y) > 0.02f) return false;
  }
  return !IsUpright(t);
}

// Points along an upright triangle's footprint (its corners and the points between them).
std::vector<std::pair<float, float>> FootprintPoints(const WorldTriangle& t) {
  std::vector<std::pair<float, float>> points;
  for (int i = 0; i < 3; ++i) {
    const WorldVertex& a = t.vertices[i];
    const WorldVertex& b = t.vertices[(i + 1) % 3];
    for (int k = 0; k <= 20; ++k) {
      float f = k / 20.0f;
      points.emplace_back(a.x + (b.x - a.x) * f, a.z + (b.z - a.z) * f);
    }
  }
  return points;
}

bool InsideTriangleFootprint(const WorldTriangle& t, float x, float z) {
  auto side = [&](const WorldVertex& a, const WorldVertex& b) {
    return (double(b.x) - a.x) * (double(z) - a.z) - (double(b.z) - a.z) * (double(x) - a.x);
  };
  double d0 = side(t.vertices[0], t.vertices[1]);
  double d1 = side(t.vertices[1], t.vertices[2]);
  double d2 = side(t.vertices[2], t.vertices[0]);
  bool negative = d0 < -1e-9 || d1 < -1e-9 || d2 < -1e-9;
  bool positive = d0 > 1e-9 || d1 > 1e-9 || d2 > 1e-9;
  return !(negative && positive);
}

class ShippedLevel : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    std::string text = ReadFileBytes("world.dat");
    ASSERT_FALSE(text.empty()) << "world.dat is missing from the data directory";
    loaded_ = ParseWorld(text.data(), text.size(), &world_, &issues_);
    int count = 0;
    ASSERT_EQ(1, sscanf(text.c_str() + text.find("NUMPOLLIES"), "NUMPOLLIES %d", &count));
    announced_ = count;
  }
  void TearDown() override {
    ReleaseWorld(&world_);
    GameTest::TearDown();
  }
  std::span<const WorldTriangle> Triangles() const {
    if (world_.triangles == nullptr || world_.triangle_count <= 0) return {};
    return {world_.triangles, size_t(world_.triangle_count)};
  }

  World world_ = {};
  std::vector<WorldIssue> issues_;
  bool loaded_ = false;
  int announced_ = 0;
};

TEST_F(ShippedLevel, LoadsWholeWithTheGameLoader) {
  for (const WorldIssue& issue : issues_) ADD_FAILURE() << "line " << issue.line << ": " << issue.reason;
  EXPECT_TRUE(loaded_);
  EXPECT_EQ(announced_, world_.triangle_count);
  EXPECT_GT(world_.triangle_count, 500);

  // The game's own entry point reads the same triangles from the working directory.
  LoadWorld();
  ASSERT_EQ(world_.triangle_count, g_game.world.triangle_count);
  for (int i = 0; i < world_.triangle_count; ++i) {
    EXPECT_EQ(world_.triangles[i].texture_slot, g_game.world.triangles[i].texture_slot) << "triangle " << i;
  }
}

TEST_F(ShippedLevel, UsesEveryWorldSurfaceSlotAndNoOther) {
  std::set<int> used;
  for (const WorldTriangle& t : Triangles()) {
    ASSERT_GE(t.texture_slot, 0);
    ASSERT_LT(t.texture_slot, 16);
    used.insert(t.texture_slot);
  }
  // floor1, door1, wall1, crate, sand, tree, green, red, brick1, waterfall, door2, waterfall2.
  for (int slot : {0, 1, 2, 3, 4, 5, 6, 8, 10, 11, 12, 15}) EXPECT_TRUE(used.count(slot)) << "slot " << slot;
  // The status bar's and the title screen's pictures are not world surfaces.
  EXPECT_FALSE(used.count(9));
  EXPECT_FALSE(used.count(14));
}

TEST_F(ShippedLevel, EveryCollisionBoxHoldsSolidGeometry) {
  for (int rule = 1; rule <= 11; ++rule) {
    const CollisionRect& box = kCollisionBoxes[rule - 1];
    bool held = false;
    for (const WorldTriangle& t : Triangles()) {
      if (!IsUpright(t)) continue;
      for (auto [x, z] : FootprintPoints(t)) {
        if (ContainsStrictly(box, x, z) && Contains(kWalkableRect, x, z)) held = true;
      }
    }
    EXPECT_TRUE(held) << "box of rule " << rule << " stands on empty ground";
  }
}

// The asset tool's collision check: what gorvane-assets world --collision reports.
TEST_F(ShippedLevel, NoUprightSurfaceStandsInOpenGround) {
  for (const collision::WallInOpenGround& found : collision::CheckLevel(world_).walls) {
    ADD_FAILURE() << "triangle " << found.triangle << " stands in open ground at x " << found.open.x0 << ", z "
                  << found.open.z0;
  }
}

TEST_F(ShippedLevel, EveryEdgeThePlayerWalksUpToHasAWall) {
  for (const collision::BareEdge& edge : collision::CheckLevel(world_).edges) {
    ADD_FAILURE() << "box " << edge.box << ", " << collision::SideName(edge.side) << " edge from " << edge.from
                  << " to " << edge.to;
  }
}

TEST_F(ShippedLevel, UprightSurfacesKeepOutOfTheWalkableArea) {
  // Stricter than the rule above: the shipped level keeps every wall inside its box or beyond the rectangle.
  int index = 0;
  for (const WorldTriangle& t : Triangles()) {
    if (Blocks(t)) {
      for (auto [x, z] : FootprintPoints(t)) {
        EXPECT_FALSE(Walkable(x, z) && ContainsStrictly(kWalkableRect, x, z))
            << "triangle " << index << " at x " << x << ", z " << z;
      }
    }
    ++index;
  }
}

TEST_F(ShippedLevel, FloorCoversTheWalkableRectangle) {
  std::vector<WorldTriangle> floor;
  for (const WorldTriangle& t : Triangles()) {
    if (IsFloor(t)) floor.push_back(t);
  }
  ASSERT_FALSE(floor.empty());
  int holes = 0;
  // Half a unit beyond the rectangle too: the player may be drawn one step past it.
  for (float z = kWalkableRect.z_min - 0.5f; z <= kWalkableRect.z_max + 0.5f; z += 0.5f) {
    for (float x = kWalkableRect.x_min - 0.5f; x <= kWalkableRect.x_max + 0.5f; x += 0.5f) {
      bool covered = false;
      for (const WorldTriangle& t : floor) {
        if (InsideTriangleFootprint(t, x + 0.01f, z + 0.01f)) {
          covered = true;
          break;
        }
      }
      if (!covered && ++holes <= 10) ADD_FAILURE() << "no floor at x " << x << ", z " << z;
    }
  }
  EXPECT_EQ(0, holes);
}

TEST_F(ShippedLevel, StartsInsideTheHutWithTheDoorwayOpen) {
  // The start point is open ground enclosed by the hut's boxes; the doorway strip leads out south.
  EXPECT_TRUE(Walkable(0, 0));
  EXPECT_TRUE(Walkable(1.5f, 4));
  for (const WorldTriangle& t : Triangles()) {
    if (!Blocks(t)) continue;
    for (auto [x, z] : FootprintPoints(t)) {
      EXPECT_FALSE(x > 1.0f && x < 2.0f && z > 1.5f && z < 6.5f) << "something blocks the doorway at " << x
                                                                  << ", " << z;
      EXPECT_FALSE(x > -17.0f && x < -16.0f && z > 7.5f && z < 12.5f) << "something blocks the gateway";
    }
  }
}

}  // namespace
