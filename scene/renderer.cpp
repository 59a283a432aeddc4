// Draws one frame: on the title screen the model and the "press X" picture; in play the two status bars, the
// day cycle, fog, the camera and the world's triangles.
#include "scene/renderer.h"

#include <cstring>

#include "app/globals.h"
#include "model/model.h"
#include "platform/gl.h"
#include "scene/day_cycle.h"
#include "scene/renderer_batch.h"
#include "scene/world_reader.h"

namespace {

constexpr int kTitleSlot = 14;   // "pressX.bmp"
constexpr int kStatusSlot = 9;   // "energy.bmp"

constexpr float kFogColour[4] = {0.6f, 0.6f, 0.6f, 0.6f};
constexpr float kFogDensity = 0.04f;
constexpr float kEyeHeight = 0.25f;

// The status bars sit in the near plane (z = -0.1), so nothing in the world can cover them.
constexpr float kStatusZ = -0.1f;
constexpr float kStatusLeft = -0.05f;
constexpr float kStatusRight = -0.046f;

// What the current display list was compiled from; any difference means compile again.
struct WorldBatch {
  GLuint list = 0;
  uint64_t generation = 0;
  OsGlContext context = nullptr;
  const WorldTriangle* triangles = nullptr;
  int32_t count = 0;
  uint32_t names[kSceneTextureCount] = {};
  // The first and last triangle as compiled: a cheap guard against triangles rewritten in place.
  WorldTriangle first = {};
  WorldTriangle last = {};
};

WorldBatch s_batch;
bool s_batching = true;

void DrawStatusQuad(float bottom, float top) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(kStatusLeft, bottom, kStatusZ);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(kStatusRight, bottom, kStatusZ);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(kStatusRight, top, kStatusZ);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(kStatusLeft, top, kStatusZ);
  glEnd();
}

void DrawTitle() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);
  glTranslatef(-1.0f, -7.0f, -30.0f);
  if (g_game.model) g_game.model->Draw();
  glBindTexture(GL_TEXTURE_2D, g_game.textures.names[kTitleSlot]);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-8.5f, -1.0f, 10.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(10.1f, -1.0f, 10.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(10.1f, 15.0f, 10.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-8.5f, 15.0f, 10.0f);
  glEnd();
}

bool BatchIsCurrent(const World& world, const TextureTable& textures) {
  if (s_batch.list == 0 || !glIsList(s_batch.list)) return false;
  if (s_batch.generation != WorldGeneration() || s_batch.context != g_game.render_context) return false;
  if (s_batch.triangles != world.triangles || s_batch.count != world.triangle_count) return false;
  if (memcmp(s_batch.names, textures.names, sizeof(s_batch.names)) != 0) return false;
  return memcmp(&s_batch.first, &world.triangles[0], sizeof(WorldTriangle)) == 0 &&
         memcmp(&s_batch.last, &world.triangles[world.triangle_count - 1], sizeof(WorldTriangle)) == 0;
}

// The same triangles, in the same order, for the display list: a run of triangles that share a texture becomes
// one bind and one GL_TRIANGLES primitive. Binding the texture that is already bound changes nothing, and the
// triangles of one primitive are drawn exactly as if each had its own, so the picture is the same; the list
// just keeps one draw per run instead of one per triangle.
void SubmitWorldRuns(const World& world, const TextureTable& textures) {
  bool open = false;
  uint32_t bound = 0;
  for (int32_t i = 0; i < world.triangle_count; ++i) {
    const WorldTriangle& triangle = world.triangles[i];
    if (triangle.texture_slot < 0 || triangle.texture_slot >= kSceneTextureCount) continue;
    uint32_t name = textures.names[triangle.texture_slot];
    if (!open || name != bound) {
      if (open) glEnd();
      glBindTexture(GL_TEXTURE_2D, name);
      glBegin(GL_TRIANGLES);
      glNormal3f(0.0f, 0.0f, 1.0f);
      open = true;
      bound = name;
    }
    for (const WorldVertex& corner : triangle.vertices) {
      glTexCoord2f(corner.u, corner.v);
      glVertex3f(corner.x, corner.y, corner.z);
    }
  }
  if (open) glEnd();
}

bool CompileBatch(const World& world, const TextureTable& textures) {
  // A list of this context from an earlier world; in a new context the name means nothing and is left alone.
  if (s_batch.list != 0 && s_batch.context == g_game.render_context && glIsList(s_batch.list)) {
    glDeleteLists(s_batch.list, 1);
  }
  s_batch.list = 0;
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint list = glGenLists(1);
  if (list == 0) return false;
  glNewList(list, GL_COMPILE);
  SubmitWorldRuns(world, textures);
  glEndList();
  if (glGetError() != GL_NO_ERROR) {
    // Out of memory for the list: draw one by one instead.
    glDeleteLists(list, 1);
    return false;
  }
  s_batch.list = list;
  s_batch.generation = WorldGeneration();
  s_batch.context = g_game.render_context;
  s_batch.triangles = world.triangles;
  s_batch.count = world.triangle_count;
  memcpy(s_batch.names, textures.names, sizeof(s_batch.names));
  s_batch.first = world.triangles[0];
  s_batch.last = world.triangles[world.triangle_count - 1];
  return true;
}

}  // namespace

void SubmitWorldImmediate(const World& world, const TextureTable& textures) {
  if (!world.triangles) return;
  for (int32_t i = 0; i < world.triangle_count; ++i) {
    const WorldTriangle& triangle = world.triangles[i];
    if (triangle.texture_slot < 0 || triangle.texture_slot >= kSceneTextureCount) continue;
    glBindTexture(GL_TEXTURE_2D, textures.names[triangle.texture_slot]);
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (const WorldVertex& corner : triangle.vertices) {
      glTexCoord2f(corner.u, corner.v);
      glVertex3f(corner.x, corner.y, corner.z);
    }
    glEnd();
  }
}

void DrawWorldBatched(const World& world, const TextureTable& textures) {
  if (!world.triangles || world.triangle_count <= 0) return;
  if (!BatchIsCurrent(world, textures) && !CompileBatch(world, textures)) {
    SubmitWorldImmediate(world, textures);
    return;
  }
  glCallList(s_batch.list);
}

void SetWorldBatching(bool batched) { s_batching = batched; }

bool DrawScene() {
  if (g_game.screen_stage == 1) DrawTitle();
  if (g_game.screen_stage < 2) return true;

  // The clear colour is the sky the previous frame chose (black in a new context).
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, g_game.textures.names[kStatusSlot]);
  // The bars keep the colour the previous frame left: its world tint.
  DrawStatusQuad(0.025f, 0.035f);
  DrawStatusQuad(0.013f, 0.023f);
  glColor3f(1.0f, 1.0f, 1.0f);
  AdvanceCycle();
  ApplySkyColour();

  glFogi(GL_FOG_MODE, GL_EXP);
  glFogfv(GL_FOG_COLOR, kFogColour);
  glFogf(GL_FOG_DENSITY, kFogDensity);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glEnable(GL_FOG);

  float yaw = 360.0f - g_game.view_yaw;
  float eye_drop = -g_game.walk_bias - kEyeHeight;
  glRotatef(g_game.look_pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(yaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(-g_game.player_x, eye_drop, -g_game.player_z);

  if (s_batching) {
    DrawWorldBatched(g_game.world, g_game.textures);
  } else {
    SubmitWorldImmediate(g_game.world, g_game.textures);
  }
  return true;
}
