// How long the game's thread spends in a sound request on the SDL backend: the first request of a run (it
// starts the loader, which opens the device and reads the clip on its own thread) and a repeated one. A frame
// lasts 20 ms; a request should cost a small fraction of a millisecond either way.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/os.h"
#include "platform/sdl/sdl_sound.h"

namespace {

constexpr const char* kClip = "plokhello.wav";

void BM_FirstRequest(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(OsPlaySound(kClip, kSndAsync));
    state.PauseTiming();
    SdlShutdownSound();
    state.ResumeTiming();
  }
}

void BM_RepeatedRequest(benchmark::State& state) {
  OsPlaySound(kClip, kSndAsync);
  for (auto _ : state) {
    benchmark::DoNotOptimize(OsPlaySound(kClip, kSndAsync));
    state.PauseTiming();
    SDL_Delay(1);  // the loader serves it, as it would between two frames
    state.ResumeTiming();
  }
  SdlShutdownSound();
}

BENCHMARK(BM_FirstRequest)->Unit(benchmark::kMicrosecond)->Iterations(50);
BENCHMARK(BM_RepeatedRequest)->Unit(benchmark::kMicrosecond)->Iterations(500);

}  // namespace

int main(int argc, char** argv) {
  // The shipped clips, and a device that needs no sound hardware unless the caller chose one.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (chdir(GORVANE_DATA_DIR) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
