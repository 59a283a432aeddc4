// Pictures the asset tool draws with the game's own code into a hidden OpenGL context, read back and saved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The game's picture size: 640 x 480.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct OffscreenGl;

// Makes a hidden 640 x 480 context current. Null, with the reason on standard error, when the system gives
// none; release it with OffscreenDestroy.
OffscreenGl* StartHiddenContext();

// Runs the day cycle's colour steps from tick 1 up to the one before tick, as a player who has stood there
// since the cycle began saw them: the sky colour and tint a tick does not set are the last ones set. Leaves
// cycle_tick at tick; the sound requests go to the backend's record.
void SettleCycle(int tick);

// The current context's 640 x 480 colour buffer, RGB, top row first.
std::vector<uint8_t> ReadPicture();

// Writes RGB pixels, top row first, as a PNG file. False when the file cannot be written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
// The bytes of a PNG file of RGB pixels, top row first, for a file that holds its pictures.
std::string PngBytes(const std::vector<uint8_t>& rgb, int width, int height);

// The file name as an absolute path, so that it still names the same file after the working directory changes.
std::string AbsolutePath(const char* path);

// Prints the texts of the message boxes the game showed since `first` (the loaders' complaints) to standard error.
void PrintMessageBoxesSince(size_t first);

// Parses "A,B[,C[,D]]" into up to `most` floats; false unless at least `least` and at most `most` are given and
// every one is a whole finite number.
bool ParseFloatList(const char* text, int least, int most, float* values, int* count);
