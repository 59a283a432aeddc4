// A window of a tool's own that shows the game's frames as they are drawn (the asset tool's preview): 640 x 480
// with an OpenGL context current, its keys as Windows virtual-key codes, the pointer's motion while it is held,
// and the game's sound layer. A platform service like the hidden context: one implementation per platform, and
// where there is none, opening fails with the reason.
#pragma once

#include <cstdint>

struct PreviewWindow;

// What happened at the window.
struct PreviewEvent {
  enum Kind { kKey, kPointer, kClose, kShown, kHidden, kFocusLost } kind;
  uint32_t virtual_key;  // kKey: the Windows virtual-key code, 0 for keys that have none
  bool down;
  bool repeat;  // kKey: the keyboard's own repeat of a held key
  int dx, dy;   // kPointer: how far the pointer moved
};

// False where this build has no window to open.
bool PreviewWindowAvailable();
// Opens the window with its context current; null, with the reason on standard error after `who`, when it cannot.
PreviewWindow* OpenPreviewWindow(const char* who, const char* caption);
// The next event, without waiting; false when none waits.
bool NextPreviewEvent(PreviewWindow* window, PreviewEvent* event);
// Sleeps until an event comes or `ms` milliseconds have passed.
void WaitForPreviewEvent(PreviewWindow* window, int ms);
// Shows the frame drawn into the back buffer.
void ShowPreviewFrame(PreviewWindow* window);
void SetPreviewCaption(PreviewWindow* window, const char* caption);
// While held, the pointer stays in the window and reports every move (mouse look); otherwise it is free.
void HoldPreviewPointer(PreviewWindow* window, bool held);
// Plays a sound request as the game's platform plays it: one at a time, replacing what plays.
void PlayPreviewSound(const char* file_name, uint32_t flags);
// Stops the sound and closes the window and its context. Accepts null.
void ClosePreviewWindow(PreviewWindow* window);
