// Texture names, images and filters. GL 1.1 takes the number of components (3, 4) or a sized format (GL_RGB8)
// as the internal format; WebGL wants the format itself, so each is mapped to the format of the pixels it holds.
#include "platform/web/gl11/gl_context.h"
#include "platform/web/gl11/webgl_bridge.h"

using gl11::Context;

namespace {

// The WebGL format a GL 1.1 internal format stores, 0 when this layer keeps none of that kind.
GLenum StoredFormat(GLint internal_format) {
  switch (internal_format) {
    case 3:
    case GL_RGB:
    case GL_RGB8:
      return GL_RGB;
    case 4:
    case GL_RGBA:
    case GL_RGBA8:
      return GL_RGBA;
    default:
      return 0;
  }
}

}  // namespace

extern "C" {

void glGenTextures(GLsizei n, GLuint* textures) {
  Context* c = gl11::Current();
  if (!c) return;
  if (n < 0) return gl11::SetError(c, GL_INVALID_VALUE);
  for (GLsizei i = 0; i < n; ++i) {
    while (c->textures.count(c->next_texture)) ++c->next_texture;
    textures[i] = c->next_texture;
    c->textures[c->next_texture++];
  }
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  Context* c = gl11::Current();
  if (!c) return;
  if (n < 0) return gl11::SetError(c, GL_INVALID_VALUE);
  for (GLsizei i = 0; i < n; ++i) {
    if (textures[i] == 0 || !c->textures.erase(textures[i])) continue;
    gl11::PageDeleteTexture(textures[i]);
    if (c->bound_texture == textures[i]) c->bound_texture = 0;
  }
}

GLboolean glIsTexture(GLuint texture) {
  Context* c = gl11::Current();
  return c && texture != 0 && c->textures.count(texture) ? GL_TRUE : GL_FALSE;
}

void glBindTexture(GLenum target, GLuint texture) {
  Context* c = gl11::Current();
  if (!c) return;
  if (target != GL_TEXTURE_2D) return gl11::SetError(c, GL_INVALID_ENUM);
  if (c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  auto bind = [c, texture] {
    // Binding a name never given out makes it a texture, as in GL 1.1.
    if (texture != 0) c->textures[texture];
    c->bound_texture = texture;
  };
  if (gl11::Record(c, bind)) bind();
}

void glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
  Context* c = gl11::Current();
  if (!c) return;
  if (target != GL_TEXTURE_2D || (format != GL_RGB && format != GL_RGBA) || type != GL_UNSIGNED_BYTE) {
    return gl11::SetError(c, GL_INVALID_ENUM);
  }
  GLenum stored = StoredFormat(internal_format);
  if (!stored || width < 0 || height < 0 || border != 0 || level < 0) return gl11::SetError(c, GL_INVALID_VALUE);
  if (c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  // Only level 0 is kept: the game makes no mipmaps, and its filters need none.
  if (level != 0 || c->bound_texture == 0 || !pixels) return;
  if (stored != format) return gl11::SetError(c, GL_INVALID_OPERATION);
  gl11::Texture& texture = c->textures[c->bound_texture];
  texture.has_image = width > 0 && height > 0;
  texture.width = width;
  texture.height = height;
  gl11::PageTexImage(c->bound_texture, width, height, format, pixels, c->unpack_alignment);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  Context* c = gl11::Current();
  if (!c) return;
  if (target != GL_TEXTURE_2D) return gl11::SetError(c, GL_INVALID_ENUM);
  if (c->in_begin) return gl11::SetError(c, GL_INVALID_OPERATION);
  if (pname != GL_TEXTURE_MIN_FILTER && pname != GL_TEXTURE_MAG_FILTER && pname != GL_TEXTURE_WRAP_S &&
      pname != GL_TEXTURE_WRAP_T) {
    return gl11::SetError(c, GL_INVALID_ENUM);
  }
  if (c->bound_texture == 0) return;
  if (pname == GL_TEXTURE_MIN_FILTER) c->textures[c->bound_texture].min_filter = static_cast<GLenum>(param);
  // GL_CLAMP of GL 1.1 is the nearest WebGL has to edge clamping.
  if (param == GL_CLAMP) param = GL_CLAMP_TO_EDGE;
  gl11::PageTexParameter(c->bound_texture, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
  glTexParameteri(target, pname, static_cast<GLint>(param));
}

}  // extern "C"
