// The game window, its display mode, pixel format and OpenGL context, the window procedure and the projection.
#pragma once

#include <cstdint>

#include "platform/os.h"

// Creates the window and its rendering context, then sets up the projection and the scene.
bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreen);
// Restores the display mode and releases the context, device context, window and class, reporting failures.
void DestroyGameWindow();
// The window procedure of the game's window class.
intptr_t GameWindowProc(OsWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// Sets the viewport and the perspective projection for a client area of width x height.
void ResizeScene(int width, int height);
