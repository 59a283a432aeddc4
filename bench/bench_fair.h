// What makes the benchmarks' contenders comparable: one allocator behaviour for everything in the process, and
// the minor page faults of each timed loop reported beside its time, so that an allocator artifact shows.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace bench_fair {

// Call first thing in main, before anything allocates. glibc maps blocks of 128 KB and more afresh on every
// allocation (and unmaps them on free) until a bigger one has been freed once, when it raises the threshold
// for good; left alone, whichever contender ran first or allocated the larger block decides which of them pays a
// page fault for every 4 KB of its output. Fixing the thresholds where glibc would move them keeps every block
// below 32 MB on the heap, and freed memory there, for everyone alike. Other C libraries keep their own
// behaviour; the fault counter then shows what it costs.
inline void PinAllocator() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

inline long MinorFaults() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Counts the process's minor page faults from its making to Report, which sets the "faults" counter to their
// number per iteration. Make it just before the timed loop, after the contender's untimed warm-up call.
class FaultCounter {
 public:
  FaultCounter() : start_(MinorFaults()) {}
  void Report(benchmark::State& state) const {
    if (state.iterations() == 0) return;
    state.counters["faults"] =
        static_cast<double>(MinorFaults() - start_) / static_cast<double>(state.iterations());
  }

 private:
  long start_;
};

}  // namespace bench_fair
