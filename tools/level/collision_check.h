// A level against the player's fixed collision: the walls a player would walk through, and the stretches of box
// and rectangle edges where the player is stopped with no wall in front. Shared by the asset tool and the data
// tests, so that both judge a level by the same rules.
#pragma once

#include <cstdint>
#include <vector>

#include "app/movement.h"
#include "scene/world.h"

namespace collision {

// Footprints of less area than this (square units) are upright surfaces: a wall's footprint is a line.
inline constexpr double kUprightArea = 1e-4;
// The eye stands 0.25 above the ground, give or take the head bob's 0.05, and the near plane lies 0.1 in front
// of it. An upright surface blocks when it reaches into the band the eye and the near plane sweep, 0.1 to 0.4:
// a lintel wholly above 0.4 passes over the player's head, a kerb wholly below 0.1 under the eye.
inline constexpr float kBlockingLow = 0.1f;
inline constexpr float kBlockingHigh = 0.4f;
// Open ground keeps this far from every box and from the rectangle's edge: a wall nearer than the near plane to
// the edge where the player stops looks the same as a wall on the edge.
inline constexpr float kOpenGroundMargin = 0.1f;
// A point of an edge has a wall near it when an upright blocking surface passes within this distance of it in
// x and in z. The player stops on the edge and is drawn up to one 0.5 step past it; walls stand half a unit
// into their boxes, or farther behind crates and ledges in front of them. Two units is eight eye heights: a
// wall set back farther reads as nothing there at all.
inline constexpr float kWallReach = 2.0f;
// Edges are judged in pieces of at most a quarter unit, each at its middle.
inline constexpr float kEdgeStep = 0.25f;

// A segment on the ground plane.
struct Segment {
  float x0, z0, x1, z1;
};

// An upright triangle: its footprint has (nearly) no area.
bool IsUpright(const WorldTriangle& t);
// The footprint of an upright triangle: the longest side of its corners seen from above.
Segment FootprintOf(const WorldTriangle& t);
// An upright triangle the player cannot walk through: it reaches into the eye's band.
bool Blocks(const WorldTriangle& t);
// Where the player may stand: inside the rectangle (its edge included) and not strictly inside any box.
bool Walkable(float x, float z);

// A blocking wall with part of its footprint in open ground.
struct WallInOpenGround {
  int32_t triangle;  // index into the world's triangles
  Segment wall;      // its whole footprint
  Segment open;      // from its first to its last point in open ground
};

enum class Side { kNorth, kSouth, kWest, kEast };

// A stretch of an edge the player is stopped at with no wall near it.
struct BareEdge {
  int box;     // the rule's number, 1 to 11; 0 for the walkable rectangle
  Side side;   // north is -z, as on the plan
  float from;  // along the edge: x for north and south edges, z for west and east ones
  float to;
};

struct Report {
  std::vector<WallInOpenGround> walls;
  std::vector<BareEdge> edges;
  bool Matches() const { return walls.empty() && edges.empty(); }
};

// Checks every triangle of world and every edge of the boxes and the rectangle the player can walk up to.
Report CheckLevel(const World& world);

// The rectangle an edge belongs to (the walkable rectangle for box 0), and where a stretch of it lies.
const CollisionRect& RectOf(int box);
Segment EdgeSegment(const BareEdge& edge);
// "north", "south", "west", "east".
const char* SideName(Side side);

}  // namespace collision
