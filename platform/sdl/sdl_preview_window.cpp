// The preview window on SDL2, beside the game's SDL backend: the same video start-up, key translation and sound
// layer. A tool's other platform calls go to its own backend (platform/windowless.h).
#include <SDL.h>

#include <cstdio>

#include "platform/os.h"
#include "platform/preview_window.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_video.h"

struct PreviewWindow {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
};

bool PreviewWindowAvailable() { return true; }

PreviewWindow* OpenPreviewWindow(const char* who, const char* caption) {
  if (!SdlStartVideo(who)) return nullptr;
  // The colour channels of the tools' hidden context, so that a picture of the frame is the picture the view
  // command draws; the depth buffer of the game's pixel format.
  SdlAskPixelFormat(8, 0, 16, 0, true);
  auto* preview = new PreviewWindow;
  preview->window = SDL_CreateWindow(caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (preview->window) preview->context = SDL_GL_CreateContext(preview->window);
  if (!preview->context) {
    fprintf(stderr, "%s: %s: %s\n", who, preview->window ? "no OpenGL context" : "no window", SDL_GetError());
    ClosePreviewWindow(preview);
    return nullptr;
  }
  // The loop paces itself; waiting for the display's refresh as well would only drop frames.
  SDL_GL_SetSwapInterval(0);
  SDL_RaiseWindow(preview->window);
  SDL_SetWindowInputFocus(preview->window);
  return preview;
}

bool NextPreviewEvent(PreviewWindow*, PreviewEvent* event) {
  SDL_Event sdl;
  while (SDL_PollEvent(&sdl)) {
    *event = {};
    switch (sdl.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event->kind = PreviewEvent::kKey;
        event->virtual_key = SdlVirtualKey(sdl.key.keysym.sym);
        event->down = sdl.type == SDL_KEYDOWN;
        event->repeat = sdl.key.repeat != 0;
        return true;
      case SDL_MOUSEMOTION:
        // A pointer that only passes over the window does not turn the view.
        if (!SDL_GetRelativeMouseMode()) break;
        event->kind = PreviewEvent::kPointer;
        event->dx = sdl.motion.xrel;
        event->dy = sdl.motion.yrel;
        return true;
      case SDL_QUIT:
        event->kind = PreviewEvent::kClose;
        return true;
      case SDL_WINDOWEVENT:
        switch (sdl.window.event) {
          case SDL_WINDOWEVENT_CLOSE: event->kind = PreviewEvent::kClose; return true;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED: event->kind = PreviewEvent::kShown; return true;
          case SDL_WINDOWEVENT_HIDDEN:
          case SDL_WINDOWEVENT_MINIMIZED: event->kind = PreviewEvent::kHidden; return true;
          case SDL_WINDOWEVENT_FOCUS_LOST: event->kind = PreviewEvent::kFocusLost; return true;
          default: break;
        }
        break;
      default:
        break;
    }
  }
  return false;
}

void WaitForPreviewEvent(PreviewWindow*, int ms) {
  if (ms <= 0) return;
  // Looks every millisecond rather than blocking in SDL_WaitEventTimeout: while SDL 2.26 blocks there, every event
  // it queues also sends the window a wake-up message over a second X connection, and when Escape quits at once
  // the server may take that message after the window is gone; the X error then ends the tool with status 1.
  // The event stays in the queue for NextPreviewEvent.
  const Uint32 start = SDL_GetTicks();
  SDL_PumpEvents();
  while (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) && SDL_GetTicks() - start < static_cast<Uint32>(ms)) {
    SDL_Delay(1);
    SDL_PumpEvents();
  }
}

void ShowPreviewFrame(PreviewWindow* preview) { SDL_GL_SwapWindow(preview->window); }

void SetPreviewCaption(PreviewWindow* preview, const char* caption) { SDL_SetWindowTitle(preview->window, caption); }

void HoldPreviewPointer(PreviewWindow* preview, bool held) {
  bool focused = (SDL_GetWindowFlags(preview->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  SDL_bool want = held && focused ? SDL_TRUE : SDL_FALSE;
  if (SDL_GetRelativeMouseMode() != want) SDL_SetRelativeMouseMode(want);
}

void PlayPreviewSound(const char* file_name, uint32_t flags) { SdlPlaySound(file_name, flags); }

void ClosePreviewWindow(PreviewWindow* preview) {
  if (!preview) return;
  SdlShutdownSound();
  if (preview->context) SDL_GL_DeleteContext(preview->context);
  if (preview->window) SDL_DestroyWindow(preview->window);
  delete preview;
  SDL_Quit();
}
