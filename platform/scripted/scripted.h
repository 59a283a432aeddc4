// The test bench's view of the scripted backend: queue messages, script message-box answers, inject failures,
// drive the stepped clock, and read what the game did (every box, display-mode change, cursor call, swap and
// sound request) and what it drew (a real offscreen OpenGL context). It also hands boxes and sounds over as
// platform/windowless.h does, so the asset tool's own code runs on it in tests.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/windowless.h"

// The steps of window creation and teardown a test can make fail.
enum class ScriptedStep {
  kRegisterClass,
  kChangeDisplayMode,  // the display refuses the requested mode
  kCreateWindow,
  kGetDeviceContext,
  kChoosePixelFormat,
  kSetPixelFormat,
  kCreateGlContext,
  kMakeCurrent,     // making a context current
  kReleaseCurrent,  // making no context current
  kDeleteGlContext,
  kReleaseDeviceContext,
  kDestroyWindow,
  kUnregisterClass,
  kCount,
};

struct ScriptedMessageBox {
  std::string text;
  std::string caption;
  uint32_t style;
  OsWindow owner;
  int answer;
};


struct ScriptedWindow {
  std::string class_name;
  std::string title;
  uint32_t ex_style;
  uint32_t style;
  int x, y, width, height;
  bool visible;
  // The client area left inside the window's frame, as the styles draw it.
  int client_width, client_height;
};

struct ScriptedWindowClass {
  std::string name;
  uint32_t style;
  OsWindowProc window_proc;
  OsInstance instance;
  uint32_t icon_id;
  uint32_t cursor_id;
};

// One window-rectangle adjustment: the rectangle asked about, the styles, and the rectangle handed back.
struct ScriptedAdjustment {
  OsRect client;
  uint32_t style;
  bool has_menu;
  uint32_t ex_style;
  OsRect window;
};

// Everything the backend knows, in one record. Tests set the inputs and read the records.
struct ScriptedState {
  // Inputs.
  std::deque<OsMessage> messages;        // handed out by OsPeekMessage, first in first out
  std::deque<int> answers;               // message-box answers in order; when empty, the Escape default
  bool fail[static_cast<int>(ScriptedStep::kCount)] = {};
  bool has_performance_counter = true;
  int64_t counts_per_second = 1000000;
  int64_t counter = 0;
  int64_t counter_step = 1000;  // added at every counter reading: 1 ms
  uint32_t mm_time = 0;
  uint32_t mm_step = 1;  // added at every multimedia clock reading
  // The performance counter reads the real clock (nanoseconds) instead of stepping: for pacing measurements.
  bool real_clock = false;
  OsPoint cursor = {320, 240};
  int swap_limit = 100000;  // past this many swaps the window is sent a close message, so a stuck test ends
  // Called at every buffer swap with the swap's number (from 1) while the context is current; it may read
  // pixels and queue messages.
  std::function<void(int swap)> on_swap;

  // Records.
  std::vector<std::string> calls;  // one line per platform call of interest, in order
  std::vector<ScriptedMessageBox> message_boxes;
  std::vector<SoundRequest> sounds;
  // How many of each the program has taken through platform/windowless.h.
  size_t messages_taken = 0;
  size_t sounds_taken = 0;
  int swaps = 0;
  // Performance counter readings since the last swap: the first is a frame's start, the last ended its wait.
  int64_t first_count_since_swap = 0;
  int64_t last_count = 0;
  int counts_since_swap = 0;
  int cursor_counter = 0;
  std::vector<ScriptedWindow> windows;  // every window created, in order; the last is the newest
  std::vector<ScriptedWindowClass> registered_classes;  // every successful registration, in order
  std::vector<ScriptedAdjustment> adjustments;           // every window-rectangle adjustment, in order
  int live_windows = 0;
  int live_gl_contexts = 0;
  bool class_registered = false;
  bool display_mode_changed = false;
};

// The frame a window of these styles draws around its client area, as the amounts the window rectangle grows by
// on each side (left and top negative), with the classic theme's metrics: 4 pixels on each side for a sizing
// frame, 3 for a dialog frame, 1 for a plain border, 2 more for a client edge; a caption adds 19 at the top, a
// menu bar 20. A popup without border or caption has no frame at all.
OsRect ScriptedWindowFrame(uint32_t style, bool has_menu, uint32_t ex_style);

// The backend's state. Valid until the next ScriptedReset.
ScriptedState& Scripted();
// Destroys whatever windows and contexts a test left, and sets every input and record back to its default.
void ScriptedReset();
// Queues a message for the newest window (or none).
void ScriptedPostMessage(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// Queues a key-down or key-up message carrying a virtual-key code.
void ScriptedKeyDown(uint32_t virtual_key);
void ScriptedKeyUp(uint32_t virtual_key);
// Makes the step fail (or succeed again).
void ScriptedFail(ScriptedStep step, bool fail = true);
// The current frame, read from the current context: width * height * 3 bytes, RGB, bottom row first.
std::vector<uint8_t> ScriptedReadFrame(int* width = nullptr, int* height = nullptr);
// One pixel of the current frame as 0xRRGGBB; x from the left, y from the bottom.
uint32_t ScriptedReadPixel(int x, int y);

// A current offscreen OpenGL context for tests that draw without a window.
class ScriptedGlContext {
 public:
  ScriptedGlContext(int width = 640, int height = 480);
  ~ScriptedGlContext();
  ScriptedGlContext(const ScriptedGlContext&) = delete;
  ScriptedGlContext& operator=(const ScriptedGlContext&) = delete;
  // False when no context could be made.
  bool ok() const { return gl_context_ != nullptr; }

 private:
  OsDeviceContext device_context_ = nullptr;
  OsGlContext gl_context_ = nullptr;
};
