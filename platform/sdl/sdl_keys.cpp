// SDL's keys as Windows virtual-key codes, translated at the edge so that whatever reads keys sees the codes the
// game's rules are written in.
#include "platform/sdl/sdl_keys.h"

#include "platform/os.h"

uint32_t SdlVirtualKey(SDL_Keycode code) {
  if (code >= SDLK_a && code <= SDLK_z) return static_cast<uint32_t>('A' + (code - SDLK_a));
  if (code >= SDLK_0 && code <= SDLK_9) return static_cast<uint32_t>('0' + (code - SDLK_0));
  if (code >= SDLK_F1 && code <= SDLK_F12) return kVkF1 + static_cast<uint32_t>(code - SDLK_F1);
  if (code >= SDLK_KP_1 && code <= SDLK_KP_9) return 0x61 + static_cast<uint32_t>(code - SDLK_KP_1);
  switch (code) {
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_UP: return kVkUp;
    case SDLK_DOWN: return kVkDown;
    case SDLK_RETURN: case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_TAB: return kVkTab;
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT: case SDLK_RALT: return kVkMenu;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_KP_0: return 0x60;
    case SDLK_COMMA: case SDLK_LESS: return 0xBC;
    case SDLK_PERIOD: case SDLK_GREATER: return 0xBE;
    default: return 0;
  }
}
