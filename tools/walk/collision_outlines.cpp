#include "tools/walk/collision_outlines.h"

#include "app/movement.h"
#include "platform/gl.h"
#include "tools/level/collision_check.h"

namespace {

// Just above the floor, so the lines do not fight the floor's depth.
constexpr float kFloorLift = 0.02f;

// A box as two rectangles, one on the floor and one at the top of the blocking band, and its four corner posts.
void OutlineBox(const CollisionRect& r) {
  const float corners[4][2] = {{r.x_min, r.z_min}, {r.x_max, r.z_min}, {r.x_max, r.z_max}, {r.x_min, r.z_max}};
  for (float y : {kFloorLift, collision::kBlockingHigh}) {
    glBegin(GL_LINE_LOOP);
    for (const auto& c : corners) glVertex3f(c[0], y, c[1]);
    glEnd();
  }
  glBegin(GL_LINES);
  for (const auto& c : corners) {
    glVertex3f(c[0], kFloorLift, c[1]);
    glVertex3f(c[0], collision::kBlockingHigh, c[1]);
  }
  glEnd();
}

}  // namespace

void DrawCollisionOutlines() {
  glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glLineWidth(2.0f);
  // Yellow for the rectangle the player stays in (it stands out from grass and sand), red for the boxes as on
  // the level's plan.
  glColor3f(1.0f, 0.85f, 0.0f);
  OutlineBox(kWalkableRect);
  glColor3f(1.0f, 0.1f, 0.1f);
  for (const CollisionRect& box : kCollisionBoxes) OutlineBox(box);
  glPopAttrib();
}
