// Switches, fixed state, clears, fog, material, errors and queries of the OpenGL 1.1 layer, and the read-back of
// the colour buffer.
#include <cstring>
#include <vector>

#include "platform/web/gl11/gl_context.h"
#include "platform/web/gl11/webgl_bridge.h"

using gl11::Apply;
using gl11::Context;

namespace {

// The switch a capability names; null for one this layer does not keep.
bool* Capability(Context* c, GLenum cap) {
  switch (cap) {
    case GL_TEXTURE_2D:
      return &c->texture_2d;
    case GL_DEPTH_TEST:
      return &c->depth_test;
    case GL_FOG:
      return &c->fog;
    case GL_LIGHTING:
      return &c->lighting;
    case GL_CULL_FACE:
      return &c->cull_face;
    case GL_BLEND:
      return &c->blend;
    default:
      return nullptr;
  }
}

// glEnable and glDisable.
void SetCapability(GLenum cap, bool on) {
  Apply([cap, on](Context* c) {
    bool* flag = Capability(c, cap);
    if (!flag) return gl11::SetError(c, GL_INVALID_ENUM);
    *flag = on;
  });
}

// Colours are kept between 0 and 1, as GL clamps them.
float Clamp01(float value) { return value < 0 ? 0 : value > 1 ? 1 : value; }

// glFog in all its forms.
void SetFog(GLenum pname, const GLfloat* values) {
  float v[4] = {values[0], 0, 0, 0};
  if (pname == GL_FOG_COLOR) memcpy(v, values, sizeof v);
  Apply([pname, v](Context* c) {
    switch (pname) {
      case GL_FOG_MODE: {
        GLenum mode = static_cast<GLenum>(v[0]);
        if (mode != GL_EXP && mode != GL_EXP2 && mode != GL_LINEAR) return gl11::SetError(c, GL_INVALID_ENUM);
        c->fog_mode = mode;
        break;
      }
      case GL_FOG_DENSITY:
        if (v[0] < 0) return gl11::SetError(c, GL_INVALID_VALUE);
        c->fog_density = v[0];
        break;
      case GL_FOG_START:
        c->fog_start = v[0];
        break;
      case GL_FOG_END:
        c->fog_end = v[0];
        break;
      case GL_FOG_COLOR:
        for (int i = 0; i < 4; ++i) c->fog_colour[i] = Clamp01(v[i]);
        break;
      default:
        return gl11::SetError(c, GL_INVALID_ENUM);
    }
  });
}

// glMaterial in all its forms.
void SetMaterial(GLenum face, GLenum pname, const GLfloat* values) {
  float v[4] = {values[0], 0, 0, 0};
  if (pname != GL_SHININESS) memcpy(v, values, sizeof v);
  Apply([face, pname, v](Context* c) {
    // The back material is kept by no one: the game lights nothing two-sided.
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK && face != GL_BACK) return gl11::SetError(c, GL_INVALID_ENUM);
    float* target = pname == GL_AMBIENT    ? c->material_ambient
                    : pname == GL_DIFFUSE  ? c->material_diffuse
                    : pname == GL_SPECULAR ? c->material_specular
                    : pname == GL_EMISSION ? c->material_emission
                                           : nullptr;
    if (pname == GL_SHININESS) {
      if (v[0] < 0 || v[0] > 128) return gl11::SetError(c, GL_INVALID_VALUE);
      c->material_shininess = v[0];
    } else if (pname == GL_AMBIENT_AND_DIFFUSE) {
      memcpy(c->material_ambient, v, sizeof v);
      memcpy(c->material_diffuse, v, sizeof v);
    } else if (target) {
      memcpy(target, v, sizeof v);
    } else {
      gl11::SetError(c, GL_INVALID_ENUM);
    }
  });
}

}  // namespace

extern "C" {

void glEnable(GLenum cap) { SetCapability(cap, true); }

void glDisable(GLenum cap) { SetCapability(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
  Context* c = gl11::Current();
  if (!c) return GL_FALSE;
  bool* flag = Capability(c, cap);
  if (!flag) {
    gl11::SetError(c, GL_INVALID_ENUM);
    return GL_FALSE;
  }
  return *flag ? GL_TRUE : GL_FALSE;
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  Apply([r, g, b, a](Context* c) {
    c->clear_colour[0] = Clamp01(r);
    c->clear_colour[1] = Clamp01(g);
    c->clear_colour[2] = Clamp01(b);
    c->clear_colour[3] = Clamp01(a);
  });
}

void glClearDepth(GLclampd depth) {
  Apply([depth](Context* c) { c->clear_depth = depth < 0 ? 0 : depth > 1 ? 1 : depth; });
}

void glClear(GLbitfield mask) {
  Apply([mask](Context* c) {
    if (mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT)) {
      return gl11::SetError(c, GL_INVALID_VALUE);
    }
    gl11::PageClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), c->clear_colour,
                    static_cast<float>(c->clear_depth));
  });
}

void glDepthFunc(GLenum func) {
  Apply([func](Context* c) {
    if (func < GL_NEVER || func > GL_ALWAYS) return gl11::SetError(c, GL_INVALID_ENUM);
    c->depth_func = func;
  });
}

void glShadeModel(GLenum mode) {
  Apply([mode](Context* c) {
    if (mode != GL_SMOOTH && mode != GL_FLAT) return gl11::SetError(c, GL_INVALID_ENUM);
    c->shade_model = mode;
  });
}

void glHint(GLenum target, GLenum mode) {
  Apply([target, mode](Context* c) {
    if (mode != GL_DONT_CARE && mode != GL_FASTEST && mode != GL_NICEST) return gl11::SetError(c, GL_INVALID_ENUM);
    // WebGL interpolates texture coordinates in perspective and fogs each pixel, whatever the hint.
    if (target == GL_PERSPECTIVE_CORRECTION_HINT) {
      c->perspective_hint = mode;
    } else if (target == GL_FOG_HINT) {
      c->fog_hint = mode;
    } else if (target != GL_POINT_SMOOTH_HINT && target != GL_LINE_SMOOTH_HINT && target != GL_POLYGON_SMOOTH_HINT) {
      gl11::SetError(c, GL_INVALID_ENUM);
    }
  });
}

void glFogf(GLenum pname, GLfloat param) { SetFog(pname, &param); }

void glFogi(GLenum pname, GLint param) {
  GLfloat value = static_cast<GLfloat>(param);
  SetFog(pname, &value);
}

void glFogfv(GLenum pname, const GLfloat* params) { SetFog(pname, params); }

void glMaterialf(GLenum face, GLenum pname, GLfloat param) { SetMaterial(face, pname, &param); }

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) { SetMaterial(face, pname, params); }

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  Apply([x, y, width, height](Context* c) {
    if (width < 0 || height < 0) return gl11::SetError(c, GL_INVALID_VALUE);
    c->viewport[0] = x;
    c->viewport[1] = y;
    c->viewport[2] = width;
    c->viewport[3] = height;
    gl11::PageViewport(x, y, width, height);
  });
}

void glPixelStorei(GLenum pname, GLint param) {
  Context* c = gl11::Current();
  if (!c) return;
  if (param != 1 && param != 2 && param != 4 && param != 8) return gl11::SetError(c, GL_INVALID_VALUE);
  if (pname == GL_UNPACK_ALIGNMENT) {
    c->unpack_alignment = param;
  } else if (pname == GL_PACK_ALIGNMENT) {
    c->pack_alignment = param;
  } else {
    gl11::SetError(c, GL_INVALID_ENUM);
  }
}

GLenum glGetError() {
  Context* c = gl11::Current();
  if (!c) return GL_NO_ERROR;
  GLenum error = c->error;
  c->error = GL_NO_ERROR;
  return error;
}

void glGetIntegerv(GLenum pname, GLint* params) {
  Context* c = gl11::Current();
  if (!c) return;
  switch (pname) {
    case GL_UNPACK_ALIGNMENT:
      *params = c->unpack_alignment;
      break;
    case GL_PACK_ALIGNMENT:
      *params = c->pack_alignment;
      break;
    case GL_MATRIX_MODE:
      *params = c->matrix_mode == 0 ? GL_MODELVIEW : c->matrix_mode == 1 ? GL_PROJECTION : GL_TEXTURE;
      break;
    case GL_TEXTURE_BINDING_2D:
      *params = static_cast<GLint>(c->bound_texture);
      break;
    case GL_VIEWPORT:
      memcpy(params, c->viewport, sizeof c->viewport);
      break;
    case GL_DEPTH_FUNC:
      *params = static_cast<GLint>(c->depth_func);
      break;
    case GL_FOG_MODE:
      *params = static_cast<GLint>(c->fog_mode);
      break;
    default:
      gl11::SetError(c, GL_INVALID_ENUM);
  }
}

void glGetFloatv(GLenum pname, GLfloat* params) {
  Context* c = gl11::Current();
  if (!c) return;
  switch (pname) {
    case GL_MODELVIEW_MATRIX:
      memcpy(params, c->stacks[0].back().m, sizeof(float) * 16);
      break;
    case GL_PROJECTION_MATRIX:
      memcpy(params, c->stacks[1].back().m, sizeof(float) * 16);
      break;
    case GL_CURRENT_COLOR:
      memcpy(params, c->colour, sizeof c->colour);
      break;
    case GL_COLOR_CLEAR_VALUE:
      memcpy(params, c->clear_colour, sizeof c->clear_colour);
      break;
    case GL_FOG_DENSITY:
      *params = c->fog_density;
      break;
    default:
      gl11::SetError(c, GL_INVALID_ENUM);
  }
}

void glFinish() {}

void glFlush() {}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
  Context* c = gl11::Current();
  if (!c) return;
  if (width < 0 || height < 0) return gl11::SetError(c, GL_INVALID_VALUE);
  if ((format != GL_RGB && format != GL_RGBA) || type != GL_UNSIGNED_BYTE) return gl11::SetError(c, GL_INVALID_ENUM);
  if (c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  // WebGL reads RGBA only: read that, then lay the rows out as asked, each row padded to the pack alignment.
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  gl11::PageReadPixels(x, y, width, height, rgba.data());
  size_t channels = format == GL_RGB ? 3 : 4;
  size_t alignment = static_cast<size_t>(c->pack_alignment);
  size_t stride = (static_cast<size_t>(width) * channels + alignment - 1) / alignment * alignment;
  uint8_t* out = static_cast<uint8_t*>(pixels);
  for (GLsizei row = 0; row < height; ++row) {
    for (GLsizei column = 0; column < width; ++column) {
      const uint8_t* from = &rgba[(static_cast<size_t>(row) * width + column) * 4];
      memcpy(out + row * stride + column * channels, from, channels);
    }
  }
}

}  // extern "C"
