// Importing a scene from a modelling tool: the asset tool's import of a generated 100,000-triangle glTF file
// (a hilly grid, as the tool's own export writes it) against assimp reading the same file with the same steps,
// the floor, since the import reads it through assimp first: the scene made into the world's triangles, then
// also the world file's text (8 MB), and that text alone. x_assimp says how many times longer a line takes than
// the floor; the goal for the import is within 2.
//
// The allocator is pinned (bench_fair.h), each contender runs once untimed before its loop, and every line
// reports faults, the minor page faults per iteration. Writing the file to disk is not timed.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_fair.h"
#include "tools/interchange/level_export.h"
#include "tools/interchange/scene_import.h"
#include "tools/interchange/world_writer.h"

namespace {

constexpr int kColumns = 250, kRows = 200;  // 2 triangles a cell: 100,000

// A grid of hills, every corner shared by the cells around it, with texture coordinates of a few decimals as a
// level maker's are.
std::vector<WorldTriangle> GeneratedLevel() {
  auto corner = [](int i, int j) {
    return WorldVertex{-40 + 0.375f * i, ((i * 7 + j * 13) % 17) * 0.1f, -60 + 0.4f * j, 0.125f * i, 0.1f * j};
  };
  std::vector<WorldTriangle> triangles;
  for (int i = 0; i < kColumns; ++i) {
    for (int j = 0; j < kRows; ++j) {
      triangles.push_back({6, {corner(i, j), corner(i + 1, j), corner(i + 1, j + 1)}});
      triangles.push_back({6, {corner(i, j), corner(i + 1, j + 1), corner(i, j + 1)}});
    }
  }
  return triangles;
}

// The generated scene, written once into a temporary directory that goes at exit.
class GeneratedScene {
 public:
  GeneratedScene() {
    char pattern[] = "/tmp/gorvane-bench-import-XXXXXX";
    if (!mkdtemp(pattern)) return;
    directory_ = pattern;
    std::vector<WorldTriangle> triangles = GeneratedLevel();
    const World world = {static_cast<int32_t>(triangles.size()), triangles.data()};
    const std::string untextured[kSceneTextureCount];
    std::string error;
    if (ExportLevel(world, directory_ + "/level.gltf", untextured, &error)) path_ = directory_ + "/level.gltf";
  }
  ~GeneratedScene() {
    remove((directory_ + "/level.gltf").c_str());
    remove((directory_ + "/level.bin").c_str());
    if (!directory_.empty()) rmdir(directory_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string directory_;
  std::string path_;
};

GeneratedScene* g_scene = nullptr;
double s_floor_seconds = 0;

// Runs one contender's loop and reports its time against the floor's.
template <typename Run>
void Measure(benchmark::State& state, Run run, bool floor) {
  if (g_scene->path().empty() || !run()) {
    state.SkipWithError("the generated scene did not export or import");
    return;
  }
  bench_fair::FaultCounter faults;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (!run()) {
      state.SkipWithError("the import failed");
      return;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                         static_cast<double>(state.iterations());
  faults.Report(state);
  if (floor) s_floor_seconds = seconds;
  if (s_floor_seconds > 0) state.counters["x_assimp"] = seconds / s_floor_seconds;
}

void BM_AssimpReadFile(benchmark::State& state) {
  Measure(
      state,
      [] {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(g_scene->path(), aiProcess_Triangulate |
                                                                    aiProcess_ValidateDataStructure);
        // Kept by what it tells, not as a pointer: the benchmark library's barrier may treat it as rewritten.
        const bool read = scene && scene->mNumMeshes == 3 && scene->mMeshes[0]->mNumFaces == 2u * kColumns * kRows;
        benchmark::DoNotOptimize(read);
        return read;
      },
      true);
}

void BM_ImportScene(benchmark::State& state) {
  Measure(
      state,
      [] {
        ImportedScene scene;
        std::string error;
        const bool ok = ImportScene(g_scene->path(), ImportOptions(), &scene, &error);
        benchmark::DoNotOptimize(scene.triangles.data());
        return ok && scene.triangles.size() == 2u * kColumns * kRows;
      },
      false);
}

void BM_ImportToWorldText(benchmark::State& state) {
  Measure(
      state,
      [] {
        ImportedScene scene;
        std::string error;
        if (!ImportScene(g_scene->path(), ImportOptions(), &scene, &error)) return false;
        const std::string text = WorldFileText(scene, "level.gltf");
        benchmark::DoNotOptimize(text.data());
        return !text.empty();
      },
      false);
}

// The world file's text alone, from a scene imported once before: how the import's time divides.
void BM_WorldTextAlone(benchmark::State& state) {
  ImportedScene scene;
  std::string error;
  ImportScene(g_scene->path(), ImportOptions(), &scene, &error);
  Measure(
      state,
      [&] {
        const std::string text = WorldFileText(scene, "level.gltf");
        benchmark::DoNotOptimize(text.data());
        return !scene.triangles.empty();
      },
      false);
}

}  // namespace

BENCHMARK(BM_AssimpReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportToWorldText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorldTextAlone)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  bench_fair::PinAllocator();
  GeneratedScene scene;
  g_scene = &scene;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
