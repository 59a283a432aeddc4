// The collision check's rules, walked through their values: what is upright, what blocks the eye, where the
// player may stand. The level tests and the world command judge whole levels by them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/level/collision_check.h"

namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A triangle standing on the line z = 0 from x 0 to 1, from height low to high, whose third corner leans `lean`
// units north: its footprint has lean / 2 square units.
WorldTriangle Leaning(float low, float high, float lean) {
  return {2, {{0, low, 0, 0, 0}, {1, low, 0, 1, 0}, {0, high, -lean, 0, 1}}};
}

TEST(CollisionRules, AnUprightSurfaceBlocksOnlyWhereItReachesIntoTheEyesBand) {
  const struct {
    WorldTriangle triangle;
    bool upright, blocks;
  } cases[] = {
      {Leaning(0, 1, 0), true, true},
      {Leaning(0, 1, 0.00018f), true, true},    // 0.00009 square units
      {Leaning(0, 1, 0.00022f), false, false},  // 0.00011: a floor, however steep
      {Leaning(0, 1, 2), false, false},
      {Leaning(0, 0.1f, 0), true, false},  // a kerb up to the band's foot
      {Leaning(0, 0.11f, 0), true, true},
      {Leaning(0.4f, 1, 0), true, false},  // a lintel from the band's top
      {Leaning(0.39f, 1, 0), true, true},
  };
  for (const auto& c : cases) {
    const WorldVertex* v = c.triangle.vertices;
    SCOPED_TRACE(testing::Message() << "heights " << v[0].y << " to " << v[2].y << ", lean " << -v[2].z);
    EXPECT_EQ(collision::IsUpright(c.triangle), c.upright);
    EXPECT_EQ(collision::Blocks(c.triangle), c.blocks);
  }
  // A corner that is not a finite number, in any coordinate, makes no wall.
  for (int axis = 0; axis < 3; ++axis) {
    for (float odd : {kNan, kInf, -kInf}) {
      WorldTriangle t = Leaning(0, 1, 0);
      float* corner[3] = {&t.vertices[1].x, &t.vertices[1].y, &t.vertices[1].z};
      *corner[axis] = odd;
      EXPECT_FALSE(collision::Blocks(t)) << "axis " << axis << ", " << odd;
    }
  }
}

TEST(CollisionRules, ThePlayerStandsInsideTheRectangleOrOnItsEdgeButNeverStrictlyInsideABox) {
  const struct {
    float x, z;
    bool walkable;
  } cases[] = {
      {0, 0, true},       {18, 0, true},     {18.01f, 0, false}, {-18, 18, true},  {-18.01f, 0, false},
      {10, -68, true},    {10, -68.01f, false}, {0, 18.01f, false}, {0, -4, false},  {-4, -6, true},
      {3.99f, -2.01f, false}, {1.5f, 4, true},  {1, 4, true},       {0.99f, 4, false}, {-17, 10, true},
      // On each edge of box 1 alone.
      {-4, -5, true},     {4, -5, true},     {0, -6, true},      {0, -2, true},
  };
  for (const auto& c : cases) EXPECT_EQ(collision::Walkable(c.x, c.z), c.walkable) << c.x << ", " << c.z;
}

}  // namespace
