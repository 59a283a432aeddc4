#include "platform/memory.h"

// Large pages on Windows need a privilege that games do not hold, and no call commits private pages ahead of
// their first write: both hints are no-ops there.
void OsUseLargePages(void* start, size_t size) {
  (void)start;
  (void)size;
}

void OsPrefaultMemory(void* start, size_t size) {
  (void)start;
  (void)size;
}
