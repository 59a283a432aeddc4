// The SDL2 backend: windows, display mode, OpenGL context, message boxes, cursor and clocks. Native events are
// turned into the window messages the game's window procedure handles, carrying Windows virtual-key codes.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_video.h"

struct OsWindowRecord {
  std::string class_name;
  std::string title;
  OsWindowProc window_proc = nullptr;
  uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  // The SDL window is made when the pixel format is set, because SDL fixes the visual at window creation.
  SDL_Window* sdl_window = nullptr;
  bool minimised = false;
};

struct OsDeviceContextRecord {
  OsWindowRecord* window = nullptr;
};

struct OsGlContextRecord {
  SDL_GLContext context = nullptr;
  OsWindowRecord* window = nullptr;
};

namespace {

struct RegisteredClass {
  std::string name;
  OsWindowProc window_proc;
};

struct SdlBackend {
  bool video_ready = false;
  std::vector<RegisteredClass> classes;
  std::vector<std::unique_ptr<OsWindowRecord>> windows;
  std::vector<std::unique_ptr<OsDeviceContextRecord>> device_contexts;
  std::deque<OsMessage> messages;
  // The 640x480 mode the display accepted, used by the next fullscreen window.
  bool fullscreen_mode_set = false;
  SDL_DisplayMode fullscreen_mode = {};
  int cursor_counter = 0;
  // Where the desktop forbids moving the pointer, the pointer is held in relative mode while mouse look moves it,
  // and the cursor is emulated from relative motion.
  bool cursor_emulated = false;
  OsPoint emulated_cursor = {0, 0};
  // The pointer was read and not moved since: one more reading means mouse look has been switched off.
  bool read_without_move = false;
};

SdlBackend s_sdl;

bool EnsureVideo() {
  if (s_sdl.video_ready) return true;
  if (!SdlStartVideo("gorvane")) return false;
  atexit(SDL_Quit);
  s_sdl.video_ready = true;
  // The game may have hidden the cursor before any window existed (a windowed start does).
  SDL_ShowCursor(s_sdl.cursor_counter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return true;
}

OsWindowRecord* FindWindow(SDL_Window* sdl_window) {
  for (auto& window : s_sdl.windows) {
    if (window->sdl_window && window->sdl_window == sdl_window) return window.get();
  }
  return nullptr;
}

OsWindowRecord* FindWindowById(uint32_t id) { return FindWindow(SDL_GetWindowFromID(id)); }

intptr_t MakeSizeParam(int width, int height) {
  return static_cast<intptr_t>((static_cast<uint32_t>(height & 0xFFFF) << 16) | static_cast<uint32_t>(width & 0xFFFF));
}

void Post(OsWindowRecord* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  s_sdl.messages.push_back({reinterpret_cast<OsWindow>(window), message, wparam, lparam});
}

void TranslateKey(const SDL_KeyboardEvent& event) {
  uint32_t virtual_key = SdlVirtualKey(event.keysym.sym);
  OsWindowRecord* window = FindWindowById(event.windowID);
  if (!virtual_key || !window) return;
  // As on Windows, Alt and keys pressed with Alt held are system keys, which the game does not record.
  bool system = virtual_key == kVkMenu || virtual_key == kVkF1 + 9 || (event.keysym.mod & KMOD_ALT);
  bool down = event.type == SDL_KEYDOWN;
  uint32_t message = system ? (down ? kWmSysKeyDown : kWmSysKeyUp) : (down ? kWmKeyDown : kWmKeyUp);
  uint32_t flags = 1u | (static_cast<uint32_t>(event.keysym.scancode & 0xFF) << 16);
  if (event.repeat) flags |= 1u << 30;
  if (!down) flags |= 3u << 30;
  Post(window, message, virtual_key, static_cast<intptr_t>(static_cast<int32_t>(flags)));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  OsWindowRecord* window = FindWindowById(event.windowID);
  if (!window) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (!window->minimised) Post(window, kWmSize, 0, MakeSizeParam(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      window->minimised = true;
      Post(window, kWmSize, 1, MakeSizeParam(0, 0));
      Post(window, kWmActivate, 1u << 16, 0);
      break;
    case SDL_WINDOWEVENT_RESTORED: {
      window->minimised = false;
      int width = 0, height = 0;
      SDL_GetWindowSize(window->sdl_window, &width, &height);
      Post(window, kWmActivate, 1, 0);
      Post(window, kWmSize, 0, MakeSizeParam(width, height));
      break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Post(window, kWmActivate, 1u | (window->minimised ? 1u << 16 : 0u), 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Post(window, kWmActivate, window->minimised ? 1u << 16 : 0u, 0);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      Post(window, kWmClose, 0, 0);
      break;
    default:
      break;
  }
}

void PumpEvents() {
  if (!s_sdl.video_ready) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        TranslateKey(event.key);
        break;
      case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
      case SDL_MOUSEMOTION:
        if (s_sdl.cursor_emulated) {
          s_sdl.emulated_cursor.x += event.motion.xrel;
          s_sdl.emulated_cursor.y += event.motion.yrel;
        }
        break;
      case SDL_QUIT: {
        // A termination request closes the window, as the close button does.
        OsWindowRecord* target = nullptr;
        for (auto& window : s_sdl.windows) {
          if (window->sdl_window) target = window.get();
        }
        if (target) {
          Post(target, kWmClose, 0, 0);
        } else {
          OsPostQuitMessage(0);
        }
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace

SdlMessageBoxLayout SdlMessageBoxFor(uint32_t style) {
  bool yes_no = (style & 0x0F) == kMbYesNo;
  uint32_t icon = style & 0xF0;
  SdlMessageBoxLayout layout = {};
  // SDL has no question box: the information box is the nearest.
  layout.flags = icon == kMbIconStop          ? SDL_MESSAGEBOX_ERROR
                 : icon == kMbIconExclamation ? SDL_MESSAGEBOX_WARNING
                                              : SDL_MESSAGEBOX_INFORMATION;
  if (yes_no) {
    // Yes, then No, and neither answers Escape: a Yes/No box has no way out but its two buttons.
    layout.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    layout.button_count = 2;
    layout.buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "Yes"};
    layout.buttons[1] = {0, kIdNo, "No"};
  } else {
    layout.button_count = 1;
    layout.buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk, "OK"};
  }
  return layout;
}

int OsShowMessageBox(OsWindow owner, const char* text, const char* caption, uint32_t style) {
  bool yes_no = (style & 0x0F) == kMbYesNo;
  int escape_answer = yes_no ? kIdNo : kIdOk;
  SdlMessageBoxLayout layout = SdlMessageBoxFor(style);
  OsWindowRecord* owner_record = reinterpret_cast<OsWindowRecord*>(owner);
  SDL_MessageBoxData data = {};
  data.flags = layout.flags;
  data.window = owner_record ? owner_record->sdl_window : nullptr;
  data.title = caption;
  data.message = text;
  data.numbuttons = layout.button_count;
  data.buttons = layout.buttons;
  for (;;) {
    int answer = -1;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
      // No box can be shown (no display): the player still learns what happened, and gets the Escape answer.
      fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
      return escape_answer;
    }
    if (answer >= 0) return answer;
    // Closed without an answer (its window's close button): a Yes/No question is asked again until answered.
    if (!yes_no) return escape_answer;
  }
}

bool OsPeekMessage(OsMessage* message) {
  if (s_sdl.messages.empty()) PumpEvents();
  if (s_sdl.messages.empty()) return false;
  *message = s_sdl.messages.front();
  s_sdl.messages.pop_front();
  return true;
}

void OsTranslateMessage(const OsMessage*) {}

intptr_t OsDispatchMessage(const OsMessage* message) {
  OsWindowRecord* window = reinterpret_cast<OsWindowRecord*>(message->window);
  bool alive = false;
  for (auto& record : s_sdl.windows) alive = alive || record.get() == window;
  if (!alive || !window->window_proc) return 0;
  return window->window_proc(message->window, message->message, message->wparam, message->lparam);
}

void OsPostQuitMessage(int exit_code) {
  s_sdl.messages.push_back({nullptr, kWmQuit, static_cast<uintptr_t>(exit_code), 0});
}

intptr_t OsDefaultWindowProc(OsWindow, uint32_t, uintptr_t, intptr_t) { return 0; }

OsInstance OsGetModuleHandle() {
  static int module;
  return reinterpret_cast<OsInstance>(&module);
}

uint16_t OsRegisterWindowClass(const OsWindowClass* window_class) {
  for (const RegisteredClass& c : s_sdl.classes) {
    if (c.name == window_class->class_name) return 0;
  }
  s_sdl.classes.push_back({window_class->class_name, window_class->window_proc});
  return static_cast<uint16_t>(s_sdl.classes.size());
}

bool OsUnregisterWindowClass(const char* class_name, OsInstance) {
  for (auto it = s_sdl.classes.begin(); it != s_sdl.classes.end(); ++it) {
    if (it->name == class_name) {
      s_sdl.classes.erase(it);
      return true;
    }
  }
  return false;
}

int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t) {
  if (!mode) {
    // The fullscreen window gives the display back its own mode when it goes.
    s_sdl.fullscreen_mode_set = false;
    return kDispChangeSuccessful;
  }
  if (!EnsureVideo()) return kDispChangeFailed;
  // SDL never reports a refused mode, so look for the size ourselves. Any colour depth will do: desktops today
  // have no 16-bit modes, and the 16 bits are asked of the pixel format instead.
  int count = SDL_GetNumDisplayModes(0);
  bool found = false;
  SDL_DisplayMode best = {};
  for (int i = 0; i < count; i++) {
    SDL_DisplayMode candidate;
    if (SDL_GetDisplayMode(0, i, &candidate) != 0) continue;
    if (candidate.w != static_cast<int>(mode->width) || candidate.h != static_cast<int>(mode->height)) continue;
    if (!found || static_cast<uint32_t>(SDL_BITSPERPIXEL(candidate.format)) == mode->bits_per_pixel) best = candidate;
    found = true;
  }
  if (!found) return kDispChangeBadMode;
  s_sdl.fullscreen_mode = best;
  s_sdl.fullscreen_mode_set = true;
  return kDispChangeSuccessful;
}

SDL_Window* SdlWindowOf(OsWindow window) {
  return window ? reinterpret_cast<OsWindowRecord*>(window)->sdl_window : nullptr;
}

bool SdlPointerCaptured() { return s_sdl.cursor_emulated; }

int OsShowCursor(bool show) {
  s_sdl.cursor_counter += show ? 1 : -1;
  if (s_sdl.video_ready) SDL_ShowCursor(s_sdl.cursor_counter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return s_sdl.cursor_counter;
}

bool OsGetCursorPos(OsPoint* point) {
  if (s_sdl.cursor_emulated && s_sdl.read_without_move) {
    // Mouse look reads and moves the pointer every frame; a frame that only reads it lets it go.
    s_sdl.cursor_emulated = false;
    SDL_SetRelativeMouseMode(SDL_FALSE);
  }
  s_sdl.read_without_move = true;
  if (s_sdl.cursor_emulated) {
    *point = s_sdl.emulated_cursor;
    return true;
  }
  // On X11 SDL's global mouse state can lag behind a pointer moved by another client; ask the server.
  for (auto& window : s_sdl.windows) {
    if (!window->sdl_window) continue;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window->sdl_window, &info) && info.subsystem == SDL_SYSWM_X11) {
      Display* display = info.info.x11.display;
      ::Window root, child;
      int root_x = 0, root_y = 0, window_x = 0, window_y = 0;
      unsigned int mask = 0;
      if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &root_x, &root_y, &window_x, &window_y,
                        &mask)) {
        *point = {root_x, root_y};
        return true;
      }
    }
    break;
  }
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  *point = {x, y};
  return true;
}

bool OsSetCursorPos(int x, int y) {
  if (!s_sdl.video_ready) return false;
  s_sdl.read_without_move = false;
  if (!s_sdl.cursor_emulated && SDL_WarpMouseGlobal(x, y) == 0) return true;
  if (!s_sdl.cursor_emulated) {
    // The desktop will not let us move the pointer: take relative motion instead and keep our own cursor.
    s_sdl.cursor_emulated = true;
    SDL_SetRelativeMouseMode(SDL_TRUE);
  }
  s_sdl.emulated_cursor = {x, y};
  return true;
}

bool OsAdjustWindowRect(OsRect*, uint32_t, bool, uint32_t) {
  // SDL sizes windows by their client area, so the rectangle needs no frame added.
  return true;
}

OsWindow OsCreateWindow(uint32_t, const char* class_name, const char* title, uint32_t style, int x, int y, int width,
                        int height, OsInstance) {
  if (!EnsureVideo()) return nullptr;
  const RegisteredClass* window_class = nullptr;
  for (const RegisteredClass& c : s_sdl.classes) {
    if (c.name == class_name) window_class = &c;
  }
  if (!window_class) return nullptr;
  auto window = std::make_unique<OsWindowRecord>();
  window->class_name = class_name;
  window->title = title;
  window->window_proc = window_class->window_proc;
  window->style = style;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  s_sdl.windows.push_back(std::move(window));
  return reinterpret_cast<OsWindow>(s_sdl.windows.back().get());
}

bool OsDestroyWindow(OsWindow window) {
  for (auto it = s_sdl.windows.begin(); it != s_sdl.windows.end(); ++it) {
    if (reinterpret_cast<OsWindow>(it->get()) != window) continue;
    if ((*it)->sdl_window) SDL_DestroyWindow((*it)->sdl_window);
    // Messages still queued for the window go nowhere.
    for (OsMessage& message : s_sdl.messages) {
      if (message.window == window) message.window = nullptr;
    }
    s_sdl.windows.erase(it);
    if (s_sdl.windows.empty()) SDL_EnableScreenSaver();
    return true;
  }
  return false;
}

void OsShowWindow(OsWindow window, int) {
  OsWindowRecord* record = reinterpret_cast<OsWindowRecord*>(window);
  if (!record || !record->sdl_window) return;
  // The screen saver stays off while the game's window exists.
  SDL_DisableScreenSaver();
  SDL_ShowWindow(record->sdl_window);
}

void OsSetForegroundWindow(OsWindow window) {
  OsWindowRecord* record = reinterpret_cast<OsWindowRecord*>(window);
  if (record && record->sdl_window) SDL_RaiseWindow(record->sdl_window);
}

void OsSetFocus(OsWindow window) {
  OsWindowRecord* record = reinterpret_cast<OsWindowRecord*>(window);
  if (record && record->sdl_window) SDL_SetWindowInputFocus(record->sdl_window);
}

OsWindow OsGetFocus() {
  if (!s_sdl.video_ready) return nullptr;
  return reinterpret_cast<OsWindow>(FindWindow(SDL_GetKeyboardFocus()));
}

OsDeviceContext OsGetDeviceContext(OsWindow window) {
  if (!window) return nullptr;
  auto device_context = std::make_unique<OsDeviceContextRecord>();
  device_context->window = reinterpret_cast<OsWindowRecord*>(window);
  s_sdl.device_contexts.push_back(std::move(device_context));
  return s_sdl.device_contexts.back().get();
}

bool OsReleaseDeviceContext(OsWindow, OsDeviceContext device_context) {
  for (auto it = s_sdl.device_contexts.begin(); it != s_sdl.device_contexts.end(); ++it) {
    if (it->get() == device_context) {
      s_sdl.device_contexts.erase(it);
      return true;
    }
  }
  return false;
}

SdlGlAttributes SdlGlAttributesFor(const OsPixelFormat& request) {
  // A 16-bit format is 5 bits a channel (the sixth of green is the display's business); more is 8.
  return {request.color_bits <= 16 ? 5 : 8, request.alpha_bits, request.depth_bits, request.stencil_bits,
          (request.flags & kPfdDoubleBuffer) != 0};
}

int OsChoosePixelFormat(OsDeviceContext device_context, const OsPixelFormat* request) {
  if (!device_context || !(request->flags & kPfdSupportOpenGl) || request->pixel_type != kPfdTypeRgba) return 0;
  return 1;
}

bool OsSetPixelFormat(OsDeviceContext device_context, int format, const OsPixelFormat* request) {
  OsWindowRecord* window = device_context ? device_context->window : nullptr;
  if (!window || format != 1 || window->sdl_window) return false;
  const SdlGlAttributes asked = SdlGlAttributesFor(*request);
  SdlAskPixelFormat(asked.channel_bits, asked.alpha_bits, asked.depth_bits, asked.stencil_bits, asked.double_buffer);

  bool fullscreen = (window->style & kWsPopup) && s_sdl.fullscreen_mode_set;
  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (fullscreen) {
    flags |= SDL_WINDOW_FULLSCREEN;
  } else if ((window->style & kWsOverlappedWindow) == kWsOverlappedWindow) {
    flags |= SDL_WINDOW_RESIZABLE;
  } else {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  window->sdl_window =
      SDL_CreateWindow(window->title.c_str(), window->x, window->y, window->width, window->height, flags);
  if (!window->sdl_window) {
    fprintf(stderr, "gorvane: no window with that pixel format: %s\n", SDL_GetError());
    return false;
  }
  if (fullscreen) SDL_SetWindowDisplayMode(window->sdl_window, &s_sdl.fullscreen_mode);
  return true;
}

OsGlContext OsCreateGlContext(OsDeviceContext device_context) {
  OsWindowRecord* window = device_context ? device_context->window : nullptr;
  if (!window || !window->sdl_window) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(window->sdl_window);
  if (!context) {
    fprintf(stderr, "gorvane: no OpenGL context: %s\n", SDL_GetError());
    return nullptr;
  }
  auto* record = new OsGlContextRecord{context, window};
  return record;
}

bool OsMakeGlContextCurrent(OsDeviceContext device_context, OsGlContext gl_context) {
  if (!gl_context) {
    if (!s_sdl.video_ready) return true;
    return SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr) == 0;
  }
  OsWindowRecord* window = device_context ? device_context->window : nullptr;
  if (!window || !window->sdl_window) return false;
  return SDL_GL_MakeCurrent(window->sdl_window, gl_context->context) == 0;
}

bool OsDeleteGlContext(OsGlContext gl_context) {
  if (!gl_context) return false;
  SDL_GL_DeleteContext(gl_context->context);
  delete gl_context;
  return true;
}

bool OsSwapBuffers(OsDeviceContext device_context) {
  if (!device_context || !device_context->window->sdl_window) return false;
  SDL_GL_SwapWindow(device_context->window->sdl_window);
  return true;
}

bool OsQueryPerformanceFrequency(int64_t* counts_per_second) {
  *counts_per_second = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return *counts_per_second != 0;
}

bool OsQueryPerformanceCounter(int64_t* count) {
  *count = static_cast<int64_t>(SDL_GetPerformanceCounter());
  return true;
}

uint32_t OsTimeGetTime() { return SDL_GetTicks(); }

bool OsPlaySound(const char* file_name, uint32_t flags) { return SdlPlaySound(file_name, flags); }
