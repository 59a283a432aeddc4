// The files the game reads from its working directory, by the names it opens them with: what a page fetches from
// its own folder at start, and what a published level carries.
#pragma once

constexpr const char* kWebDataFiles[] = {
    "floor1.bmp", "door1.bmp",     "wall1.bmp",     "crate.bmp",     "sand.bmp",      "tree.bmp",
    "green.bmp",  "title.bmp",     "red.bmp",       "energy.bmp",    "brick1.bmp",    "waterfall.bmp",
    "door2.bmp",  "intro.bmp",     "pressX.bmp",    "waterfall2.bmp", "potion.bmp",   "world.dat",
    "plokhello.wav", "plokitsme.wav", "plokstart.wav", "track2.wav",
};
