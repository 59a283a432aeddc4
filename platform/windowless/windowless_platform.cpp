// The backend of programs that draw the game's pictures without a game window of their own (the asset tool):
// message boxes become text the program takes, sound requests wait until the program takes them, the cursor is
// wherever the program last put it, the clocks are the system's own, and every call that would make a window,
// a device context or a display mode fails as it would on a system without a display. Pictures are drawn into
// a hidden context (platform/offscreen.h); a window of the program's own is a service of its own
// (platform/preview_window.h).
#include <chrono>
#include <deque>

#include "platform/os.h"
#include "platform/windowless.h"

namespace {

// Requests kept for a program that does not take them.
constexpr size_t kMostSoundRequests = 256;

struct WindowlessBackend {
  std::vector<std::string> messages;
  std::deque<SoundRequest> sounds;
  OsPoint cursor = {0, 0};
  int cursor_counter = 0;
};

WindowlessBackend s_windowless;

int64_t NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::vector<std::string> TakeShownMessages() {
  std::vector<std::string> taken;
  taken.swap(s_windowless.messages);
  return taken;
}

std::vector<SoundRequest> TakeSoundRequests() {
  std::vector<SoundRequest> taken(s_windowless.sounds.begin(), s_windowless.sounds.end());
  s_windowless.sounds.clear();
  return taken;
}

int OsShowMessageBox(OsWindow, const char* text, const char*, uint32_t style) {
  s_windowless.messages.emplace_back(text ? text : "");
  // No one is there to answer: the answer Escape gives.
  return (style & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
}

bool OsPeekMessage(OsMessage*) { return false; }
void OsTranslateMessage(const OsMessage*) {}
intptr_t OsDispatchMessage(const OsMessage*) { return 0; }
void OsPostQuitMessage(int) {}
intptr_t OsDefaultWindowProc(OsWindow, uint32_t, uintptr_t, intptr_t) { return 0; }

OsInstance OsGetModuleHandle() {
  static int module;
  return reinterpret_cast<OsInstance>(&module);
}

uint16_t OsRegisterWindowClass(const OsWindowClass*) { return 0; }
bool OsUnregisterWindowClass(const char*, OsInstance) { return false; }

int32_t OsChangeDisplayMode(const OsDisplayMode* mode, uint32_t) {
  return mode ? kDispChangeFailed : kDispChangeSuccessful;
}

int OsShowCursor(bool show) { return s_windowless.cursor_counter += show ? 1 : -1; }

bool OsGetCursorPos(OsPoint* point) {
  *point = s_windowless.cursor;
  return true;
}

bool OsSetCursorPos(int x, int y) {
  s_windowless.cursor = {x, y};
  return true;
}

bool OsAdjustWindowRect(OsRect*, uint32_t, bool, uint32_t) { return true; }
OsWindow OsCreateWindow(uint32_t, const char*, const char*, uint32_t, int, int, int, int, OsInstance) {
  return nullptr;
}
bool OsDestroyWindow(OsWindow) { return false; }
void OsShowWindow(OsWindow, int) {}
void OsSetForegroundWindow(OsWindow) {}
void OsSetFocus(OsWindow) {}
OsWindow OsGetFocus() { return nullptr; }

OsDeviceContext OsGetDeviceContext(OsWindow) { return nullptr; }
bool OsReleaseDeviceContext(OsWindow, OsDeviceContext) { return false; }
int OsChoosePixelFormat(OsDeviceContext, const OsPixelFormat*) { return 0; }
bool OsSetPixelFormat(OsDeviceContext, int, const OsPixelFormat*) { return false; }
OsGlContext OsCreateGlContext(OsDeviceContext) { return nullptr; }
// Making no context current always works; the program's hidden context is made current through its own service.
bool OsMakeGlContextCurrent(OsDeviceContext, OsGlContext gl_context) { return gl_context == nullptr; }
bool OsDeleteGlContext(OsGlContext) { return false; }
bool OsSwapBuffers(OsDeviceContext) { return false; }

bool OsQueryPerformanceFrequency(int64_t* counts_per_second) {
  *counts_per_second = 1000000000;
  return true;
}

bool OsQueryPerformanceCounter(int64_t* count) {
  *count = NowNanoseconds();
  return true;
}

uint32_t OsTimeGetTime() { return static_cast<uint32_t>(NowNanoseconds() / 1000000); }

bool OsPlaySound(const char* file_name, uint32_t flags) {
  if (s_windowless.sounds.size() == kMostSoundRequests) s_windowless.sounds.pop_front();
  s_windowless.sounds.push_back({file_name ? file_name : "", flags});
  return true;
}
