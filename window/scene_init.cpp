// The one-time set-up of a new rendering context.
#include "window/scene_init.h"

#include "app/globals.h"
#include "model/model.h"
#include "platform/gl.h"
#include "scene/textures.h"

bool InitScene() {
  if (!LoadSceneTextures()) return false;
  if (g_game.model) g_game.model->LoadMaterialTextures();
  ApplySceneState();
  LoadWorld();
  return true;
}

void ApplySceneState() {
  glEnable(GL_TEXTURE_2D);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
