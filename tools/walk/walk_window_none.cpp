// Where the tool has no window of its own to open (the Windows build): the preview is not there.
#include "tools/walk/walk_window.h"

bool WalkWindowAvailable() { return false; }
WalkWindow* OpenWalkWindow(const char*) { return nullptr; }

bool NextWalkEvent(WalkWindow*, WalkEvent*) { return false; }
void WaitForWalkEvent(WalkWindow*, int) {}
void ShowWalkFrame(WalkWindow*) {}
void SetWalkCaption(WalkWindow*, const char*) {}
void HoldWalkPointer(WalkWindow*, bool) {}
void PlayWalkSound(const char*, uint32_t) {}
void CloseWalkWindow(WalkWindow*) {}
