// The OpenGL 1.1 and GLU headers, included in one place for every backend.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
