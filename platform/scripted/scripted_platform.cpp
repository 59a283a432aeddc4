// The scripted backend: the test bench. Messages come from a queue the test fills, message boxes answer from a
// script, any step of window creation and teardown can be made to fail, the clocks advance a fixed step per
// reading, and drawing goes to a real offscreen context (platform/offscreen.h).
#include "platform/scripted/scripted.h"

#include <chrono>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <memory>

#include "platform/offscreen.h"
#include "platform/os.h"

struct OsWindowRecord {
  std::string class_name;
  OsWindowProc window_proc = nullptr;
  int width = 0;
  int height = 0;
  bool alive = true;
};

struct OsDeviceContextRecord {
  OsWindowRecord* window = nullptr;  // null for a test's own offscreen context
  int width = 0;
  int height = 0;
  int pixel_format = 0;
  uint8_t depth_bits = 16;
  bool released = false;
};

struct OsGlContextRecord {
  OffscreenGl* gl = nullptr;
};

namespace {

struct RegisteredClass {
  std::string name;
  OsWindowProc window_proc;
};

struct Backend {
  ScriptedState state;
  std::vector<RegisteredClass> classes;
  std::vector<std::unique_ptr<OsWindowRecord>> windows;
  std::vector<std::unique_ptr<OsDeviceContextRecord>> device_contexts;
  std::vector<std::unique_ptr<OsGlContextRecord>> gl_contexts;
  OsWindowRecord* focus = nullptr;
};

Backend s_backend;

bool Fails(ScriptedStep step) { return s_backend.state.fail[static_cast<int>(step)]; }

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  s_backend.state.calls.emplace_back(line);
}

OsGlContextRecord* MakeGlContext(int width, int height) {
  OffscreenGl* gl = OffscreenCreate(width, height);
  if (!gl) {
    fprintf(stderr, "scripted backend: no offscreen OpenGL context\n");
    return nullptr;
  }
  auto record = std::make_unique<OsGlContextRecord>();
  record->gl = gl;
  s_backend.gl_contexts.push_back(std::move(record));
  s_backend.state.live_gl_contexts++;
  return s_backend.gl_contexts.back().get();
}

bool FreeGlContext(OsGlContextRecord* record) {
  for (auto it = s_backend.gl_contexts.begin(); it != s_backend.gl_contexts.end(); ++it) {
    if (it->get() != record) continue;
    OffscreenDestroy(record->gl);
    s_backend.gl_contexts.erase(it);
    s_backend.state.live_gl_contexts--;
    return true;
  }
  return false;
}

OsWindowRecord* NewestLiveWindow() {
  for (auto it = s_backend.windows.rbegin(); it != s_backend.windows.rend(); ++it) {
    if ((*it)->alive) return it->get();
  }
  return nullptr;
}

}  // namespace

ScriptedState& Scripted() { return s_backend.state; }

void ScriptedReset() {
  while (!s_backend.gl_contexts.empty()) FreeGlContext(s_backend.gl_contexts.back().get());
  s_backend.classes.clear();
  s_backend.windows.clear();
  s_backend.device_contexts.clear();
  s_backend.focus = nullptr;
  s_backend.state = ScriptedState{};
}

std::vector<std::string> TakeShownMessages() {
  ScriptedState& state = s_backend.state;
  std::vector<std::string> taken;
  // A test may have cleared the record since.
  if (state.messages_taken > state.message_boxes.size()) state.messages_taken = 0;
  for (; state.messages_taken < state.message_boxes.size(); state.messages_taken++) {
    taken.push_back(state.message_boxes[state.messages_taken].text);
  }
  return taken;
}

std::vector<SoundRequest> TakeSoundRequests() {
  ScriptedState& state = s_backend.state;
  if (state.sounds_taken > state.sounds.size()) state.sounds_taken = 0;
  std::vector<SoundRequest> taken(state.sounds.begin() + static_cast<std::ptrdiff_t>(state.sounds_taken),
                                  state.sounds.end());
  state.sounds_taken = state.sounds.size();
  return taken;
}

void ScriptedPostMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  s_backend.state.messages.push_back({NewestLiveWindow(), message, wparam, lparam});
}

void ScriptedKeyDown(uint32_t virtual_key) { ScriptedPostMessage(kWmKeyDown, virtual_key, 0); }
void ScriptedKeyUp(uint32_t virtual_key) { ScriptedPostMessage(kWmKeyUp, virtual_key, 0); }

void ScriptedFail(ScriptedStep step, bool fail) { s_backend.state.fail[static_cast<int>(step)] = fail; }

ScriptedGlContext::ScriptedGlContext(int width, int height) {
  auto device_context = std::make_unique<OsDeviceContextRecord>();
  device_context->width = width;
  device_context->height = height;
  device_context_ = device_context.get();
  s_backend.device_contexts.push_back(std::move(device_context));
  gl_context_ = OsCreateGlContext(device_context_);
  if (gl_context_ && !OsMakeGlContextCurrent(device_context_, gl_context_)) {
    OsDeleteGlContext(gl_context_);
    gl_context_ = nullptr;
  }
}

ScriptedGlContext::~ScriptedGlContext() {
  if (gl_context_) {
    OsMakeGlContextCurrent(nullptr, nullptr);
    OsDeleteGlContext(gl_context_);
  }
}

int OsShowMessageBox(OsWindow owner, const char* text, const char* caption, uint32_t style) {
  ScriptedState& state = s_backend.state;
  int answer = (style & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
  if (!state.answers.empty()) {
    answer = state.answers.front();
    state.answers.pop_front();
  }
  state.message_boxes.push_back({text ? text : "", caption ? caption : "", style, owner, answer});
  Log("MessageBox %s: %s style=0x%x -> %d", caption ? caption : "", text ? text : "", style, answer);
  return answer;
}

bool OsPeekMessage(OsMessage* message) {
  ScriptedState& state = s_backend.state;
  if (state.messages.empty()) return false;
  *message = state.messages.front();
  state.messages.pop_front();
  return true;
}

void OsTranslateMessage(const OsMessage*) {}

intptr_t OsDispatchMessage(const OsMessage* message) {
  OsWindowRecord* window = reinterpret_cast<OsWindowRecord*>(message->window);
  if (!window || !window->alive || !window->window_proc) return 0;
  return window->window_proc(message->window, message->message, message->wparam, message->lparam);
}

void OsPostQuitMessage(int exit_code) {
  s_backend.state.messages.push_back({nullptr, kWmQuit, static_cast<uintptr_t>(exit_code), 0});
  Log("PostQuitMessage %d", exit_code);
}

intptr_t OsDefaultWindowProc(OsWindow, uint32_t message, uintptr_t wparam, intptr_t) {
  Log("DefaultWindowProc 0x%x 0x%lx", message, static_cast<unsigned long>(wparam));
  return 0;
}

OsInstance OsGetModuleHandle() {
  static int module;
  return reinterpret_cast<OsInstance>(&module);
}

uint16_t OsRegisterWindowClass(const OsWindowClass* window_class) {
  Log("RegisterClass %s style=0x%x icon=%u cursor=%u", window_class->class_name, window_class->style,
      window_class->icon_id, window_class->cursor_id);
  if (Fails(ScriptedStep::kRegisterClass)) return 0;
  for (const RegisteredClass& c : s_backend.classes) {
    if (c.name == window_class->class_name) return 0;  // already registered, as Windows refuses it
  }
  s_backend.classes.push_back({window_class->class_name, window_class->window_proc});
  s_backend.state.registered_classes.push_back({window_class->class_name, window_class->style,
                                                window_class->window_proc, window_class->instance,
                                                window_class->icon_id, window_class->cursor_id});
  s_backend.state.class_registered = true;
  return static_cast<uint16_t>(s_backend.classes.size());
}

bool OsUnregisterWindowClass(const char* class_name, OsInstance) {
  Log("UnregisterClass %s", class_name);
  if (Fails(ScriptedStep::kUnregisterClass)) return false;
  for (auto it = s_backend.classes.begin(); it != s_backend.classes.end(); ++it) {
    if (it->name == class_name) {
      s_backend.classes.erase(it);
      s_backend.state.class_registered = !s_backend.classes.empty();
      return true;
    }
  }
  return false;
}

int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t flags) {
  if (!mode) {
    Log("ChangeDisplayMode restore");
    s_backend.state.display_mode_changed = false;
    return kDispChangeSuccessful;
  }
  int32_t result = Fails(ScriptedStep::kChangeDisplayMode) ? kDispChangeBadMode : kDispChangeSuccessful;
  Log("ChangeDisplayMode %ux%ux%u fields=0x%x flags=0x%x -> %d", mode->width, mode->height, mode->bits_per_pixel,
      mode->fields, flags, result);
  if (result == kDispChangeSuccessful) s_backend.state.display_mode_changed = true;
  return result;
}

int OsShowCursor(bool show) {
  int counter = s_backend.state.cursor_counter += show ? 1 : -1;
  Log("ShowCursor %d -> %d", show ? 1 : 0, counter);
  return counter;
}

bool OsGetCursorPos(OsPoint* point) {
  *point = s_backend.state.cursor;
  return true;
}

bool OsSetCursorPos(int x, int y) {
  s_backend.state.cursor = {x, y};
  Log("SetCursorPos %d,%d", x, y);
  return true;
}

OsRect ScriptedWindowFrame(uint32_t style, bool has_menu, uint32_t ex_style) {
  constexpr uint32_t kBorder = 0x00800000, kDialogFrame = 0x00400000, kCaption = kBorder | kDialogFrame;
  constexpr uint32_t kThickFrame = 0x00040000;
  constexpr uint32_t kExDialogModalFrame = 0x00000001, kExClientEdge = 0x00000200;
  int side = 0;
  if ((style & (kThickFrame | kDialogFrame)) || (ex_style & kExDialogModalFrame)) side = 2;
  if (style & kThickFrame) side += 1;
  if ((style & kCaption) || (ex_style & kExDialogModalFrame)) side += 1;
  if (ex_style & kExClientEdge) side += 2;
  int top = side;
  if ((style & kCaption) == kCaption) top += 19;
  if (has_menu) top += 20;
  return {-side, -top, side, side};
}

bool OsAdjustWindowRect(OsRect* rect, uint32_t style, bool has_menu, uint32_t ex_style) {
  OsRect client = *rect;
  OsRect frame = ScriptedWindowFrame(style, has_menu, ex_style);
  rect->left += frame.left;
  rect->top += frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  s_backend.state.adjustments.push_back({client, style, has_menu, ex_style, *rect});
  Log("AdjustWindowRect %d,%d,%d,%d style=0x%x menu=%d ex=0x%x -> %d,%d,%d,%d", client.left, client.top,
      client.right, client.bottom, style, has_menu ? 1 : 0, ex_style, rect->left, rect->top, rect->right,
      rect->bottom);
  return true;
}

OsWindow OsCreateWindow(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x, int y,
                        int width, int height, OsInstance) {
  Log("CreateWindow ex=0x%x class=%s title=%s style=0x%x at %d,%d size %dx%d", ex_style, class_name, title, style, x,
      y, width, height);
  if (Fails(ScriptedStep::kCreateWindow)) return nullptr;
  const RegisteredClass* window_class = nullptr;
  for (const RegisteredClass& c : s_backend.classes) {
    if (c.name == class_name) window_class = &c;
  }
  if (!window_class) return nullptr;
  auto window = std::make_unique<OsWindowRecord>();
  window->class_name = class_name;
  window->window_proc = window_class->window_proc;
  // The client area, and so the drawing surface, is what the frame leaves of the window.
  OsRect frame = ScriptedWindowFrame(style, false, ex_style);
  window->width = width - (frame.right - frame.left);
  window->height = height - (frame.bottom - frame.top);
  s_backend.windows.push_back(std::move(window));
  s_backend.state.windows.push_back({class_name, title, ex_style, style, x, y, width, height, false,
                                     s_backend.windows.back()->width, s_backend.windows.back()->height});
  s_backend.state.live_windows++;
  return reinterpret_cast<OsWindow>(s_backend.windows.back().get());
}

bool OsDestroyWindow(OsWindow window) {
  Log("DestroyWindow");
  if (Fails(ScriptedStep::kDestroyWindow)) return false;
  OsWindowRecord* record = reinterpret_cast<OsWindowRecord*>(window);
  if (!record || !record->alive) return false;
  record->alive = false;
  if (s_backend.focus == record) s_backend.focus = nullptr;
  s_backend.state.live_windows--;
  // Messages still queued for the window go nowhere, as they would for a destroyed window.
  return true;
}

void OsShowWindow(OsWindow, int show_command) {
  Log("ShowWindow %d", show_command);
  if (!s_backend.state.windows.empty()) s_backend.state.windows.back().visible = true;
}

void OsSetForegroundWindow(OsWindow) { Log("SetForegroundWindow"); }

void OsSetFocus(OsWindow window) {
  Log("SetFocus");
  s_backend.focus = reinterpret_cast<OsWindowRecord*>(window);
}

OsWindow OsGetFocus() { return reinterpret_cast<OsWindow>(s_backend.focus); }

OsDeviceContext OsGetDeviceContext(OsWindow window) {
  Log("GetDC");
  if (Fails(ScriptedStep::kGetDeviceContext)) return nullptr;
  OsWindowRecord* record = reinterpret_cast<OsWindowRecord*>(window);
  if (!record || !record->alive) return nullptr;
  auto device_context = std::make_unique<OsDeviceContextRecord>();
  device_context->window = record;
  device_context->width = record->width;
  device_context->height = record->height;
  s_backend.device_contexts.push_back(std::move(device_context));
  return s_backend.device_contexts.back().get();
}

bool OsReleaseDeviceContext(OsWindow, OsDeviceContext device_context) {
  Log("ReleaseDC");
  if (Fails(ScriptedStep::kReleaseDeviceContext)) return false;
  if (!device_context || device_context->released) return false;
  device_context->released = true;
  return true;
}

int OsChoosePixelFormat(OsDeviceContext, const OsPixelFormat* request) {
  Log("ChoosePixelFormat size=%u version=%u flags=0x%x type=%u colour=%u depth=%u stencil=%u", request->size,
      request->version, request->flags, request->pixel_type, request->color_bits, request->depth_bits,
      request->stencil_bits);
  if (Fails(ScriptedStep::kChoosePixelFormat)) return 0;
  return 1;
}

bool OsSetPixelFormat(OsDeviceContext device_context, int format, const OsPixelFormat* request) {
  Log("SetPixelFormat %d", format);
  if (Fails(ScriptedStep::kSetPixelFormat)) return false;
  device_context->pixel_format = format;
  device_context->depth_bits = request->depth_bits;
  return true;
}

OsGlContext OsCreateGlContext(OsDeviceContext device_context) {
  Log("CreateContext");
  if (Fails(ScriptedStep::kCreateGlContext) || !device_context) return nullptr;
  return MakeGlContext(device_context->width, device_context->height);
}

bool OsMakeGlContextCurrent(OsDeviceContext device_context, OsGlContext gl_context) {
  if (!gl_context) {
    Log("MakeCurrent none");
    if (Fails(ScriptedStep::kReleaseCurrent)) return false;
    OffscreenMakeCurrent(nullptr);
    return true;
  }
  Log("MakeCurrent");
  if (Fails(ScriptedStep::kMakeCurrent) || !device_context) return false;
  return OffscreenMakeCurrent(gl_context->gl);
}

bool OsDeleteGlContext(OsGlContext gl_context) {
  Log("DeleteContext");
  if (Fails(ScriptedStep::kDeleteGlContext)) return false;
  return FreeGlContext(gl_context);
}

bool OsSwapBuffers(OsDeviceContext) {
  ScriptedState& state = s_backend.state;
  int swap = ++state.swaps;
  if (state.on_swap) state.on_swap(swap);
  state.counts_since_swap = 0;
  if (swap == state.swap_limit) {
    fprintf(stderr, "scripted backend: %d swaps reached, closing the window\n", swap);
    ScriptedPostMessage(kWmClose);
  }
  return true;
}

bool OsQueryPerformanceFrequency(int64_t* counts_per_second) {
  if (!s_backend.state.has_performance_counter) {
    *counts_per_second = 0;
    return false;
  }
  *counts_per_second = s_backend.state.real_clock ? 1000000000 : s_backend.state.counts_per_second;
  return true;
}

bool OsQueryPerformanceCounter(int64_t* count) {
  ScriptedState& state = s_backend.state;
  if (state.real_clock) {
    state.counter = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
  } else {
    state.counter += state.counter_step;
  }
  *count = state.counter;
  if (state.counts_since_swap++ == 0) state.first_count_since_swap = state.counter;
  state.last_count = state.counter;
  return true;
}

uint32_t OsTimeGetTime() {
  ScriptedState& state = s_backend.state;
  state.mm_time += state.mm_step;
  return state.mm_time;
}

bool OsPlaySound(const char* file_name, uint32_t flags) {
  s_backend.state.sounds.push_back({file_name ? file_name : "", flags});
  Log("PlaySound %s 0x%x", file_name ? file_name : "(none)", flags);
  return true;
}
