// The OpenGL 1.1 the game draws with, kept over WebGL: everything GL remembers between calls lives in one record
// per rendering context, and only finished triangles, textures and clears go to the page's WebGL.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/gl.h"

namespace gl11 {

// One corner as WebGL draws it: position, texture coordinate, colour (36 bytes, interleaved).
struct Vertex {
  float x, y, z;
  float s, t;
  float r, g, b, a;
};

// Column-major, as GL keeps its matrices.
struct Matrix {
  float m[16];
};

// What a texture name holds: a level 0 image or not, and the filters that decide whether it is complete.
struct Texture {
  bool has_image = false;
  int width = 0;
  int height = 0;
  GLenum min_filter = GL_NEAREST_MIPMAP_LINEAR;
};

// A run of corners of one display list, drawn as triangles. Colour and texture coordinate come from the list
// when the list set them before the corner, else from the current values when the list is called.
struct ListDraw {
  int first = 0;
  int count = 0;
  bool colour_from_list = true;
  bool texcoord_from_list = true;
  // Corners whose colour or texture coordinate the list did not set, in a run where others are set: filled in
  // from the current values at each call (a rare mix, drawn from a copy).
  std::vector<uint8_t> colour_known;
  std::vector<uint8_t> texcoord_known;
};

// A display list: the corners of all its primitives in one vertex buffer, and the calls to replay in order.
struct DisplayList {
  std::vector<Vertex> vertices;
  std::vector<ListDraw> draws;
  std::vector<std::function<void(const DisplayList&)>> commands;
  int buffer = 0;  // the page's vertex buffer, once the list is complete
};

struct Context {
  int page_context = 0;  // the page's WebGL context
  GLenum error = GL_NO_ERROR;

  // Matrix stacks: model-view, projection, texture; the top is back().
  std::vector<Matrix> stacks[3];
  int matrix_mode = 0;

  // Current attributes, as the next vertex takes them.
  float colour[4] = {1, 1, 1, 1};
  float normal[3] = {0, 0, 1};
  float texcoord[2] = {0, 0};

  // Switches and fixed state.
  bool texture_2d = false;
  bool depth_test = false;
  bool fog = false;
  bool lighting = false;
  bool cull_face = false;
  bool blend = false;
  GLenum depth_func = GL_LESS;
  GLenum shade_model = GL_SMOOTH;
  double clear_depth = 1.0;
  float clear_colour[4] = {0, 0, 0, 0};
  GLenum fog_mode = GL_EXP;
  float fog_density = 1;
  float fog_start = 0;
  float fog_end = 1;
  float fog_colour[4] = {0, 0, 0, 0};
  GLenum perspective_hint = GL_DONT_CARE;
  GLenum fog_hint = GL_DONT_CARE;
  int viewport[4] = {0, 0, 0, 0};
  int unpack_alignment = 4;
  int pack_alignment = 4;
  // Front material, kept as set; lighting is never switched on by the game, so no shader reads it.
  float material_ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float material_diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float material_specular[4] = {0, 0, 0, 1};
  float material_emission[4] = {0, 0, 0, 1};
  float material_shininess = 0;

  // Texture names: 0 is the default texture, which never gets an image here.
  GLuint bound_texture = 0;
  std::map<GLuint, Texture> textures;
  GLuint next_texture = 1;

  // Display lists by name.
  std::map<GLuint, DisplayList> lists;
  GLuint next_list = 1;

  // Between glBegin and glEnd: the primitive's corners, and which of them took their colour and texture
  // coordinate from calls made in the list being compiled.
  bool in_begin = false;
  GLenum primitive = GL_TRIANGLES;
  std::vector<Vertex> corners;
  std::vector<uint8_t> corner_colour_known;
  std::vector<uint8_t> corner_texcoord_known;
  bool begin_set_colour = false;
  bool begin_set_texcoord = false;
  bool begin_set_normal = false;

  // While a list is compiled: its name, mode, the list so far, and the attributes it has set so far (the current
  // values are not touched by compiling).
  GLuint compiling = 0;
  GLenum compile_mode = GL_COMPILE;
  DisplayList building;
  bool list_set_colour = false;
  bool list_set_texcoord = false;
  bool list_set_normal = false;
  float list_colour[4] = {1, 1, 1, 1};
  float list_texcoord[2] = {0, 0};
  float list_normal[3] = {0, 0, 1};

  // Immediate-mode corners are sent through one streaming buffer.
  std::vector<Vertex> triangles;
};

// The context the GL calls of this thread go to; none makes every call do nothing.
Context* Current();
void MakeCurrent(Context* context);
// A context with GL's initial state, drawing into the page's WebGL context page_context.
Context* CreateContext(int page_context);
// Releases the context's lists and buffers on the page; textures go with the page's context.
void DeleteContext(Context* context);

// Records the first error until glGetError reads it, as GL does.
void SetError(Context* context, GLenum error);
// Keeps the call for the list being compiled, if any: true when the caller should run it now (no list is being
// compiled). A list compiled with GL_COMPILE_AND_EXECUTE runs whole when it is complete.
bool Record(Context* context, std::function<void()> command);
// Runs a change of state on the current context now, or keeps it for the list being compiled; a change between
// glBegin and glEnd is an error, as in GL.
template <typename Change>
void Apply(Change change) {
  Context* c = Current();
  if (!c) return;
  if (c->in_begin) return SetError(c, GL_INVALID_OPERATION);
  if (Record(c, [c, change] { change(c); })) change(c);
}

// Draws triangles (three corners each) in the current state.
void DrawTriangles(Context* context, const Vertex* vertices, int count);
// Draws a range of a list's vertex buffer in the current state, with the current colour and texture coordinate
// where the list does not give them.
void DrawListRange(Context* context, const DisplayList& list, const ListDraw& draw);

}  // namespace gl11
