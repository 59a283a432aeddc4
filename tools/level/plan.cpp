// The level plan: the world seen from above as SVG. x runs to the right and z downwards, so north (-z, the
// direction the player starts facing) is up. Each triangle's footprint is filled in its texture slot's colour,
// upright surfaces (footprints of no area) are drawn as lines, and the walkable rectangle and the eleven
// collision boxes are drawn over everything; a collision check's findings over them.
#include "tools/level/plan.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct SlotStyle {
  const char* name;
  const char* colour;
};
constexpr SlotStyle kSlots[16] = {
    {"floor1", "#a39a88"}, {"door1", "#8c5a2c"}, {"wall1", "#77736c"},     {"crate", "#b07a40"},
    {"sand", "#d8bc82"},   {"tree", "#2e6a26"},  {"green", "#5d9a3c"},     {"title", "#e0c060"},
    {"red", "#a02424"},    {"energy", "#40c040"}, {"brick1", "#a8503a"},   {"waterfall", "#a8c8ec"},
    {"door2", "#5a3a22"},  {"intro", "#9a7040"}, {"pressX", "#303060"},    {"waterfall2", "#3a7ab2"},
};
constexpr const char* kUnknownSlotColour = "#ff00ff";
// Colours no slot uses: walls a player walks through, and edge stretches where nothing stops the eye.
constexpr const char* kOpenGroundColour = "#ff7a00";
constexpr const char* kBareEdgeColour = "#00c8d8";

constexpr float kScale = 10.0f;         // pixels per world unit
constexpr float kSurroundings = 8.0f;   // world units shown around the walkable rectangle
constexpr float kMargin = 24.0f;        // pixels around the drawing
constexpr float kLegendWidth = 150.0f;  // pixels to the right of the drawing

struct Bounds {
  float x_min = 1e30f, x_max = -1e30f, z_min = 1e30f, z_max = -1e30f;
  void Add(float x, float z) {
    x_min = std::min(x_min, x);
    x_max = std::max(x_max, x);
    z_min = std::min(z_min, z);
    z_max = std::max(z_max, z);
  }
};

class SvgWriter {
 public:
  SvgWriter(FILE* out, const Bounds& bounds) : out_(out), bounds_(bounds) {}
  float X(float x) const { return (x - bounds_.x_min) * kScale + kMargin; }
  float Y(float z) const { return (z - bounds_.z_min) * kScale + kMargin; }
  __attribute__((format(printf, 2, 3))) void Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(out_, format, args);
    va_end(args);
  }
  void Rect(const CollisionRect& r, const char* style) {
    Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" %s/>\n", X(r.x_min), Y(r.z_min),
          (r.x_max - r.x_min) * kScale, (r.z_max - r.z_min) * kScale, style);
  }

 private:
  FILE* out_;
  Bounds bounds_;
};

const char* SlotColour(int32_t slot) { return slot >= 0 && slot < 16 ? kSlots[slot].colour : kUnknownSlotColour; }

float TopOf(const WorldTriangle& t) {
  return std::max({t.vertices[0].y, t.vertices[1].y, t.vertices[2].y});
}

bool Finite(const WorldTriangle& t) {
  for (const WorldVertex& v : t.vertices) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
  }
  return true;
}

}  // namespace

bool WriteLevelPlan(const World& world, const char* out_path, const collision::Report* findings) {
  if (out_path == nullptr) {
    fprintf(stderr, "gorvane-assets: no file named for the plan\n");
    return false;
  }
  std::vector<const WorldTriangle*> order;
  Bounds bounds;
  bounds.Add(kWalkableRect.x_min - 2, kWalkableRect.z_min - 2);
  bounds.Add(kWalkableRect.x_max + 2, kWalkableRect.z_max + 2);
  for (int32_t i = 0; world.triangles != nullptr && i < world.triangle_count; ++i) {
    const WorldTriangle& t = world.triangles[i];
    if (!Finite(t)) continue;
    order.push_back(&t);
    for (const WorldVertex& v : t.vertices) bounds.Add(v.x, v.z);
  }
  // The plan shows the walkable area and a border of what lies around it; what stands farther out (hills,
  // stray corners) is cut off at the drawing's edge.
  bounds.x_min = std::max(bounds.x_min, kWalkableRect.x_min - kSurroundings);
  bounds.z_min = std::max(bounds.z_min, kWalkableRect.z_min - kSurroundings);
  bounds.x_max = std::min(bounds.x_max, kWalkableRect.x_max + kSurroundings);
  bounds.z_max = std::min(bounds.z_max, kWalkableRect.z_max + kSurroundings);
  std::stable_sort(order.begin(), order.end(),
                   [](const WorldTriangle* a, const WorldTriangle* b) { return TopOf(*a) < TopOf(*b); });

  FILE* out = fopen(out_path, "w");
  if (out == nullptr) {
    fprintf(stderr, "gorvane-assets: cannot write %s: %s\n", out_path, strerror(errno));
    return false;
  }
  SvgWriter svg(out, bounds);
  const float width = (bounds.x_max - bounds.x_min) * kScale + 2 * kMargin + kLegendWidth;
  const float height = std::max((bounds.z_max - bounds.z_min) * kScale + 2 * kMargin, 16 * 18.0f + 120);
  svg.Print("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  svg.Print(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
      "font-family=\"sans-serif\" font-size=\"11\">\n",
      width, height, width, height);
  svg.Print("<title>Level plan: %d triangles, seen from above, north up</title>\n", world.triangle_count);
  svg.Print("<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n");

  // Flat footprints first, lowest first; then the upright surfaces as lines over them, so the walls show
  // even under a roof.
  svg.Print("<g id=\"surfaces\" stroke-linejoin=\"round\">\n");
  for (const WorldTriangle* t : order) {
    if (collision::IsUpright(*t)) continue;
    const WorldVertex* v = t->vertices;
    const char* colour = SlotColour(t->texture_slot);
    svg.Print("<polygon points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\" fill=\"%s\" stroke=\"%s\" stroke-width=\"0.3\"/>\n",
              svg.X(v[0].x), svg.Y(v[0].z), svg.X(v[1].x), svg.Y(v[1].z), svg.X(v[2].x), svg.Y(v[2].z), colour,
              colour);
  }
  for (const WorldTriangle* t : order) {
    if (!collision::IsUpright(*t)) continue;
    // An upright surface: draw its footprint, the longest side seen from above.
    const collision::Segment f = collision::FootprintOf(*t);
    // A dark edge under the slot's colour, so a wall shows against a roof or floor of the same colour.
    svg.Print("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#202020\" stroke-width=\"3.5\"/>"
              "<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\" stroke-width=\"1.5\"/>\n",
              svg.X(f.x0), svg.Y(f.z0), svg.X(f.x1), svg.Y(f.z1), svg.X(f.x0), svg.Y(f.z0), svg.X(f.x1), svg.Y(f.z1),
              SlotColour(t->texture_slot));
  }
  svg.Print("</g>\n");

  svg.Print("<g id=\"collision\" fill=\"none\">\n");
  svg.Rect(kWalkableRect, "stroke=\"#000000\" stroke-width=\"2\" stroke-dasharray=\"8 4\"");
  int rule = 1;
  for (const CollisionRect& box : kCollisionBoxes) {
    svg.Rect(box, "fill=\"none\" stroke=\"#d00000\" stroke-width=\"1.5\"");
    svg.Print("<text x=\"%.2f\" y=\"%.2f\" fill=\"#a00000\" font-weight=\"bold\" text-anchor=\"middle\">%d</text>\n",
              svg.X((box.x_min + box.x_max) / 2), svg.Y((box.z_min + box.z_max) / 2) + 4, rule++);
  }
  svg.Print("</g>\n");

  if (findings) {
    // Over the boxes, so that a bare stretch shows along its box's edge.
    svg.Print("<g id=\"collision-findings\" stroke-linecap=\"round\">\n");
    for (const collision::WallInOpenGround& found : findings->walls) {
      const collision::Segment& w = found.wall;
      svg.Print("<line class=\"open-ground\" x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\" "
                "stroke-width=\"5\"/>\n",
                svg.X(w.x0), svg.Y(w.z0), svg.X(w.x1), svg.Y(w.z1), kOpenGroundColour);
    }
    for (const collision::BareEdge& edge : findings->edges) {
      const collision::Segment e = collision::EdgeSegment(edge);
      svg.Print("<line class=\"bare-edge\" x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\" "
                "stroke-width=\"5\"/>\n",
                svg.X(e.x0), svg.Y(e.z0), svg.X(e.x1), svg.Y(e.z1), kBareEdgeColour);
    }
    svg.Print("</g>\n");
  }

  // The start point, facing -z.
  svg.Print("<g id=\"start\">\n");
  svg.Print("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"4\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n",
            svg.X(0), svg.Y(0));
  svg.Print("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#000000\" stroke-width=\"2\"/>\n", svg.X(0),
            svg.Y(0) - 4, svg.X(0), svg.Y(-1.5f));
  svg.Print("<polygon points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\" fill=\"#000000\"/>\n", svg.X(0), svg.Y(-2.0f),
            svg.X(0) - 4, svg.Y(-1.4f), svg.X(0) + 4, svg.Y(-1.4f));
  svg.Print("</g>\n");

  // Legend: the slots and the collision marks.
  const float lx = (bounds.x_max - bounds.x_min) * kScale + 2 * kMargin;
  svg.Print("<g id=\"legend\">\n<text x=\"%.2f\" y=\"%.2f\" font-weight=\"bold\">Texture slots</text>\n", lx,
            kMargin + 4);
  for (int slot = 0; slot < 16; ++slot) {
    float y = kMargin + 14 + slot * 18.0f;
    svg.Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"12\" fill=\"%s\"/>\n", lx, y, kSlots[slot].colour);
    svg.Print("<text x=\"%.2f\" y=\"%.2f\">%d %s</text>\n", lx + 20, y + 10, slot, kSlots[slot].name);
  }
  float y = kMargin + 14 + 16 * 18.0f + 10;
  svg.Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"12\" fill=\"none\" "
            "stroke=\"#d00000\"/>\n<text x=\"%.2f\" y=\"%.2f\">collision box (rule)</text>\n",
            lx, y, lx + 20, y + 10);
  svg.Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"12\" fill=\"none\" stroke=\"#000000\" "
            "stroke-dasharray=\"4 2\"/>\n<text x=\"%.2f\" y=\"%.2f\">walkable rectangle</text>\n",
            lx, y + 18, lx + 20, y + 28);
  svg.Print("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"4\" fill=\"#ffffff\" stroke=\"#000000\"/>\n<text x=\"%.2f\" "
            "y=\"%.2f\">start, facing north (-z)</text>\n",
            lx + 7, y + 42, lx + 20, y + 46);
  svg.Print("<text x=\"%.2f\" y=\"%.2f\">lines: upright surfaces</text>\n", lx, y + 64);
  if (findings) {
    svg.Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"5\" fill=\"%s\"/>\n<text x=\"%.2f\" "
              "y=\"%.2f\">wall in open ground</text>\n",
              lx, y + 78, kOpenGroundColour, lx + 20, y + 84);
    svg.Print("<rect x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"5\" fill=\"%s\"/>\n<text x=\"%.2f\" "
              "y=\"%.2f\">edge with no wall</text>\n",
              lx, y + 96, kBareEdgeColour, lx + 20, y + 102);
  }
  svg.Print("</g>\n</svg>\n");

  bool ok = !ferror(out);
  if (fclose(out) != 0) ok = false;
  if (!ok) fprintf(stderr, "gorvane-assets: cannot write %s\n", out_path);
  return ok;
}
