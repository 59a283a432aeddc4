// The OpenGL 1.1 and GLU headers, included in one place for every backend.
#pragma once

#ifdef _WIN32
// The Windows OpenGL headers need the Windows declarations; keep them as small as they come.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>
