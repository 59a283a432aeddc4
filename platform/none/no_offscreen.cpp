// For programs built where no OpenGL is at hand (the 32-bit build of the loaders and their tests): no offscreen
// context can be made.
#include "platform/offscreen.h"

OffscreenGl* OffscreenCreate(int, int) { return nullptr; }
bool OffscreenMakeCurrent(OffscreenGl* gl) { return gl == nullptr; }
void OffscreenDestroy(OffscreenGl*) {}
bool OffscreenCurrentSize(int*, int*) { return false; }
