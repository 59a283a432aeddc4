// Loading MS3D files: our reader against assimp's importer on the same generated files, and the floor that is
// merely reading the file into memory. Models have N vertices and N triangles in one group with one material;
// assimp reads indices as signed 16-bit and refuses 32768 vertices or more, so at 65535, the format's limit,
// ours runs alone.
//
// The allocator is pinned for both readers (bench_fair.h), each loads once untimed before its loop, and every line
// reports faults, the minor page faults per iteration.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_fair.h"
#include "model/model.h"
#include "model/ms3d.h"
#include "tests/model/ms3d_writer.h"

namespace {

Ms3dFileRecord GeneratedModel(int n) {
  Ms3dFileRecord layout;
  layout.vertices.resize(n);
  for (int i = 0; i < n; i++) {
    layout.vertices[i].position[0] = static_cast<float>(i % 256);
    layout.vertices[i].position[1] = static_cast<float>(i / 256);
    layout.vertices[i].position[2] = static_cast<float>(i % 7);
    layout.vertices[i].bone_id = 0xFF;  // no joint
  }
  layout.triangles.resize(n);
  Ms3dGroupRecord group;
  group.material_byte = 0;
  group.triangle_indices.resize(n);
  for (int i = 0; i < n; i++) {
    Ms3dTriangleRecord& triangle = layout.triangles[i];
    for (int k = 0; k < 3; k++) {
      triangle.vertex_indices[k] = static_cast<uint16_t>((i + k) % n);
      triangle.s[k] = 0.25f * k;
      triangle.t[k] = 0.5f;
    }
    group.triangle_indices[i] = static_cast<uint16_t>(i);
  }
  layout.groups = {group};
  layout.materials.resize(1);
  // The keyframe header and an empty joint section, which assimp expects after the materials.
  std::string trailing;
  ms3d_writer::PutF32(&trailing, 24);
  ms3d_writer::PutF32(&trailing, 0);
  ms3d_writer::PutU32(&trailing, 1);
  ms3d_writer::PutU16(&trailing, 0);
  layout.trailing = trailing;
  return layout;
}

// The generated files, written once into a temporary directory that goes at exit.
class GeneratedFiles {
 public:
  ~GeneratedFiles() {
    for (const auto& [n, path] : paths_) remove(path.c_str());
    if (!directory_.empty()) rmdir(directory_.c_str());
  }
  const std::string& Path(int n) {
    auto found = paths_.find(n);
    if (found != paths_.end()) return found->second;
    if (directory_.empty()) {
      char pattern[] = "/tmp/gorvane-bench-ms3d-XXXXXX";
      if (mkdtemp(pattern)) directory_ = pattern;
    }
    std::string path = directory_ + "/model-" + std::to_string(n) + ".ms3d";
    std::string bytes = WriteMs3d(GeneratedModel(n));
    if (FILE* file = fopen(path.c_str(), "wb")) {
      fwrite(bytes.data(), 1, bytes.size(), file);
      fclose(file);
    }
    return paths_[n] = path;
  }

 private:
  std::string directory_;
  std::map<int, std::string> paths_;
};

GeneratedFiles g_files;

size_t FileSize(const std::string& path) {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  ReadWholeFile(path.c_str(), &data, &size);
  return size;
}

void BM_ReadFileIntoMemory(benchmark::State& state) {
  const std::string& path = g_files.Path(static_cast<int>(state.range(0)));
  auto read = [&] {
    std::unique_ptr<uint8_t[]> data;
    size_t size;
    if (!ReadWholeFile(path.c_str(), &data, &size)) state.SkipWithError("cannot read the file");
    benchmark::DoNotOptimize(data.get());
  };
  read();
  bench_fair::FaultCounter faults;
  for (auto _ : state) read();
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_OursLoadFromFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& path = g_files.Path(n);
  Ms3dModel model;
  model.LoadFromFile(path.c_str());
  bench_fair::FaultCounter faults;
  for (auto _ : state) {
    // Each load releases the previous one's data, as assimp's importer frees its previous scene.
    if (!model.LoadFromFile(path.c_str()) || model.triangle_count != n) state.SkipWithError("our reader failed");
    benchmark::DoNotOptimize(model.triangles);
  }
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_OursParseFromMemory(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& path = g_files.Path(n);
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  ReadWholeFile(path.c_str(), &data, &size);
  Ms3dModel model;
  ParseMs3d(data.get(), size, &model);
  bench_fair::FaultCounter faults;
  for (auto _ : state) {
    if (!ParseMs3d(data.get(), size, &model) || model.triangle_count != n) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(model.triangles);
  }
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_AssimpReadFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& path = g_files.Path(n);
  Assimp::Importer importer;
  importer.ReadFile(path, 0);
  importer.FreeScene();
  bench_fair::FaultCounter faults;
  for (auto _ : state) {
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene || scene->mNumMeshes != 1 || scene->mMeshes[0]->mNumFaces != static_cast<unsigned>(n)) {
      state.SkipWithError(importer.GetErrorString());
      break;
    }
    benchmark::DoNotOptimize(scene);
    importer.FreeScene();
  }
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_AssimpReadFromMemory(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& path = g_files.Path(n);
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  ReadWholeFile(path.c_str(), &data, &size);
  Assimp::Importer importer;
  importer.ReadFileFromMemory(data.get(), size, 0, "ms3d");
  importer.FreeScene();
  bench_fair::FaultCounter faults;
  for (auto _ : state) {
    const aiScene* scene = importer.ReadFileFromMemory(data.get(), size, 0, "ms3d");
    if (!scene || scene->mNumMeshes != 1 || scene->mMeshes[0]->mNumFaces != static_cast<unsigned>(n)) {
      state.SkipWithError(importer.GetErrorString());
      break;
    }
    benchmark::DoNotOptimize(scene);
    importer.FreeScene();
  }
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK(BM_ReadFileIntoMemory)->Arg(32767)->Arg(65535)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursLoadFromFile)->Arg(32767)->Arg(65535)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursParseFromMemory)->Arg(32767)->Arg(65535)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AssimpReadFile)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AssimpReadFromMemory)->Arg(32767)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  bench_fair::PinAllocator();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
