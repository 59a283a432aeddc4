// Sound on SDL. (Placeholder until the sound layer lands: silent.)
#include "platform/os.h"

bool OsPlaySound(const char*, uint32_t) { return true; }
