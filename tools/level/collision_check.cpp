#include "tools/level/collision_check.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace collision {

namespace {

// The part of segment s inside the closed rectangle r, as the interval [*t0, *t1] of s's parameter; false when
// they do not meet.
bool Clip(const Segment& s, const CollisionRect& r, double* t0, double* t1) {
  double lo = 0, hi = 1;
  const double dx = static_cast<double>(s.x1) - s.x0;
  const double dz = static_cast<double>(s.z1) - s.z0;
  // Each bound in turn: p is the direction's component across it, q how far inside the start lies.
  const double p[4] = {-dx, dx, -dz, dz};
  const double q[4] = {static_cast<double>(s.x0) - r.x_min, static_cast<double>(r.x_max) - s.x0,
                       static_cast<double>(s.z0) - r.z_min, static_cast<double>(r.z_max) - s.z0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      lo = std::max(lo, t);
    } else {
      hi = std::min(hi, t);
    }
  }
  if (lo > hi) return false;
  *t0 = lo;
  *t1 = hi;
  return true;
}

CollisionRect Grown(const CollisionRect& r, float by) {
  return {r.x_min - by, r.x_max + by, r.z_min - by, r.z_max + by};
}

float At(float a, float b, double t) { return static_cast<float>(a + (static_cast<double>(b) - a) * t); }

// The stretch of a blocking wall that lies in open ground, from its first to its last point there; false when
// none does.
bool OpenPart(const Segment& wall, Segment* open) {
  struct Interval {
    double t0, t1;
  };
  double t0, t1;
  if (!Clip(wall, Grown(kWalkableRect, -kOpenGroundMargin), &t0, &t1)) return false;
  std::vector<Interval> left = {{t0, t1}};
  for (const CollisionRect& box : kCollisionBoxes) {
    double b0, b1;
    if (!Clip(wall, Grown(box, kOpenGroundMargin), &b0, &b1)) continue;
    std::vector<Interval> kept;
    for (const Interval& part : left) {
      if (b1 <= part.t0 || b0 >= part.t1) {
        kept.push_back(part);
        continue;
      }
      if (part.t0 < b0) kept.push_back({part.t0, b0});
      if (b1 < part.t1) kept.push_back({b1, part.t1});
    }
    left.swap(kept);
  }
  // A wall that only touches open ground at a point, or along a sliver of rounding, does not stand in it.
  const double length = std::hypot(static_cast<double>(wall.x1) - wall.x0, static_cast<double>(wall.z1) - wall.z0);
  std::erase_if(left, [&](const Interval& part) { return (part.t1 - part.t0) * length < 1e-3; });
  if (left.empty()) return false;
  const double first = left.front().t0;
  const double last = left.back().t1;
  *open = {At(wall.x0, wall.x1, first), At(wall.z0, wall.z1, first), At(wall.x0, wall.x1, last),
           At(wall.z0, wall.z1, last)};
  return true;
}

// The whole of one side of a box (or of the rectangle, box 0).
Segment FullEdge(int box, Side side) {
  const CollisionRect& r = RectOf(box);
  switch (side) {
    case Side::kNorth: return {r.x_min, r.z_min, r.x_max, r.z_min};
    case Side::kSouth: return {r.x_min, r.z_max, r.x_max, r.z_max};
    case Side::kWest: return {r.x_min, r.z_min, r.x_min, r.z_max};
    case Side::kEast: break;
  }
  return {r.x_max, r.z_min, r.x_max, r.z_max};
}

// Walks one edge and adds each stretch the player can walk up to with no wall near it.
void CheckEdge(int box, Side side, const std::vector<Segment>& walls, Report* report) {
  const Segment edge = FullEdge(box, side);
  float out_x = 0, out_z = 0;
  switch (side) {
    case Side::kNorth: out_z = -1; break;
    case Side::kSouth: out_z = 1; break;
    case Side::kWest: out_x = -1; break;
    case Side::kEast: out_x = 1; break;
  }
  // The rectangle holds the player in: its edges are walked up to from inside.
  if (box == 0) {
    out_x = -out_x;
    out_z = -out_z;
  }
  // Far enough off the edge to fall on one side of it, near enough to miss nothing narrower than a step.
  constexpr float kProbe = 0.05f;
  const bool along_x = side == Side::kNorth || side == Side::kSouth;
  const float start = along_x ? edge.x0 : edge.z0;
  const float end = along_x ? edge.x1 : edge.z1;
  const float length = end - start;
  // The edge is cut into pieces of at most kEdgeStep, each judged at its middle, so that no sample falls on a
  // corner that two boxes share.
  const int pieces = std::max(1, static_cast<int>(std::ceil(length / kEdgeStep - 1e-3f)));
  bool in_stretch = false;
  BareEdge stretch = {box, side, 0, 0};
  for (int k = 0; k < pieces; ++k) {
    const double middle = (k + 0.5) / pieces;
    const float x = At(edge.x0, edge.x1, middle);
    const float z = At(edge.z0, edge.z1, middle);
    bool bare = false;
    if (Walkable(x + out_x * kProbe, z + out_z * kProbe)) {
      const CollisionRect reach = {x - kWallReach, x + kWallReach, z - kWallReach, z + kWallReach};
      bare = std::none_of(walls.begin(), walls.end(), [&](const Segment& wall) {
        double t0, t1;
        return Clip(wall, reach, &t0, &t1);
      });
    }
    if (bare && !in_stretch) stretch.from = At(start, end, static_cast<double>(k) / pieces);
    if (bare) stretch.to = At(start, end, static_cast<double>(k + 1) / pieces);
    if (in_stretch && !bare) report->edges.push_back(stretch);
    in_stretch = bare;
  }
  if (in_stretch) report->edges.push_back(stretch);
}

}  // namespace

bool IsUpright(const WorldTriangle& t) {
  const WorldVertex* v = t.vertices;
  const double area = std::fabs((static_cast<double>(v[1].x) - v[0].x) * (static_cast<double>(v[2].z) - v[0].z) -
                                (static_cast<double>(v[2].x) - v[0].x) * (static_cast<double>(v[1].z) - v[0].z)) /
                      2;
  // A footprint whose area is not a number (a corner at infinity) is no wall either.
  return area < kUprightArea;
}

Segment FootprintOf(const WorldTriangle& t) {
  const WorldVertex* v = t.vertices;
  int a = 0, b = 1;
  double longest = -1;
  for (int i = 0; i < 3; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      double d = std::hypot(static_cast<double>(v[i].x) - v[j].x, static_cast<double>(v[i].z) - v[j].z);
      if (d > longest) {
        longest = d;
        a = i;
        b = j;
      }
    }
  }
  return {v[a].x, v[a].z, v[b].x, v[b].z};
}

bool Blocks(const WorldTriangle& t) {
  for (const WorldVertex& v : t.vertices) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
  }
  const float low = std::min({t.vertices[0].y, t.vertices[1].y, t.vertices[2].y});
  const float high = std::max({t.vertices[0].y, t.vertices[1].y, t.vertices[2].y});
  return IsUpright(t) && low < kBlockingHigh && high > kBlockingLow;
}

bool Walkable(float x, float z) {
  const CollisionRect& r = kWalkableRect;
  if (!(x >= r.x_min && x <= r.x_max && z >= r.z_min && z <= r.z_max)) return false;
  return std::none_of(std::begin(kCollisionBoxes), std::end(kCollisionBoxes), [&](const CollisionRect& box) {
    return x > box.x_min && x < box.x_max && z > box.z_min && z < box.z_max;
  });
}

Report CheckLevel(const World& world) {
  Report report;
  std::vector<Segment> walls;
  for (int32_t i = 0; world.triangles != nullptr && i < world.triangle_count; ++i) {
    const WorldTriangle& t = world.triangles[i];
    if (!Blocks(t)) continue;
    const Segment wall = FootprintOf(t);
    walls.push_back(wall);
    Segment open;
    if (OpenPart(wall, &open)) report.walls.push_back({i, wall, open});
  }
  for (int box = 1; box <= static_cast<int>(std::size(kCollisionBoxes)); ++box) {
    for (Side side : {Side::kNorth, Side::kSouth, Side::kWest, Side::kEast}) CheckEdge(box, side, walls, &report);
  }
  for (Side side : {Side::kNorth, Side::kSouth, Side::kWest, Side::kEast}) CheckEdge(0, side, walls, &report);
  return report;
}

const CollisionRect& RectOf(int box) { return box == 0 ? kWalkableRect : kCollisionBoxes[box - 1]; }

Segment EdgeSegment(const BareEdge& edge) {
  const Segment whole = FullEdge(edge.box, edge.side);
  if (edge.side == Side::kNorth || edge.side == Side::kSouth) return {edge.from, whole.z0, edge.to, whole.z1};
  return {whole.x0, edge.from, whole.x1, edge.to};
}

const char* SideName(Side side) {
  switch (side) {
    case Side::kNorth: return "north";
    case Side::kSouth: return "south";
    case Side::kWest: return "west";
    case Side::kEast: break;
  }
  return "east";
}

}  // namespace collision
