// SDL's keys as the Windows virtual-key codes the game's rules are written in, for the SDL backend and the
// preview window.
#pragma once

#include <SDL.h>

#include <cstdint>

// The virtual-key code of an SDL key (letters, digits, F1 to F12, the keypad, the arrows and the other named
// keys, comma and full stop); 0 for keys that have none.
uint32_t SdlVirtualKey(SDL_Keycode code);
