// The one record of game state.
#include "app/globals.h"

#include <cstdlib>

GameGlobals g_game;

void ResetGameGlobals() {
  free(g_game.world.triangles);
  g_game = GameGlobals{};
}
