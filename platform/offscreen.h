// Drawing without a window: a hidden OpenGL 1.1 context with 8-bit colour channels and a 16-bit depth buffer,
// for the test bench and for tools that render. A system service like memory.h, the same whatever window backend
// a program links.
#pragma once

struct OffscreenGl;

// Makes a context drawing into a hidden surface of width x height (at least 1 x 1); null when the system has none
// to give. The caller owns it and releases it with OffscreenDestroy.
OffscreenGl* OffscreenCreate(int width, int height);

// Makes gl current on the calling thread, or no context at all when gl is null. False when it cannot.
bool OffscreenMakeCurrent(OffscreenGl* gl);

// Releases gl, after making no context current if it was. Accepts null.
void OffscreenDestroy(OffscreenGl* gl);

// The size of the surface the current context draws into; false when no offscreen context is current.
bool OffscreenCurrentSize(int* width, int* height);
