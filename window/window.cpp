// The game window and its rendering context, the window procedure and the projection.
#include "window/window.h"

#include <cstring>

#include "app/globals.h"
#include "platform/gl.h"
#include "window/scene_init.h"

namespace {

constexpr const char* kClassName = "OpenGL";

// The pixel format is completed once, on the first creation, and kept for every later window.
void CompletePixelFormat(int bits) {
  if (g_game.pixel_format_complete) return;
  g_game.pixel_format_complete = true;
  OsPixelFormat& format = g_game.pixel_format;
  format.color_bits = static_cast<uint8_t>(bits);
  format.depth_bits = 16;
  format.layer_type = kPfdMainPlane;
}

void ShowCreationError(const char* text) { OsShowMessageBox(nullptr, text, "ERROR", kMbOk | kMbIconExclamation); }

void ShowShutdownError(const char* text) {
  OsShowMessageBox(nullptr, text, "SHUTDOWN ERROR", kMbOk | kMbIconInformation);
}

// Releases what was made so far, then tells the player why the window could not be made.
bool FailCreation(const char* text) {
  DestroyGameWindow();
  ShowCreationError(text);
  return false;
}

}  // namespace

bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreen) {
  g_game.fullscreen = fullscreen;
  OsRect rect = {0, 0, width, height};
  g_game.instance_handle = OsGetModuleHandle();

  OsWindowClass window_class = {kCsHRedraw | kCsVRedraw | kCsOwnDc, GameWindowProc, g_game.instance_handle,
                                kIdiWinLogo, kIdcArrow, kClassName};
  if (!OsRegisterWindowClass(&window_class)) {
    ShowCreationError("Failed To Register The Window Class.");
    return false;
  }

  if (g_game.fullscreen) {
    OsDisplayMode mode = {};
    mode.width = static_cast<uint32_t>(width);
    mode.height = static_cast<uint32_t>(height);
    mode.bits_per_pixel = static_cast<uint32_t>(bits);
    mode.fields = kDmBitsPerPel | kDmPelsWidth | kDmPelsHeight;
    if (OsChangeDisplayMode(&mode, kCdsFullscreen) != kDispChangeSuccessful) {
      if (OsShowMessageBox(nullptr,
                           "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
                           "Instead?",
                           "Quillo GL", kMbYesNo | kMbIconExclamation) == kIdYes) {
        g_game.fullscreen = false;
      } else {
        OsShowMessageBox(nullptr, "Program Will Now Close.", "ERROR", kMbOk | kMbIconStop);
        return false;
      }
    }
  }

  if (g_game.mouse_look == 1) {
    OsShowCursor(false);
  } else if (g_game.mouse_look == 0) {
    OsShowCursor(true);
  }

  uint32_t ex_style;
  uint32_t style;
  if (g_game.fullscreen) {
    ex_style = kWsExAppWindow;
    style = kWsPopup;
  } else {
    ex_style = kWsExAppWindow | kWsExWindowEdge;
    style = kWsOverlappedWindow;
  }
  OsAdjustWindowRect(&rect, style, false, ex_style);

  g_game.window_handle = OsCreateWindow(ex_style, kClassName, title, style | kWsClipSiblings | kWsClipChildren, 0,
                                        0, rect.right - rect.left, rect.bottom - rect.top, g_game.instance_handle);
  if (!g_game.window_handle) return FailCreation("Window Creation Error.");

  CompletePixelFormat(bits);

  g_game.device_context = OsGetDeviceContext(g_game.window_handle);
  if (!g_game.device_context) return FailCreation("Can't Create A GL Device Context.");
  int pixel_format = OsChoosePixelFormat(g_game.device_context, &g_game.pixel_format);
  if (!pixel_format) return FailCreation("Can't Find A Suitable PixelFormat.");
  if (!OsSetPixelFormat(g_game.device_context, pixel_format, &g_game.pixel_format)) {
    return FailCreation("Can't Set The PixelFormat.");
  }
  g_game.render_context = OsCreateGlContext(g_game.device_context);
  if (!g_game.render_context) return FailCreation("Can't Create A GL Rendering Context.");
  if (!OsMakeGlContextCurrent(g_game.device_context, g_game.render_context)) {
    return FailCreation("Can't Activate The GL Rendering Context.");
  }

  OsShowWindow(g_game.window_handle, kSwShow);
  OsSetForegroundWindow(g_game.window_handle);
  OsSetFocus(g_game.window_handle);
  ResizeScene(width, height);
  if (!InitScene()) return FailCreation("Initialization Failed.");
  return true;
}

void DestroyGameWindow() {
  if (g_game.fullscreen) {
    OsChangeDisplayMode(nullptr, 0);
    OsShowCursor(true);
  }
  if (g_game.render_context) {
    if (!OsMakeGlContextCurrent(nullptr, nullptr)) ShowShutdownError("Release Of DC And RC Failed.");
    if (!OsDeleteGlContext(g_game.render_context)) ShowShutdownError("Release Rendering Context Failed.");
    g_game.render_context = nullptr;
  }
  if (g_game.device_context) {
    if (!OsReleaseDeviceContext(g_game.window_handle, g_game.device_context)) {
      ShowShutdownError("Release Device Context Failed.");
    }
    g_game.device_context = nullptr;
  }
  if (g_game.window_handle) {
    if (!OsDestroyWindow(g_game.window_handle)) ShowShutdownError("Could Not Release hWnd.");
    g_game.window_handle = nullptr;
  }
  if (!OsUnregisterWindowClass(kClassName, g_game.instance_handle)) ShowShutdownError("Could Not Unregister Class.");
  g_game.instance_handle = nullptr;
}

intptr_t GameWindowProc(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case kWmActivate:
      g_game.window_active = ((wparam >> 16) & 0xFFFF) == 0;
      return 0;
    case kWmSysCommand:
      if (wparam == kScScreenSave || wparam == kScMonitorPower) return 0;
      break;
    case kWmClose:
      OsPostQuitMessage(0);
      return 0;
    case kWmKeyDown:
      if (wparam < 256) g_game.key_down[wparam] = 1;
      return 0;
    case kWmKeyUp:
      if (wparam < 256) g_game.key_down[wparam] = 0;
      return 0;
    case kWmSize:
      ResizeScene(static_cast<int>(lparam & 0xFFFF), static_cast<int>((lparam >> 16) & 0xFFFF));
      return 0;
  }
  return OsDefaultWindowProc(window, message, wparam, lparam);
}

void ResizeScene(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), static_cast<double>(0.1f), 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
