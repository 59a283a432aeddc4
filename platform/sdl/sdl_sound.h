// The SDL sound layer's one call beyond os.h: for tests and orderly exits.
#pragma once

// Stops the sound, closes the audio device and quits SDL's audio subsystem; the next request opens it again.
void SdlShutdownSound();
