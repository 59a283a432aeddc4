// Rendering contexts of the OpenGL 1.1 layer, and the one place that turns GL state into a WebGL draw.
#include "platform/web/gl11/gl_context.h"

#include <cstring>
#include <utility>

#include "platform/web/gl11/webgl_bridge.h"

namespace gl11 {

namespace {

Context* s_current = nullptr;

constexpr Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// A texture takes part in drawing only when it is complete: an image at level 0 and a filter that needs no other
// level. Otherwise GL draws as if texturing were off.
bool Complete(const Context* context, GLuint name) {
  auto found = context->textures.find(name);
  if (found == context->textures.end() || !found->second.has_image) return false;
  GLenum filter = found->second.min_filter;
  return filter == GL_LINEAR || filter == GL_NEAREST;
}

// What a draw takes from the context: matrices, current attributes, texture, fog and depth test.
void FillState(const Context* context, DrawState* state) {
  memcpy(state->modelview, context->stacks[0].back().m, sizeof state->modelview);
  memcpy(state->projection, context->stacks[1].back().m, sizeof state->projection);
  memcpy(state->colour, context->colour, sizeof state->colour);
  memcpy(state->texcoord, context->texcoord, sizeof state->texcoord);
  state->colour_array = 1;
  state->texcoord_array = 1;
  bool textured = context->texture_2d && Complete(context, context->bound_texture);
  state->texture = textured ? static_cast<int32_t>(context->bound_texture) : 0;
  // Only GL_EXP is drawn: the game's one fog mode.
  state->fog = context->fog && context->fog_mode == GL_EXP;
  state->fog_density = context->fog_density;
  memcpy(state->fog_colour, context->fog_colour, sizeof state->fog_colour);
  state->depth_test = context->depth_test;
  state->depth_func = static_cast<int32_t>(context->depth_func);
}

}  // namespace

Context* Current() { return s_current; }

void MakeCurrent(Context* context) {
  s_current = context;
  if (context) PageMakeGlCurrent(context->page_context);
}

Context* CreateContext(int page_context) {
  Context* context = new Context();
  context->page_context = page_context;
  for (auto& stack : context->stacks) stack.push_back(kIdentity);
  return context;
}

void DeleteContext(Context* context) {
  if (!context) return;
  if (s_current == context) s_current = nullptr;
  for (auto& [name, list] : context->lists) {
    if (list.buffer) PageDeleteBuffer(list.buffer);
  }
  delete context;
}

void SetError(Context* context, GLenum error) {
  if (context->error == GL_NO_ERROR) context->error = error;
}

bool Record(Context* context, std::function<void()> command) {
  if (!context->compiling) return true;
  context->building.commands.push_back([command = std::move(command)](const DisplayList&) { command(); });
  return false;
}

void DrawTriangles(Context* context, const Vertex* vertices, int count) {
  if (count <= 0) return;
  DrawState state;
  FillState(context, &state);
  state.buffer = 0;
  state.first = 0;
  state.count = count;
  state.vertices = static_cast<int32_t>(reinterpret_cast<uintptr_t>(vertices));
  PageDraw(&state);
}

void DrawListRange(Context* context, const DisplayList& list, const ListDraw& draw) {
  if (draw.count <= 0) return;
  if (!draw.colour_known.empty() || !draw.texcoord_known.empty()) {
    // Some corners want the current colour or texture coordinate, others their own: fill a copy.
    std::vector<Vertex> copy(list.vertices.begin() + draw.first, list.vertices.begin() + draw.first + draw.count);
    for (size_t i = 0; i < copy.size(); ++i) {
      if (!draw.colour_known.empty() && !draw.colour_known[i]) {
        memcpy(&copy[i].r, context->colour, sizeof context->colour);
      }
      if (!draw.texcoord_known.empty() && !draw.texcoord_known[i]) {
        copy[i].s = context->texcoord[0];
        copy[i].t = context->texcoord[1];
      }
    }
    DrawTriangles(context, copy.data(), static_cast<int>(copy.size()));
    return;
  }
  DrawState state;
  FillState(context, &state);
  state.colour_array = draw.colour_from_list;
  state.texcoord_array = draw.texcoord_from_list;
  state.buffer = list.buffer;
  state.first = draw.first;
  state.count = draw.count;
  state.vertices = 0;
  if (!list.buffer) {
    // No buffer could be made for the list (or it is still being compiled): draw from its corners in memory.
    state.first = 0;
    state.vertices = static_cast<int32_t>(reinterpret_cast<uintptr_t>(list.vertices.data() + draw.first));
  }
  PageDraw(&state);
}

}  // namespace gl11
