// The preview's window: a real 640 x 480 window with an OpenGL context, its keys and pointer, and the sound
// layer. One implementation per platform; where there is none, opening fails with the reason.
#pragma once

#include <cstdint>

struct WalkWindow;

// What happened at the window.
struct WalkEvent {
  enum Kind { kKey, kPointer, kClose, kShown, kHidden, kFocusLost } kind;
  uint32_t virtual_key;  // kKey: the Windows virtual-key code, 0 for keys the preview does not use
  bool down;
  bool repeat;
  int dx, dy;  // kPointer: how far the pointer moved
};

// False where this build of the tool has no window to open.
bool WalkWindowAvailable();
// Opens the window with its context current; null, with the reason on standard error, when it cannot.
WalkWindow* OpenWalkWindow(const char* caption);
// The next event, without waiting; false when none waits.
bool NextWalkEvent(WalkWindow* window, WalkEvent* event);
// Sleeps until an event comes or `ms` milliseconds have passed.
void WaitForWalkEvent(WalkWindow* window, int ms);
// Shows the frame drawn into the back buffer.
void ShowWalkFrame(WalkWindow* window);
void SetWalkCaption(WalkWindow* window, const char* caption);
// While held, the pointer stays in the window and reports every move (mouse look); otherwise it is free.
void HoldWalkPointer(WalkWindow* window, bool held);
// Plays a sound request as the game's platform does.
void PlayWalkSound(const char* file_name, uint32_t flags);
// Stops the sound and closes the window and its context.
void CloseWalkWindow(WalkWindow* window);
