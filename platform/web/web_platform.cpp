// The browser backend: the page's canvas is the game window, its dialogs are the message boxes, fullscreen is the
// display mode, pointer lock moves the pointer, Web Audio plays the sounds, and the OpenGL 1.1 layer (gl11/)
// draws over WebGL. Key events are turned into the window messages the game's window procedure handles, with
// the browser's key codes, which are Windows virtual-key codes.
//
// The program runs as one long call that yields to the browser (asyncify): a message box waits for its answer,
// and the frame's wait, which reads the clock again and again, sleeps a millisecond before each of its readings,
// so the page never spins and the browser shows the frame and hands over input meanwhile.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/web/gl11/gl_context.h"
#include "platform/web/gl11/webgl_bridge.h"

struct OsWindowRecord {
  std::string class_name;
  OsWindowProc window_proc = nullptr;
  uint32_t style = 0;
  int width = 0;
  int height = 0;
  int page_window = 0;  // the page's canvas
  bool minimised = false;
};

struct OsDeviceContextRecord {
  OsWindowRecord* window = nullptr;
  bool format_set = false;
};

struct OsGlContextRecord {
  gl11::Context* context = nullptr;
};

namespace {

EM_ASYNC_JS(int, PageAsk, (const char* text, const char* caption, int style),
            { return await GorvanePage.ask(UTF8ToString(text), UTF8ToString(caption), style); });
EM_ASYNC_JS(int, PageEnterFullscreen, (), { return await GorvanePage.enterFullscreen(); });
EM_JS(void, PageLeaveFullscreen, (), { GorvanePage.leaveFullscreen(); });
EM_JS(int, PageCreateWindow, (const char* title, int width, int height),
      { return GorvanePage.createWindow(UTF8ToString(title), width, height); });
EM_JS(void, PageShowWindow, (int id), { GorvanePage.showWindow(id); });
EM_JS(void, PageDestroyWindow, (int id), { GorvanePage.destroyWindow(id); });
EM_JS(void, PageShowCursor, (int shown), { GorvanePage.showCursor(shown); });
EM_JS(void, PageWantPointer, (int wanted), { GorvanePage.wantPointer(wanted); });
EM_ASYNC_JS(void, PageSleep, (double ms), { await GorvanePage.sleep(ms); });
EM_JS(void, PagePlaySound, (const char* name, int loop, int frame),
      { GorvanePage.sound.play(UTF8ToString(name), loop, frame); });
EM_JS(void, PageFrameDone, (int frames), { GorvanePage.frameDone(frames); });

struct RegisteredClass {
  std::string name;
  OsWindowProc window_proc;
};

struct WebBackend {
  bool events_ready = false;
  std::vector<RegisteredClass> classes;
  std::vector<std::unique_ptr<OsWindowRecord>> windows;
  std::vector<std::unique_ptr<OsDeviceContextRecord>> device_contexts;
  std::deque<OsMessage> messages;
  // A dialog is up: keys belong to it, as they belong to a message box on the desktop.
  bool in_box = false;
  // The page is fullscreen for the game: the display mode it asked for.
  bool holds_fullscreen = false;
  int cursor_counter = 0;
  // The pointer as the game sees it, moved by the mouse while the page holds the pointer; it rests at the middle
  // of the canvas at start, so the first frame turns nothing.
  OsPoint cursor = {320, 240};
  bool pointer_wanted = false;
  // The pointer was read and not moved since: one more reading means mouse look has been switched off.
  bool read_without_move = false;
  // Where the loop is in a frame, told by the calls it makes: no message waiting starts a frame, whose first clock
  // reading is its start and every later one its wait, until the buffer swap.
  enum class Frame { kNone, kStarting, kDrawing, kWaiting } frame = Frame::kNone;
  int frames = 0;
};

WebBackend s_web;

// A clock reading of the frame's wait: the first tells the page that the frame is drawn (before the browser shows
// it), and each yields to the browser for a millisecond first. Every frame waits at least once, so every frame
// yields, however long it took to draw.
void WaitIfWaiting() {
  switch (s_web.frame) {
    case WebBackend::Frame::kStarting:
      s_web.frame = WebBackend::Frame::kDrawing;
      return;
    case WebBackend::Frame::kDrawing:
      s_web.frame = WebBackend::Frame::kWaiting;
      PageFrameDone(++s_web.frames);
      PageSleep(1);
      return;
    case WebBackend::Frame::kWaiting:
      PageSleep(1);
      return;
    case WebBackend::Frame::kNone:
      return;
  }
}

// The lparam of a size message: width in the low word, height in the high word.
intptr_t MakeSizeParam(int width, int height) {
  return static_cast<intptr_t>((static_cast<uint32_t>(height & 0xFFFF) << 16) | static_cast<uint32_t>(width & 0xFFFF));
}

// The game's window, the one made last; null while there is none.
OsWindowRecord* TopWindow() { return s_web.windows.empty() ? nullptr : s_web.windows.back().get(); }

// Queues a message for the loop to take with OsPeekMessage.
void Post(OsWindowRecord* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  s_web.messages.push_back({reinterpret_cast<OsWindow>(window), message, wparam, lparam});
}

// A key pressed or let go in the page, as the key message Windows would send the game's window.
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
  OsWindowRecord* window = TopWindow();
  uint32_t virtual_key = static_cast<uint32_t>(event->keyCode);
  if (!window || s_web.in_box || virtual_key == 0 || virtual_key > 255) return EM_FALSE;
  // As on Windows, Alt, F10 and keys pressed with Alt held are system keys, which the game does not record.
  bool system = virtual_key == kVkMenu || virtual_key == kVkF1 + 9 || event->altKey;
  bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  uint32_t message = system ? (down ? kWmSysKeyDown : kWmSysKeyUp) : (down ? kWmKeyDown : kWmKeyUp);
  uint32_t flags = 1u;
  if (event->repeat) flags |= 1u << 30;
  if (!down) flags |= 3u << 30;
  Post(window, message, virtual_key, static_cast<intptr_t>(static_cast<int32_t>(flags)));
  // The browser keeps its own keys (reload, its fullscreen, developer tools, anything with Ctrl); every other key
  // is the game's alone, so F1 opens no help page and the arrows scroll nothing.
  bool browser = event->ctrlKey || event->metaKey || virtual_key == 116 || virtual_key == 122 || virtual_key == 123;
  return browser ? EM_FALSE : EM_TRUE;
}

// The mouse moves the game's pointer while the page holds the pointer.
EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
  EmscriptenPointerlockChangeEvent lock;
  if (emscripten_get_pointerlock_status(&lock) == EMSCRIPTEN_RESULT_SUCCESS && lock.isActive) {
    s_web.cursor.x += static_cast<int32_t>(event->movementX);
    s_web.cursor.y += static_cast<int32_t>(event->movementY);
  }
  return EM_FALSE;
}

// Listens to the page's keys and mouse from the first window on.
void EnsureEvents() {
  if (s_web.events_ready) return;
  s_web.events_ready = true;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, OnMouseMove);
}

}  // namespace

// The browser left fullscreen by itself (the player pressed Escape, or switched away): the game hears what a
// desktop game hears when it loses its display mode, that its window was minimised.
extern "C" EMSCRIPTEN_KEEPALIVE void WebPageModeLost() {
  OsWindowRecord* window = TopWindow();
  if (!window || window->minimised) return;
  window->minimised = true;
  Post(window, kWmSize, 1, MakeSizeParam(0, 0));
  Post(window, kWmActivate, 1u << 16, 0);
}

// The player took the game back to fullscreen: the window is restored.
extern "C" EMSCRIPTEN_KEEPALIVE void WebPageModeRegained() {
  OsWindowRecord* window = TopWindow();
  if (!window || !window->minimised) return;
  window->minimised = false;
  Post(window, kWmActivate, 1, 0);
  Post(window, kWmSize, 0, MakeSizeParam(window->width, window->height));
}

int OsShowMessageBox(OsWindow, const char* text, const char* caption, uint32_t style) {
  s_web.in_box = true;
  int answer = PageAsk(text ? text : "", caption ? caption : "", static_cast<int>(style));
  s_web.in_box = false;
  return answer;
}

bool OsPeekMessage(OsMessage* message) {
  EnsureEvents();
  s_web.frame = s_web.messages.empty() ? WebBackend::Frame::kStarting : WebBackend::Frame::kNone;
  if (s_web.messages.empty()) return false;
  *message = s_web.messages.front();
  s_web.messages.pop_front();
  return true;
}

void OsTranslateMessage(const OsMessage*) {}

intptr_t OsDispatchMessage(const OsMessage* message) {
  OsWindowRecord* window = reinterpret_cast<OsWindowRecord*>(message->window);
  bool alive = false;
  for (auto& record : s_web.windows) alive = alive || record.get() == window;
  if (!alive || !window->window_proc) return 0;
  return window->window_proc(message->window, message->message, message->wparam, message->lparam);
}

void OsPostQuitMessage(int exit_code) {
  s_web.messages.push_back({nullptr, kWmQuit, static_cast<uintptr_t>(exit_code), 0});
}

intptr_t OsDefaultWindowProc(OsWindow, uint32_t, uintptr_t, intptr_t) { return 0; }

OsInstance OsGetModuleHandle() {
  static int module;
  return reinterpret_cast<OsInstance>(&module);
}

uint16_t OsRegisterWindowClass(const OsWindowClass* window_class) {
  for (const RegisteredClass& c : s_web.classes) {
    if (c.name == window_class->class_name) return 0;
  }
  s_web.classes.push_back({window_class->class_name, window_class->window_proc});
  return static_cast<uint16_t>(s_web.classes.size());
}

bool OsUnregisterWindowClass(const char* class_name, OsInstance) {
  for (auto it = s_web.classes.begin(); it != s_web.classes.end(); ++it) {
    if (it->name == class_name) {
      s_web.classes.erase(it);
      return true;
    }
  }
  return false;
}

int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t) {
  if (!mode) {
    if (s_web.holds_fullscreen) PageLeaveFullscreen();
    s_web.holds_fullscreen = false;
    return kDispChangeSuccessful;
  }
  // The canvas keeps its 640x480 pixels and the browser scales them to the screen, as a monitor shows a 640x480
  // mode. Browsers allow fullscreen only soon after a click or a key, and some never (a frame without the
  // permission): a refusal is a mode the display does not have.
  if (!PageEnterFullscreen()) return kDispChangeFailed;
  s_web.holds_fullscreen = true;
  return kDispChangeSuccessful;
}

int OsShowCursor(bool show) {
  s_web.cursor_counter += show ? 1 : -1;
  PageShowCursor(s_web.cursor_counter >= 0);
  return s_web.cursor_counter;
}

bool OsGetCursorPos(OsPoint* point) {
  if (s_web.pointer_wanted && s_web.read_without_move) {
    // Mouse look reads and moves the pointer every frame; a frame that only reads it lets it go.
    s_web.pointer_wanted = false;
    PageWantPointer(0);
  }
  s_web.read_without_move = true;
  *point = s_web.cursor;
  return true;
}

bool OsSetCursorPos(int x, int y) {
  s_web.read_without_move = false;
  if (!s_web.pointer_wanted) {
    // A page may move no pointer: it holds the pointer instead (pointer lock) and counts the mouse's motion.
    s_web.pointer_wanted = true;
    PageWantPointer(1);
  }
  s_web.cursor = {x, y};
  return true;
}

bool OsAdjustWindowRect(OsRect*, uint32_t, bool, uint32_t) {
  // The canvas is the client area: no frame to add.
  return true;
}

OsWindow OsCreateWindow(uint32_t, const char* class_name, const char* title, uint32_t style, int, int, int width,
                        int height, OsInstance) {
  EnsureEvents();
  const RegisteredClass* window_class = nullptr;
  for (const RegisteredClass& c : s_web.classes) {
    if (c.name == class_name) window_class = &c;
  }
  if (!window_class) return nullptr;
  auto window = std::make_unique<OsWindowRecord>();
  window->class_name = class_name;
  window->window_proc = window_class->window_proc;
  window->style = style;
  window->width = width;
  window->height = height;
  window->page_window = PageCreateWindow(title ? title : "", width, height);
  if (!window->page_window) return nullptr;
  s_web.windows.push_back(std::move(window));
  return reinterpret_cast<OsWindow>(s_web.windows.back().get());
}

bool OsDestroyWindow(OsWindow window) {
  for (auto it = s_web.windows.begin(); it != s_web.windows.end(); ++it) {
    if (reinterpret_cast<OsWindow>(it->get()) != window) continue;
    PageDestroyWindow((*it)->page_window);
    // Messages still queued for the window go nowhere.
    for (OsMessage& message : s_web.messages) {
      if (message.window == window) message.window = nullptr;
    }
    s_web.windows.erase(it);
    return true;
  }
  return false;
}

void OsShowWindow(OsWindow window, int) {
  if (window) PageShowWindow(reinterpret_cast<OsWindowRecord*>(window)->page_window);
}

void OsSetForegroundWindow(OsWindow) {}

void OsSetFocus(OsWindow) {}

OsWindow OsGetFocus() {
  return reinterpret_cast<OsWindow>(TopWindow());
}

OsDeviceContext OsGetDeviceContext(OsWindow window) {
  if (!window) return nullptr;
  auto device_context = std::make_unique<OsDeviceContextRecord>();
  device_context->window = reinterpret_cast<OsWindowRecord*>(window);
  s_web.device_contexts.push_back(std::move(device_context));
  return s_web.device_contexts.back().get();
}

bool OsReleaseDeviceContext(OsWindow, OsDeviceContext device_context) {
  for (auto it = s_web.device_contexts.begin(); it != s_web.device_contexts.end(); ++it) {
    if (it->get() == device_context) {
      s_web.device_contexts.erase(it);
      return true;
    }
  }
  return false;
}

int OsChoosePixelFormat(OsDeviceContext device_context, const OsPixelFormat* request) {
  if (!device_context || !(request->flags & kPfdSupportOpenGl) || request->pixel_type != kPfdTypeRgba) return 0;
  return 1;
}

bool OsSetPixelFormat(OsDeviceContext device_context, int format, const OsPixelFormat*) {
  // WebGL gives 8 bits a channel and a depth buffer of at least 16 bits, whatever is asked.
  if (!device_context || format != 1 || device_context->format_set) return false;
  device_context->format_set = true;
  return true;
}

OsGlContext OsCreateGlContext(OsDeviceContext device_context) {
  if (!device_context || !device_context->format_set) return nullptr;
  int page_context = gl11::PageCreateGlContext(device_context->window->page_window);
  if (!page_context) return nullptr;
  return new OsGlContextRecord{gl11::CreateContext(page_context)};
}

bool OsMakeGlContextCurrent(OsDeviceContext device_context, OsGlContext gl_context) {
  if (!gl_context) {
    gl11::MakeCurrent(nullptr);
    return true;
  }
  if (!device_context) return false;
  gl11::MakeCurrent(gl_context->context);
  return true;
}

bool OsDeleteGlContext(OsGlContext gl_context) {
  if (!gl_context) return false;
  int page_context = gl_context->context->page_context;
  gl11::DeleteContext(gl_context->context);
  gl11::PageDeleteGlContext(page_context);
  delete gl_context;
  return true;
}

bool OsSwapBuffers(OsDeviceContext device_context) {
  s_web.frame = WebBackend::Frame::kNone;
  // The browser shows what was drawn when the program yields, which it does in the frame's wait.
  return device_context != nullptr;
}

bool OsQueryPerformanceFrequency(int64_t* counts_per_second) {
  *counts_per_second = 1000000;
  return true;
}

bool OsQueryPerformanceCounter(int64_t* count) {
  WaitIfWaiting();
  *count = static_cast<int64_t>(emscripten_get_now() * 1000.0);
  return true;
}

uint32_t OsTimeGetTime() {
  WaitIfWaiting();
  return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

bool OsPlaySound(const char* file_name, uint32_t flags) {
  PagePlaySound(file_name ? file_name : "", (flags & kSndLoop) ? 1 : 0, s_web.frames);
  return true;
}
