#include "platform/sdl/sdl_video.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

bool SdlStartVideo(const char* who) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    fprintf(stderr, "%s: cannot start the video system: %s\n", who, SDL_GetError());
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  bool invisible = driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
  if (invisible && !SDL_getenv("SDL_VIDEODRIVER")) {
    fprintf(stderr, "%s: cannot start the video system: no display (SDL offered only its %s driver)\n", who, driver);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

void SdlAskPixelFormat(int channel_bits, int alpha_bits, int depth_bits, int stencil_bits, bool double_buffer) {
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel_bits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel_bits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel_bits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alpha_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil_bits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, double_buffer ? 1 : 0);
}
