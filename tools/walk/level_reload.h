// Reading a level's parts again while it is on screen, with the game's own loaders: each part is read into
// something new and replaces what the game draws only when it loaded whole, so a file half written or broken
// leaves the last good level in place.
#pragma once

#include <string>
#include <vector>

// Reads world.dat from the working directory; when every line loads, it becomes the game's world. Otherwise
// the world stays, and reasons gets one "world.dat:LINE: reason" line per problem. False when it stayed.
bool ReloadWorld(std::vector<std::string>* reasons);

// Reads the sixteen scene bitmaps into new textures of the current context; when all of them load, they
// replace the game's textures, and the old ones are deleted. Otherwise nothing changes, and reasons gets one
// "FILE: reason" line per bitmap that fails (the decoder's message). False when nothing changed.
bool ReloadTextures(std::vector<std::string>* reasons);
