#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/memory.h"

namespace {

// The whole pages that hold [start, start + size): every one of them is mapped, since a byte of ours is in it.
bool PagesOf(void* start, size_t size, void** first, size_t* length) {
  if (size == 0) return false;
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t begin = reinterpret_cast<uintptr_t>(start) & ~(page - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(start) + size + page - 1) & ~(page - 1);
  *first = reinterpret_cast<void*>(begin);
  *length = end - begin;
  return true;
}

}  // namespace

void OsUseLargePages(void* start, size_t size) {
#ifdef MADV_HUGEPAGE
  // Below a few large pages the hint gains nothing and would only split the heap's mapping.
  constexpr size_t kWorthIt = size_t{8} << 20;
  void* first = nullptr;
  size_t length = 0;
  if (size >= kWorthIt && PagesOf(start, size, &first, &length)) madvise(first, length, MADV_HUGEPAGE);
#else
  (void)start;
  (void)size;
#endif
}

void OsPrefaultMemory(void* start, size_t size) {
#ifdef MADV_POPULATE_WRITE
  void* first = nullptr;
  size_t length = 0;
  // Kernels before 5.14 answer EINVAL; the pages then come one fault at a time, as without the hint.
  if (PagesOf(start, size, &first, &length)) madvise(first, length, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)size;
#endif
}
