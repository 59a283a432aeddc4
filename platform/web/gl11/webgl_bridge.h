// The page's side of the OpenGL 1.1 layer: a WebGL context per game window, one shader that does GL_MODULATE
// texturing and GL_EXP fog, vertex buffers and textures by number. Implemented in JavaScript (page/webgl.js).
#pragma once

#include <cstdint>

namespace gl11 {

// Everything one draw needs, read by the page straight from memory; all fields are 4 bytes.
struct DrawState {
  float modelview[16];
  float projection[16];
  float colour[4];    // for corners that carry none
  float texcoord[2];  // likewise
  int32_t colour_array;    // 1: corners carry their colour
  int32_t texcoord_array;  // 1: corners carry their texture coordinate
  int32_t texture;         // the GL texture name to sample, 0 for none
  int32_t fog;             // 1: GL_EXP fog
  float fog_density;
  float fog_colour[4];
  int32_t depth_test;
  int32_t depth_func;
  int32_t buffer;  // 0: the corners at vertices; else a list's buffer
  int32_t first;
  int32_t count;
  int32_t vertices;  // address of count corners when buffer is 0
};

// A new WebGL context on the canvas of the given page window; 0 when the browser gives none.
int PageCreateGlContext(int page_window);
void PageDeleteGlContext(int page_context);
void PageMakeGlCurrent(int page_context);

void PageViewport(int x, int y, int width, int height);
// Clears with the given colour and depth; mask holds GL_COLOR_BUFFER_BIT and GL_DEPTH_BUFFER_BIT.
void PageClear(uint32_t mask, const float* colour, float depth);
void PageDraw(const DrawState* state);

// A vertex buffer holding count corners; 0 when it could not be made.
int PageCreateBuffer(const void* vertices, int count);
void PageDeleteBuffer(int buffer);

// Uploads a level 0 image (format and type as GL names them) into texture name, which is made if new.
void PageTexImage(uint32_t name, int width, int height, uint32_t format, const void* pixels, int alignment);
void PageTexParameter(uint32_t name, uint32_t parameter, int value);
void PageDeleteTexture(uint32_t name);
// Reads RGBA pixels, rows bottom first, tightly packed.
void PageReadPixels(int x, int y, int width, int height, void* rgba);

}  // namespace gl11
