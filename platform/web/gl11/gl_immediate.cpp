// Immediate mode and display lists. Each vertex takes the current colour, normal and texture coordinate as GL
// keeps them; glEnd turns the primitive into triangles. A display list keeps its corners in one vertex buffer and
// replays its other calls in order; a corner whose colour or texture coordinate the list did not set takes the
// current one when the list is called, as in GL.
#include <cstring>
#include <utility>

#include "platform/web/gl11/gl_context.h"
#include "platform/web/gl11/webgl_bridge.h"

using gl11::Context;
using gl11::DisplayList;
using gl11::ListDraw;
using gl11::Vertex;

namespace {

// The corner indices of the triangles a primitive of count corners makes, in GL's order.
std::vector<int> TriangleCorners(GLenum primitive, int count) {
  std::vector<int> corners;
  switch (primitive) {
    case GL_TRIANGLES:
      for (int i = 0; i + 2 < count; i += 3) corners.insert(corners.end(), {i, i + 1, i + 2});
      break;
    case GL_QUADS:
      for (int i = 0; i + 3 < count; i += 4) corners.insert(corners.end(), {i, i + 1, i + 2, i, i + 2, i + 3});
      break;
    case GL_TRIANGLE_STRIP:
      for (int i = 2; i < count; ++i) {
        if (i % 2 == 0) {
          corners.insert(corners.end(), {i - 2, i - 1, i});
        } else {
          corners.insert(corners.end(), {i - 1, i - 2, i});
        }
      }
      break;
    case GL_QUAD_STRIP:
      for (int i = 0; i + 3 < count; i += 2) corners.insert(corners.end(), {i, i + 1, i + 3, i, i + 3, i + 2});
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (int i = 2; i < count; ++i) corners.insert(corners.end(), {0, i - 1, i});
      break;
    default:
      // Points and lines: the game draws none, and none are drawn.
      break;
  }
  return corners;
}

// Whether every corner of a run took the attribute from the list.
bool AllSet(const std::vector<uint8_t>& known) {
  for (uint8_t k : known) {
    if (!k) return false;
  }
  return true;
}

// Whether no corner of a run took the attribute from the list.
bool NoneSet(const std::vector<uint8_t>& known) {
  for (uint8_t k : known) {
    if (k) return false;
  }
  return true;
}

// The values a call of glColor, glTexCoord or glNormal sets: the list's own while one is compiled, else the
// current ones.
float* ColourTarget(Context* c) { return c->compiling ? c->list_colour : c->colour; }
float* TexcoordTarget(Context* c) { return c->compiling ? c->list_texcoord : c->texcoord; }
float* NormalTarget(Context* c) { return c->compiling ? c->list_normal : c->normal; }

// glColor: the colour the next corners take, kept for the list being compiled too.
void SetColour(float r, float g, float b, float a) {
  Context* c = gl11::Current();
  if (!c) return;
  float* target = ColourTarget(c);
  target[0] = r;
  target[1] = g;
  target[2] = b;
  target[3] = a;
  if (!c->compiling) return;
  c->list_set_colour = true;
  if (c->in_begin) {
    c->begin_set_colour = true;
  } else {
    gl11::Record(c, [c, r, g, b, a] {
      c->colour[0] = r;
      c->colour[1] = g;
      c->colour[2] = b;
      c->colour[3] = a;
    });
  }
}

// Ends a primitive while a list is compiled: its triangles join the list's corners, a draw of them is kept, and
// the attributes set inside it become current after the draw, as they would have when it ran.
void EndCompiledPrimitive(Context* c, const std::vector<int>& order) {
  DisplayList& list = c->building;
  ListDraw draw;
  draw.first = static_cast<int>(list.vertices.size());
  draw.count = static_cast<int>(order.size());
  std::vector<uint8_t> colour_known, texcoord_known;
  for (int index : order) {
    list.vertices.push_back(c->corners[index]);
    colour_known.push_back(c->corner_colour_known[index]);
    texcoord_known.push_back(c->corner_texcoord_known[index]);
  }
  draw.colour_from_list = AllSet(colour_known);
  draw.texcoord_from_list = AllSet(texcoord_known);
  if (!draw.colour_from_list && !NoneSet(colour_known)) draw.colour_known = std::move(colour_known);
  if (!draw.texcoord_from_list && !NoneSet(texcoord_known)) draw.texcoord_known = std::move(texcoord_known);
  size_t draw_index = list.draws.size();
  list.draws.push_back(std::move(draw));
  list.commands.push_back([c, draw_index](const DisplayList& called) {
    gl11::DrawListRange(c, called, called.draws[draw_index]);
  });
  if (c->begin_set_colour || c->begin_set_texcoord || c->begin_set_normal) {
    bool colour = c->begin_set_colour, texcoord = c->begin_set_texcoord, normal = c->begin_set_normal;
    float r = c->list_colour[0], g = c->list_colour[1], b = c->list_colour[2], a = c->list_colour[3];
    float s = c->list_texcoord[0], t = c->list_texcoord[1];
    float nx = c->list_normal[0], ny = c->list_normal[1], nz = c->list_normal[2];
    list.commands.push_back([=](const DisplayList&) {
      if (colour) {
        c->colour[0] = r;
        c->colour[1] = g;
        c->colour[2] = b;
        c->colour[3] = a;
      }
      if (texcoord) {
        c->texcoord[0] = s;
        c->texcoord[1] = t;
      }
      if (normal) {
        c->normal[0] = nx;
        c->normal[1] = ny;
        c->normal[2] = nz;
      }
    });
  }
}

// Replays a list's calls in order.
void CallList(Context* c, GLuint name) {
  static int depth = 0;
  auto found = c->lists.find(name);
  // GL stops nesting at 64 levels, which also ends a list that calls itself.
  if (found == c->lists.end() || depth >= 64) return;
  const DisplayList& list = found->second;
  ++depth;
  for (const auto& command : list.commands) command(list);
  --depth;
}

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
  Context* c = gl11::Current();
  if (!c) return;
  if (c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  if (mode > GL_POLYGON) return gl11::SetError(c, GL_INVALID_ENUM);
  c->in_begin = true;
  c->primitive = mode;
  c->corners.clear();
  c->corner_colour_known.clear();
  c->corner_texcoord_known.clear();
  c->begin_set_colour = c->begin_set_texcoord = c->begin_set_normal = false;
}

void glEnd() {
  Context* c = gl11::Current();
  if (!c) return;
  if (!c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  c->in_begin = false;
  std::vector<int> order = TriangleCorners(c->primitive, static_cast<int>(c->corners.size()));
  if (c->compiling) return EndCompiledPrimitive(c, order);
  c->triangles.clear();
  for (int index : order) c->triangles.push_back(c->corners[index]);
  gl11::DrawTriangles(c, c->triangles.data(), static_cast<int>(c->triangles.size()));
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  Context* c = gl11::Current();
  if (!c || !c->in_begin) return;
  const float* colour = ColourTarget(c);
  const float* texcoord = TexcoordTarget(c);
  c->corners.push_back({x, y, z, texcoord[0], texcoord[1], colour[0], colour[1], colour[2], colour[3]});
  c->corner_colour_known.push_back(!c->compiling || c->list_set_colour);
  c->corner_texcoord_known.push_back(!c->compiling || c->list_set_texcoord);
}

void glVertex3fv(const GLfloat* v) { glVertex3f(v[0], v[1], v[2]); }

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { SetColour(r, g, b, 1.0f); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { SetColour(r, g, b, a); }

void glTexCoord2f(GLfloat s, GLfloat t) {
  Context* c = gl11::Current();
  if (!c) return;
  float* target = TexcoordTarget(c);
  target[0] = s;
  target[1] = t;
  if (!c->compiling) return;
  c->list_set_texcoord = true;
  if (c->in_begin) {
    c->begin_set_texcoord = true;
  } else {
    gl11::Record(c, [c, s, t] {
      c->texcoord[0] = s;
      c->texcoord[1] = t;
    });
  }
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  Context* c = gl11::Current();
  if (!c) return;
  float* target = NormalTarget(c);
  target[0] = x;
  target[1] = y;
  target[2] = z;
  if (!c->compiling) return;
  c->list_set_normal = true;
  if (c->in_begin) {
    c->begin_set_normal = true;
  } else {
    gl11::Record(c, [c, x, y, z] {
      c->normal[0] = x;
      c->normal[1] = y;
      c->normal[2] = z;
    });
  }
}

void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

GLuint glGenLists(GLsizei range) {
  Context* c = gl11::Current();
  if (!c) return 0;
  if (range < 0 || c->in_begin) {
    gl11::SetError(c, range < 0 ? GL_INVALID_VALUE : GL_INVALID_OPERATION);
    return 0;
  }
  if (range == 0) return 0;
  GLuint first = c->next_list;
  // Names are taken as they are given out: an empty list is a list.
  for (GLsizei i = 0; i < range; ++i) c->lists[first + static_cast<GLuint>(i)];
  c->next_list += static_cast<GLuint>(range);
  return first;
}

GLboolean glIsList(GLuint list) {
  Context* c = gl11::Current();
  return c && c->lists.count(list) ? GL_TRUE : GL_FALSE;
}

void glDeleteLists(GLuint list, GLsizei range) {
  Context* c = gl11::Current();
  if (!c) return;
  if (range < 0) return gl11::SetError(c, GL_INVALID_VALUE);
  for (GLsizei i = 0; i < range; ++i) {
    auto found = c->lists.find(list + static_cast<GLuint>(i));
    if (found == c->lists.end()) continue;
    if (found->second.buffer) gl11::PageDeleteBuffer(found->second.buffer);
    c->lists.erase(found);
  }
}

void glNewList(GLuint list, GLenum mode) {
  Context* c = gl11::Current();
  if (!c) return;
  if (list == 0) return gl11::SetError(c, GL_INVALID_VALUE);
  if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return gl11::SetError(c, GL_INVALID_ENUM);
  if (c->compiling || c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  c->compiling = list;
  c->compile_mode = mode;
  c->building = DisplayList();
  c->list_set_colour = c->list_set_texcoord = c->list_set_normal = false;
  memcpy(c->list_colour, c->colour, sizeof c->list_colour);
  memcpy(c->list_texcoord, c->texcoord, sizeof c->list_texcoord);
  memcpy(c->list_normal, c->normal, sizeof c->list_normal);
}

void glEndList() {
  Context* c = gl11::Current();
  if (!c) return;
  if (!c->compiling || c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  GLuint name = c->compiling;
  GLenum mode = c->compile_mode;
  c->compiling = 0;
  DisplayList list = std::move(c->building);
  c->building = DisplayList();
  if (!list.vertices.empty()) {
    list.buffer = gl11::PageCreateBuffer(list.vertices.data(), static_cast<int>(list.vertices.size()));
    // The list still draws from its corners in memory; the renderer, told, draws one by one instead.
    if (!list.buffer) gl11::SetError(c, GL_OUT_OF_MEMORY);
  }
  auto found = c->lists.find(name);
  if (found != c->lists.end() && found->second.buffer) gl11::PageDeleteBuffer(found->second.buffer);
  c->lists[name] = std::move(list);
  if (name >= c->next_list) c->next_list = name + 1;
  if (mode == GL_COMPILE_AND_EXECUTE) CallList(c, name);
}

void glCallList(GLuint list) {
  Context* c = gl11::Current();
  if (!c) return;
  if (c->compiling) {
    c->building.commands.push_back([c, list](const DisplayList&) { CallList(c, list); });
    return;
  }
  CallList(c, list);
}

}  // extern "C"
