// Pictures the asset tool writes for a level maker to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes RGB pixels, top row first, as a PNG file. False when the file cannot be written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
// The bytes of a PNG file of RGB pixels, top row first, for a file that holds its pictures.
std::string PngBytes(const std::vector<uint8_t>& rgb, int width, int height);
