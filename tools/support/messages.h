// What the game's code told the player, as the asset tool tells a level maker: the texts of the message boxes
// the loaders showed, on standard error.
#pragma once

#include <cstddef>

// Prints each message shown since the last look, one per line, to standard error; returns how many there were.
size_t PrintShownMessages();
