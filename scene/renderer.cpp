// Draws one frame. (Until the renderer lands: a cleared frame.)
#include "scene/renderer.h"

#include "platform/gl.h"

bool DrawScene() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  return true;
}
