// Offscreen contexts on Windows: a window that is never shown, with a double-buffered pixel format, drawn into
// its back buffer (which is what glReadPixels reads in a double-buffered context).
#include <windows.h>

#include <GL/gl.h>

#include "platform/offscreen.h"

struct OffscreenGl {
  HWND window;
  HDC device_context;
  HGLRC context;
  int width;
  int height;
};

namespace {

constexpr const char* kClassName = "GorvaneOffscreen";

// The context made current through this file, for OffscreenCurrentSize.
OffscreenGl* s_current = nullptr;

bool RegisterOnce() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA window_class = {};
  window_class.style = CS_OWNDC;
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kClassName;
  registered = RegisterClassA(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

}  // namespace

OffscreenGl* OffscreenCreate(int width, int height) {
  width = width > 0 ? width : 1;
  height = height > 0 ? height : 1;
  if (!RegisterOnce()) return nullptr;
  HWND window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return nullptr;
  HDC device_context = GetDC(window);
  PIXELFORMATDESCRIPTOR request = {};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 24;
  request.cDepthBits = 16;
  request.iLayerType = PFD_MAIN_PLANE;
  int format = device_context ? ChoosePixelFormat(device_context, &request) : 0;
  HGLRC context = nullptr;
  if (format && SetPixelFormat(device_context, format, &request)) context = wglCreateContext(device_context);
  if (!context) {
    if (device_context) ReleaseDC(window, device_context);
    DestroyWindow(window);
    return nullptr;
  }
  return new OffscreenGl{window, device_context, context, width, height};
}

bool OffscreenMakeCurrent(OffscreenGl* gl) {
  bool made = gl ? wglMakeCurrent(gl->device_context, gl->context) != FALSE : wglMakeCurrent(nullptr, nullptr) != FALSE;
  if (made) s_current = gl;
  return made;
}

void OffscreenDestroy(OffscreenGl* gl) {
  if (!gl) return;
  if (wglGetCurrentContext() == gl->context) {
    wglMakeCurrent(nullptr, nullptr);
    s_current = nullptr;
  }
  wglDeleteContext(gl->context);
  ReleaseDC(gl->window, gl->device_context);
  DestroyWindow(gl->window);
  delete gl;
}

bool OffscreenCurrentSize(int* width, int* height) {
  if (!s_current || wglGetCurrentContext() != s_current->context) return false;
  *width = s_current->width;
  *height = s_current->height;
  return true;
}
