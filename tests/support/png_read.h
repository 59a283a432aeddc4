// Reading the asset tool's PNG pictures back in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The pixels of a PNG file as RGB, top row first, and its size; empty when the file does not decode.
std::vector<uint8_t> ReadPng(const std::string& path, int* width, int* height);
