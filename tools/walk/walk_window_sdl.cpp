// The preview's window on SDL2. The tool's other platform calls go to the scripted backend (the loaders'
// message boxes become text), so this opens its window and context with SDL directly.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/os.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_sound.h"
#include "tools/walk/walk_window.h"

struct WalkWindow {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
};

namespace {

// The step that failed and SDL's reason, on standard error.
void Fail(const char* what) { fprintf(stderr, "gorvane-assets: walk: %s: %s\n", what, SDL_GetError()); }

}  // namespace

bool WalkWindowAvailable() { return true; }

WalkWindow* OpenWalkWindow(const char* caption) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    Fail("cannot start the video system");
    return nullptr;
  }
  // SDL falls back to drivers that show nothing when there is no display: a preview no one sees.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0) && !SDL_getenv("SDL_VIDEODRIVER")) {
    fprintf(stderr, "gorvane-assets: walk: no display (SDL offered only its %s driver)\n", driver);
    SDL_Quit();
    return nullptr;
  }
  // The colour channels of the view command's hidden context, so a picture of the frame is the picture view draws;
  // the depth buffer of the game's pixel format.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  auto* walk = new WalkWindow;
  walk->window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (walk->window) walk->context = SDL_GL_CreateContext(walk->window);
  if (!walk->context) {
    Fail(walk->window ? "no OpenGL context" : "no window");
    CloseWalkWindow(walk);
    return nullptr;
  }
  // The loop paces itself; waiting for the display's refresh as well would only drop frames.
  SDL_GL_SetSwapInterval(0);
  SDL_RaiseWindow(walk->window);
  SDL_SetWindowInputFocus(walk->window);
  return walk;
}

bool NextWalkEvent(WalkWindow*, WalkEvent* event) {
  SDL_Event sdl;
  while (SDL_PollEvent(&sdl)) {
    *event = {};
    switch (sdl.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event->kind = WalkEvent::kKey;
        event->virtual_key = SdlVirtualKey(sdl.key.keysym.sym);
        event->down = sdl.type == SDL_KEYDOWN;
        event->repeat = sdl.key.repeat != 0;
        return true;
      case SDL_MOUSEMOTION:
        // A pointer that only passes over the window does not turn the view.
        if (!SDL_GetRelativeMouseMode()) break;
        event->kind = WalkEvent::kPointer;
        event->dx = sdl.motion.xrel;
        event->dy = sdl.motion.yrel;
        return true;
      case SDL_QUIT:
        event->kind = WalkEvent::kClose;
        return true;
      case SDL_WINDOWEVENT:
        switch (sdl.window.event) {
          case SDL_WINDOWEVENT_CLOSE: event->kind = WalkEvent::kClose; return true;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED: event->kind = WalkEvent::kShown; return true;
          case SDL_WINDOWEVENT_HIDDEN:
          case SDL_WINDOWEVENT_MINIMIZED: event->kind = WalkEvent::kHidden; return true;
          case SDL_WINDOWEVENT_FOCUS_LOST: event->kind = WalkEvent::kFocusLost; return true;
          default: break;
        }
        break;
      default:
        break;
    }
  }
  return false;
}

void WaitForWalkEvent(WalkWindow*, int ms) {
  if (ms <= 0) return;
  // Leaves the event in the queue for NextWalkEvent.
  if (SDL_WaitEventTimeout(nullptr, ms) == 0) SDL_ClearError();
}

void ShowWalkFrame(WalkWindow* walk) { SDL_GL_SwapWindow(walk->window); }

void SetWalkCaption(WalkWindow* walk, const char* caption) { SDL_SetWindowTitle(walk->window, caption); }

void HoldWalkPointer(WalkWindow* walk, bool held) {
  bool focused = (SDL_GetWindowFlags(walk->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  SDL_bool want = held && focused ? SDL_TRUE : SDL_FALSE;
  if (SDL_GetRelativeMouseMode() != want) SDL_SetRelativeMouseMode(want);
}

void PlayWalkSound(const char* file_name, uint32_t flags) { SdlPlaySound(file_name, flags); }

void CloseWalkWindow(WalkWindow* walk) {
  SdlShutdownSound();
  if (walk->context) SDL_GL_DeleteContext(walk->context);
  if (walk->window) SDL_DestroyWindow(walk->window);
  delete walk;
  SDL_Quit();
}
