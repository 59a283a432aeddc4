// Where the platform gives a tool no window of its own (the Windows build of the asset tool).
#include "platform/preview_window.h"

bool PreviewWindowAvailable() { return false; }
PreviewWindow* OpenPreviewWindow(const char*, const char*) { return nullptr; }
bool NextPreviewEvent(PreviewWindow*, PreviewEvent*) { return false; }
void WaitForPreviewEvent(PreviewWindow*, int) {}
void ShowPreviewFrame(PreviewWindow*) {}
void SetPreviewCaption(PreviewWindow*, const char*) {}
void HoldPreviewPointer(PreviewWindow*, bool) {}
void PlayPreviewSound(const char*, uint32_t) {}
void ClosePreviewWindow(PreviewWindow*) {}
