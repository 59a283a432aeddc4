// The SDL sound layer, on its own: the SDL backend plays the game's sound requests through it, and so does the
// preview window (platform/preview_window.h).
#pragma once

#include <cstdint>

// OsPlaySound's work: stops what plays and starts the WAV file (looping with kSndLoop); returns at once.
bool SdlPlaySound(const char* file_name, uint32_t flags);

// Stops the sound, closes the audio device and quits SDL's audio subsystem; the next request opens it again.
void SdlShutdownSound();
