// The world's two costs: reading a big level file (our loader against a plain fgets/sscanf loader of the same
// format), and submitting many small triangles each frame (one by one against the display list).
//
//   bench_world                       both groups
//   bench_world --benchmark_filter=Parse
//   bench_world --benchmark_filter=Frame
//   LP_NUM_THREADS=0 bench_world --benchmark_filter=Frame
//
// Every line reports faults, the process's minor page faults per iteration. The reference loader reports x_ours, how many times longer it takes than ours. Frames are timed on the wall
// clock to glFinish; their CPU column counts every thread of the process, the software renderer's own
// rasterising threads included, and submit_ms the drawing thread's own CPU time. The batched frames report
// how many times cheaper they are than one by one on both (x_wall, x_submit). LP_NUM_THREADS=0 has Mesa's
// software renderer rasterise on the calling thread: on a machine of two cores its threads can spend more
// waking each other than they save.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/globals.h"
#include "bench/bench_fair.h"
#include "platform/gl.h"
#include "platform/scripted/scripted.h"
#include "scene/renderer.h"
#include "scene/renderer_batch.h"
#include "scene/world.h"
#include "scene/world_reader.h"
#include "window/scene_init.h"
#include "window/window.h"

namespace {

constexpr int kFileTriangles = 1000000;
constexpr int kFrameTriangles = 100000;

std::string s_dir;
size_t s_file_bytes = 0;

// A level of a million triangles written the way a level maker would: short decimals, a remark now and then.
void WriteBigWorld(const std::string& path) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return;
  std::mt19937 random(1);
  std::uniform_int_distribution<int> position(-99999, 99999);
  std::uniform_int_distribution<int> texture(0, 4000);
  std::uniform_int_distribution<int> slot(0, 15);
  fprintf(file, "// generated level\nNUMPOLLIES %d\n", kFileTriangles);
  for (int i = 0; i < kFileTriangles; ++i) {
    if (i % 1000 == 0) fprintf(file, "\n// block %d\n", i / 1000);
    fprintf(file, "%d\n", slot(random));
    for (int corner = 0; corner < 3; ++corner) {
      fprintf(file, "%.3f %.3f %.3f %.3f %.3f\n", position(random) / 1000.0, position(random) / 10000.0,
              position(random) / 1000.0, texture(random) / 1000.0, texture(random) / 1000.0);
    }
  }
  fclose(file);
  s_file_bytes = std::filesystem::file_size(path);
}

// The plain loader: the same format read with the C library's line and number readers.
void ReadLine(FILE* file, char* line) {
  do {
    if (!fgets(line, 255, file)) {
      line[0] = '\0';
      return;
    }
  } while (line[0] == '/' || line[0] == '\n');
}

void LoadWorldWithSscanf(const char* path, World* world) {
  *world = World{};
  FILE* file = fopen(path, "rt");
  if (!file) return;
  char line[256];
  int count = 0;
  ReadLine(file, line);
  if (sscanf(line, "NUMPOLLIES %d\n", &count) != 1 || count <= 0) {
    fclose(file);
    return;
  }
  world->triangles = static_cast<WorldTriangle*>(malloc(static_cast<size_t>(count) * sizeof(WorldTriangle)));
  for (int i = 0; i < count; ++i) {
    WorldTriangle& t = world->triangles[i];
    ReadLine(file, line);
    sscanf(line, "%i\n", &t.texture_slot);
    for (WorldVertex& v : t.vertices) {
      ReadLine(file, line);
      sscanf(line, "%f %f %f %f %f", &v.x, &v.y, &v.z, &v.u, &v.v);
    }
  }
  world->triangle_count = count;
  fclose(file);
}

// Seconds per load of our loader, for the ratio the reference loader reports.
double s_our_seconds = 0;

double SecondsPerIteration(const std::chrono::steady_clock::duration& total, const benchmark::State& state) {
  return std::chrono::duration<double>(total).count() / static_cast<double>(state.iterations());
}

void BM_ParseOurLoader(benchmark::State& state) {
  // One load first, untimed: on a virtual machine the first writes to memory the process has never used can
  // cost more than the parsing, and that is the host's doing, not the loader's.
  LoadWorld();
  bench_fair::FaultCounter faults;
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    LoadWorld();
    total += std::chrono::steady_clock::now() - start;
    benchmark::DoNotOptimize(g_game.world.triangles);
  }
  faults.Report(state);
  if (g_game.world.triangle_count != kFileTriangles) state.SkipWithError("the loader did not read every triangle");
  s_our_seconds = SecondsPerIteration(total, state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s_file_bytes));
}

void BM_ParseFgetsSscanf(benchmark::State& state) {
  World world = {};
  // One untimed load, as ours gets.
  LoadWorldWithSscanf("world.dat", &world);
  bench_fair::FaultCounter faults;
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    ReleaseWorld(&world);
    LoadWorldWithSscanf("world.dat", &world);
    total += std::chrono::steady_clock::now() - start;
    benchmark::DoNotOptimize(world.triangles);
  }
  faults.Report(state);
  // Both loaders must agree to the bit.
  if (world.triangle_count != g_game.world.triangle_count ||
      memcmp(world.triangles, g_game.world.triangles, sizeof(WorldTriangle) * static_cast<size_t>(world.triangle_count)) != 0) {
    state.SkipWithError("the loaders disagree");
  }
  ReleaseWorld(&world);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s_file_bytes));
  // How many times longer this loader takes than ours (run in the same process, ours first).
  if (s_our_seconds > 0) state.counters["x_ours"] = SecondsPerIteration(total, state) / s_our_seconds;
}

// A scene as initialisation leaves it, with 100,000 tiny triangles (a few pixels at most) spread ahead of the
// eye: the cost is in submitting them, not in filling pixels.
struct FrameScene {
  ScriptedGlContext context{640, 480};
  std::vector<uint8_t> one_by_one;
  FrameScene() {
    ResizeScene(640, 480);
    ApplySceneState();
    for (int slot = 0; slot < kSceneTextureCount; ++slot) {
      uint8_t texels[12];
      for (int i = 0; i < 12; ++i) texels[i] = static_cast<uint8_t>(slot * 16 + i * 9);
      GLuint name = 0;
      glGenTextures(1, &name);
      glBindTexture(GL_TEXTURE_2D, name);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
      g_game.textures.names[slot] = name;
    }
    InstallWorld();
    g_game.screen_stage = 2;
    g_game.cycle_tick = 10;
  }
  // The parse benchmarks replace the game's world, so each frame benchmark puts this one back (the same
  // triangles every time).
  static void InstallWorld() {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> spread(-20.0f, 20.0f);
    std::uniform_real_distribution<float> depth(-40.0f, -2.0f);
    ReleaseWorld(&g_game.world);
    g_game.world.triangles = static_cast<WorldTriangle*>(malloc(sizeof(WorldTriangle) * kFrameTriangles));
    g_game.world.triangle_count = kFrameTriangles;
    for (int i = 0; i < kFrameTriangles; ++i) {
      WorldTriangle& t = g_game.world.triangles[i];
      // Levels keep a texture's triangles together; the slot changes a hundred times a frame.
      t.texture_slot = (i / 1000) % kSceneTextureCount;
      float x = spread(random), y = spread(random) / 2, z = depth(random);
      t.vertices[0] = {x, y, z, 0, 0};
      t.vertices[1] = {x + 0.005f, y, z, 1, 0};
      t.vertices[2] = {x, y + 0.005f, z, 0, 1};
    }
  }
};

FrameScene* s_frames = nullptr;

// Per frame, as the one-by-one frames measured them, for the ratios the batched frames report.
double s_one_by_one_wall_ms = 0;
double s_one_by_one_submit_ms = 0;

double ThreadCpuMs() {
  timespec now = {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Draws frames to glFinish; returns the wall time and the calling thread's CPU time per frame, in ms. The
// thread's time is the cost of submitting: the GL calls and the renderer's work on them in this thread,
// without its rasterising threads or the wait for them.
void DrawFrames(benchmark::State& state, double* wall_ms, double* submit_ms) {
  double wall = 0;
  double submit = 0;
  bench_fair::FaultCounter faults;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    double cpu = ThreadCpuMs();
    g_game.cycle_tick = 10;
    DrawScene();
    glFinish();
    submit += ThreadCpuMs() - cpu;
    wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  faults.Report(state);
  *wall_ms = wall / static_cast<double>(state.iterations());
  *submit_ms = submit / static_cast<double>(state.iterations());
  state.counters["submit_ms"] = *submit_ms;
  state.SetItemsProcessed(state.iterations() * kFrameTriangles);
}

void WarmUpFrame() {
  g_game.cycle_tick = 10;
  DrawScene();
  glFinish();
}

void BM_FrameOneByOne(benchmark::State& state) {
  FrameScene::InstallWorld();
  SetWorldBatching(false);
  WarmUpFrame();
  DrawFrames(state, &s_one_by_one_wall_ms, &s_one_by_one_submit_ms);
  s_frames->one_by_one = ScriptedReadFrame();
}

void BM_FrameBatched(benchmark::State& state) {
  FrameScene::InstallWorld();
  SetWorldBatching(true);
  WarmUpFrame();  // compiles the list
  double wall_ms = 0;
  double submit_ms = 0;
  DrawFrames(state, &wall_ms, &submit_ms);
  if (!s_frames->one_by_one.empty() && ScriptedReadFrame() != s_frames->one_by_one) {
    state.SkipWithError("the batched picture differs from the one-by-one picture");
  }
  // How many times cheaper than one by one (run just before in the same process).
  if (s_one_by_one_wall_ms > 0 && wall_ms > 0) state.counters["x_wall"] = s_one_by_one_wall_ms / wall_ms;
  if (s_one_by_one_submit_ms > 0 && submit_ms > 0) state.counters["x_submit"] = s_one_by_one_submit_ms / submit_ms;
}

BENCHMARK(BM_ParseOurLoader)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFgetsSscanf)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameOneByOne)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FrameBatched)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
  // Mesa's software renderer allocates and frees vertex buffers of a few hundred kilobytes for every draw; with
  // the allocator left alone, the frames would be timed with or without a page fault for every 4 KB of vertices
  // depending on which benchmarks ran before them (see bench_fair.h).
  bench_fair::PinAllocator();
  benchmark::Initialize(&argc, argv);
  char pattern[] = "/tmp/gorvane-bench-world-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  s_dir = pattern;
  std::string previous = std::filesystem::current_path().string();
  std::filesystem::current_path(s_dir);
  WriteBigWorld(s_dir + "/world.dat");
  fprintf(stderr, "generated %s/world.dat: %zu bytes, %d triangles\n", s_dir.c_str(), s_file_bytes, kFileTriangles);
  FrameScene frames;
  s_frames = &frames;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  s_frames = nullptr;
  ResetGameGlobals();
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(s_dir);
  return 0;
}
