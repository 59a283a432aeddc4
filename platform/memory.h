// Memory services every program may use, whichever backend it links.
#pragma once

#include <cstddef>

// Asks the system to back [start, start + size), a big array of ours, with large pages where it can: one page
// fault and one translation entry for every two megabytes instead of every four kilobytes. Only a hint: the
// contents are unchanged, and where the system cannot do it nothing happens.
void OsUseLargePages(void* start, size_t size);

// Asks the system to back [start, start + size) with real pages now, in one go, instead of one page fault at a
// time as the bytes are first written. Only a hint, like the one above.
void OsPrefaultMemory(void* start, size_t size);
