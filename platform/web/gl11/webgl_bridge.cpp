// The calls into the page's WebGL side (page/webgl.js), one line each.
#include "platform/web/gl11/webgl_bridge.h"

#include <emscripten.h>

#include <cstddef>

static_assert(sizeof(gl11::DrawState) == 4 * 53, "the page reads the draw state as 53 four-byte fields");
static_assert(offsetof(gl11::DrawState, vertices) == 4 * 52, "the page reads the draw state as 53 four-byte fields");

EM_JS(int, JsCreateGlContext, (int page_window), { return GorvaneGl.createContext(page_window); });
EM_JS(void, JsDeleteGlContext, (int context), { GorvaneGl.deleteContext(context); });
EM_JS(void, JsMakeGlCurrent, (int context), { GorvaneGl.makeCurrent(context); });
EM_JS(void, JsViewport, (int x, int y, int width, int height), { GorvaneGl.viewport(x, y, width, height); });
EM_JS(void, JsClear, (unsigned mask, const float* colour, float depth), { GorvaneGl.clear(mask, colour, depth); });
EM_JS(void, JsDraw, (const void* state), { GorvaneGl.draw(state); });
EM_JS(int, JsCreateBuffer, (const void* vertices, int count), { return GorvaneGl.createBuffer(vertices, count); });
EM_JS(void, JsDeleteBuffer, (int buffer), { GorvaneGl.deleteBuffer(buffer); });
EM_JS(void, JsTexImage, (unsigned name, int width, int height, unsigned format, const void* pixels, int alignment),
      { GorvaneGl.texImage(name, width, height, format, pixels, alignment); });
EM_JS(void, JsTexParameter, (unsigned name, unsigned parameter, int value),
      { GorvaneGl.texParameter(name, parameter, value); });
EM_JS(void, JsDeleteTexture, (unsigned name), { GorvaneGl.deleteTexture(name); });
EM_JS(void, JsReadPixels, (int x, int y, int width, int height, void* rgba),
      { GorvaneGl.readPixels(x, y, width, height, rgba); });

namespace gl11 {

int PageCreateGlContext(int page_window) { return JsCreateGlContext(page_window); }
void PageDeleteGlContext(int page_context) { JsDeleteGlContext(page_context); }
void PageMakeGlCurrent(int page_context) { JsMakeGlCurrent(page_context); }
void PageViewport(int x, int y, int width, int height) { JsViewport(x, y, width, height); }
void PageClear(uint32_t mask, const float* colour, float depth) { JsClear(mask, colour, depth); }
void PageDraw(const DrawState* state) { JsDraw(state); }
int PageCreateBuffer(const void* vertices, int count) { return JsCreateBuffer(vertices, count); }
void PageDeleteBuffer(int buffer) { JsDeleteBuffer(buffer); }
void PageTexImage(uint32_t name, int width, int height, uint32_t format, const void* pixels, int alignment) {
  JsTexImage(name, width, height, format, pixels, alignment);
}
void PageTexParameter(uint32_t name, uint32_t parameter, int value) { JsTexParameter(name, parameter, value); }
void PageDeleteTexture(uint32_t name) { JsDeleteTexture(name); }
void PageReadPixels(int x, int y, int width, int height, void* rgba) { JsReadPixels(x, y, width, height, rgba); }

}  // namespace gl11
