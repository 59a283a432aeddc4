// Offscreen contexts from EGL on its surfaceless platform (Mesa): a pbuffer surface of the asked size, no
// display server needed.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "platform/offscreen.h"

struct OffscreenGl {
  EGLContext context;
  EGLSurface surface;
  int width;
  int height;
};

namespace {

// The EGL display lives for the whole process: initialising it once keeps contexts cheap to make.
struct EglDisplay {
  bool tried = false;
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
};

EglDisplay s_egl;

bool EnsureDisplay() {
  if (s_egl.tried) return s_egl.display != EGL_NO_DISPLAY;
  s_egl.tried = true;
  auto get_platform_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_platform_display) return false;
  EGLDisplay display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) return false;
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return false;
  if (!eglBindAPI(EGL_OPENGL_API)) return false;
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                               EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                               EGL_BLUE_SIZE,    8,               EGL_DEPTH_SIZE,      16,
                               EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display, attributes, &s_egl.config, 1, &count) || count < 1) return false;
  s_egl.display = display;
  return true;
}

}  // namespace

OffscreenGl* OffscreenCreate(int width, int height) {
  if (!EnsureDisplay()) return nullptr;
  width = width > 0 ? width : 1;
  height = height > 0 ? height : 1;
  const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(s_egl.display, s_egl.config, surface_attributes);
  if (surface == EGL_NO_SURFACE) return nullptr;
  EGLContext context = eglCreateContext(s_egl.display, s_egl.config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    eglDestroySurface(s_egl.display, surface);
    return nullptr;
  }
  return new OffscreenGl{context, surface, width, height};
}

bool OffscreenMakeCurrent(OffscreenGl* gl) {
  if (!gl) {
    return s_egl.display == EGL_NO_DISPLAY ||
           eglMakeCurrent(s_egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  return eglMakeCurrent(s_egl.display, gl->surface, gl->surface, gl->context);
}

void OffscreenDestroy(OffscreenGl* gl) {
  if (!gl) return;
  if (eglGetCurrentContext() == gl->context) {
    eglMakeCurrent(s_egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  eglDestroyContext(s_egl.display, gl->context);
  eglDestroySurface(s_egl.display, gl->surface);
  delete gl;
}

bool OffscreenCurrentSize(int* width, int* height) {
  EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
  if (surface == EGL_NO_SURFACE) return false;
  EGLint w = 0, h = 0;
  eglQuerySurface(s_egl.display, surface, EGL_WIDTH, &w);
  eglQuerySurface(s_egl.display, surface, EGL_HEIGHT, &h);
  *width = w;
  *height = h;
  return true;
}
