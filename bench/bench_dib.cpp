// Decoding bitmaps from memory: the game's decoder against SDL_LoadBMP with a conversion to RGB24 and against
// stb_image (where it reads the format), all in one run, on
//   synthetic-24bpp, synthetic-8bpp  1024 x 1024 noise written byte by byte;
//   im-*                             a 1024 x 1024 plasma written by ImageMagick at 24, 8, 4 and 1 bits, RLE8,
//                                    16 bits (5-6-5) and 32 bits; and RLE4, which ImageMagick does not write,
//                                    encoded here from its 4-bit file;
//   textures                         the sixteen scene bitmaps of data/, one iteration decoding them all.
// memcpy/3MB copies a decoded 1024 x 1024 picture into a fresh block: the floor for any decoder.
//
// Fair by construction: the allocator is pinned for everyone (bench_fair.h), each contender decodes once untimed
// before its loop, and every line carries "faults", the minor page faults per iteration. x_ours says how many
// times longer a contender takes than ours on the same input, x_memcpy how many times longer ours takes than
// the copy; a contender whose pixels differ from ours says so in its label.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb_image.h>

#include "bench/bench_fair.h"
#include "image/bitmap.h"
#include "scene/textures.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/files.h"

namespace {

constexpr int kSize = 1024;
constexpr size_t kOutputBytes = size_t{kSize} * kSize * 3;

// 1024 x 1024 of random bytes, at 8 bits with a 256-entry colour table.
std::string MakeSyntheticBitmap(int bits) {
  const uint32_t colours = bits == 8 ? 256 : 0;
  const uint32_t stride = (kSize * bits / 8 + 3) / 4 * 4;
  bmp::Bytes table;
  for (uint32_t i = 0; i < colours; i++) table.U32((i * 0x010307u) & 0xFFFFFF);
  std::string pixels;
  uint32_t seed = 12345;
  for (int y = 0; y < kSize; y++) {
    for (uint32_t x = 0; x < stride; x++) {
      seed = seed * 1103515245u + 12345u;
      pixels.push_back(static_cast<char>(seed >> 16));
    }
  }
  return bmp::WithFileHeader(bmp::InfoHeader(kSize, kSize, bits, kBiRgb, colours, stride * kSize) + table.str(), pixels);
}

// An uncompressed 4-bit file's pixels encoded as RLE4 the way encoders do it: a run of four or more equal pixels
// as one code, anything else as absolute runs, each row closed by an end-of-line code.
std::string Rle4From(const std::string& file) {
  const int width = static_cast<int>(bmp::ReadU32(file, 18));
  const int height = static_cast<int>(bmp::ReadU32(file, 22));
  const size_t stride = (static_cast<size_t>(width) * 4 + 31) / 32 * 4;
  const size_t offset = bmp::ReadU32(file, 10);
  std::string codes;
  std::vector<uint8_t> row(width);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      uint8_t byte = static_cast<uint8_t>(file[offset + y * stride + x / 2]);
      row[x] = x % 2 ? byte & 0x0F : byte >> 4;
    }
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) run++;
      if (run >= 4 || width - x < 3) {
        codes += {static_cast<char>(run), static_cast<char>(row[x] << 4 | row[x])};
        x += run;
        continue;
      }
      // Absolute: up to the next run of four.
      int end = x;
      while (end < width && end - x < 255) {
        int same = 1;
        while (end + same < width && same < 4 && row[end + same] == row[end]) same++;
        if (same >= 4) break;
        end++;
      }
      if (end - x < 3) end = x + 3 <= width ? x + 3 : width;
      int count = end - x;
      std::string data;
      for (int i = 0; i < count; i += 2) {
        data.push_back(static_cast<char>(row[x + i] << 4 | (i + 1 < count ? row[x + i + 1] : 0)));
      }
      if (data.size() % 2) data.push_back(0);
      codes += {0, static_cast<char>(count)};
      codes += data;
      x = end;
    }
    codes += {0, 0};
  }
  codes += {0, 1};
  return bmp::WithFileHeader(
      bmp::InfoHeader(width, height, 4, kBiRle4, 16, static_cast<uint32_t>(codes.size())) + file.substr(54, 16 * 4),
      codes);
}

struct Input {
  std::string name;
  std::vector<std::string> files;
  size_t output_bytes = 0;
};

// Makes the ImageMagick files in a temporary directory and keeps their bytes; the directory goes at once.
std::vector<Input> ImageMagickInputs() {
  const char* convert = "/usr/bin/convert";
  if (access(convert, X_OK) != 0) {
    fprintf(stderr, "%s is not installed: no ImageMagick inputs\n", convert);
    return {};
  }
  char pattern[] = "/tmp/gorvane-bench-dib-XXXXXX";
  if (!mkdtemp(pattern)) return {};
  const std::string dir = pattern;
  auto run = [&](const std::string& arguments) {
    std::string command = std::string(convert) + " " + arguments + " 2>/dev/null";
    return system(command.c_str()) == 0;
  };
  struct Recipe {
    const char* name;
    const char* options;
  };
  const Recipe recipes[] = {
      {"im-24bpp", "-type TrueColor BMP3:"},
      {"im-8bpp", "-colors 256 -compress None BMP3:"},
      {"im-4bpp", "-colors 16 -compress None BMP3:"},
      {"im-1bpp", "-colors 2 -compress None BMP3:"},
      {"im-rle8", "-colors 256 -compress RLE BMP3:"},
      {"im-16bpp", "-type TrueColor -define bmp:subtype=RGB565 BMP:"},
      {"im-32bpp", "-alpha on BMP:"},
  };
  std::vector<Input> inputs;
  const std::string source = dir + "/plasma.png";
  fprintf(stderr, "writing the ImageMagick files in %s\n", dir.c_str());
  if (run("-seed 7 -size " + std::to_string(kSize) + "x" + std::to_string(kSize) + " plasma:fractal " + source)) {
    for (const Recipe& recipe : recipes) {
      std::string path = dir + "/" + recipe.name + ".bmp";
      if (!run(source + " " + recipe.options + path)) continue;
      std::string bytes = ReadFileBytes(path);
      remove(path.c_str());
      if (bytes.size() < 54) continue;
      if (bmp::ReadU32(bytes, 14) == 124) bytes = bmp::InfoFromV5(bytes, true);
      inputs.push_back({recipe.name, {bytes}, kOutputBytes});
      if (std::string(recipe.name) == "im-4bpp") inputs.push_back({"im-rle4", {Rle4From(bytes)}, kOutputBytes});
    }
  }
  remove(source.c_str());
  rmdir(dir.c_str());
  return inputs;
}

Input TextureSetInput() {
  Input input{"textures", {}, 0};
  for (int slot = 0; slot < kSceneTextureCount; slot++) {
    std::string bytes = ReadFileBytes(std::string(GORVANE_DATA_DIR "/") + SceneTextureFile(slot));
    if (bytes.empty()) {
      fprintf(stderr, "cannot read %s from %s\n", SceneTextureFile(slot), GORVANE_DATA_DIR);
      return {};
    }
    input.files.push_back(bytes);
  }
  return input;
}

enum class Contender { kOurs, kSdl, kStb };

const char* ContenderName(Contender who) {
  switch (who) {
    case Contender::kOurs:
      return "ours";
    case Contender::kSdl:
      return "sdl";
    default:
      return "stb";
  }
}

// Decodes one file; with rgb given, also hands back its pixels, bottom row first, for the comparison.
bool DecodeOnce(Contender who, const std::string& file, std::string* rgb = nullptr) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  if (who == Contender::kOurs) {
    ImageRGB* image = DecodeDibBytes(bytes, file.size(), "bench.bmp");
    if (!image) return false;
    benchmark::DoNotOptimize(image->data[0]);
    if (rgb) rgb->assign(reinterpret_cast<char*>(image->data), static_cast<size_t>(image->width) * image->height * 3);
    FreeImage(image);
    return true;
  }
  if (who == Contender::kSdl) {
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    SDL_Surface* converted = loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0) : nullptr;
    SDL_FreeSurface(loaded);
    if (!converted) return false;
    const auto* pixels = static_cast<const char*>(converted->pixels);
    benchmark::DoNotOptimize(pixels[0]);
    if (rgb) {
      rgb->clear();
      for (int y = converted->h - 1; y >= 0; y--) rgb->append(pixels + y * converted->pitch, converted->w * 3);
    }
    SDL_FreeSurface(converted);
    return true;
  }
  int width, height, channels;
  stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(file.size()), &width, &height, &channels, 3);
  if (!pixels) return false;
  benchmark::DoNotOptimize(pixels[0]);
  if (rgb) {
    rgb->clear();
    for (int y = height - 1; y >= 0; y--) rgb->append(reinterpret_cast<char*>(pixels) + y * width * 3, width * 3);
  }
  stbi_image_free(pixels);
  return true;
}

// Seconds per iteration of ours on each input, and of the copy, for the ratios.
std::map<std::string, double> s_ours_seconds;
double s_memcpy_seconds = 0;

double SecondsPerIteration(std::chrono::steady_clock::time_point start, const benchmark::State& state) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
         static_cast<double>(state.iterations());
}

void BM_Decode(benchmark::State& state, const Input* input, Contender who) {
  auto decode_all = [&] {
    for (const std::string& file : input->files) {
      if (!DecodeOnce(who, file)) return false;
    }
    return true;
  };
  if (!decode_all()) {
    state.SkipWithError("decoding failed");
    return;
  }
  bench_fair::FaultCounter faults;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (!decode_all()) {
      state.SkipWithError("decoding failed");
      return;
    }
  }
  double seconds = SecondsPerIteration(start, state);
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input->output_bytes));
  if (who == Contender::kOurs) {
    s_ours_seconds[input->name] = seconds;
    if (input->output_bytes == kOutputBytes && s_memcpy_seconds > 0) state.counters["x_memcpy"] = seconds / s_memcpy_seconds;
  } else if (s_ours_seconds.count(input->name)) {
    state.counters["x_ours"] = seconds / s_ours_seconds[input->name];
  }
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> decoded(kOutputBytes, 0x5A);
  auto copy = [&] {
    auto* block = static_cast<uint8_t*>(malloc(kOutputBytes));
    memcpy(block, decoded.data(), kOutputBytes);
    benchmark::DoNotOptimize(block[kOutputBytes - 1]);
    free(block);
  };
  copy();
  bench_fair::FaultCounter faults;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) copy();
  s_memcpy_seconds = SecondsPerIteration(start, state);
  faults.Report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kOutputBytes));
}

std::vector<Input> s_inputs;

// Registers each contender that reads every file of the input, with a label when its pixels differ from ours.
void RegisterInput(const Input* input) {
  std::vector<std::string> ours;
  for (const std::string& file : input->files) {
    std::string rgb;
    if (!DecodeOnce(Contender::kOurs, file, &rgb)) {
      fprintf(stderr, "%s: the game's decoder refuses it\n", input->name.c_str());
      return;
    }
    ours.push_back(rgb);
  }
  for (Contender who : {Contender::kOurs, Contender::kSdl, Contender::kStb}) {
    bool reads = true;
    bool same = true;
    for (size_t i = 0; i < input->files.size() && reads; i++) {
      std::string rgb;
      reads = DecodeOnce(who, input->files[i], &rgb);
      same = same && rgb == ours[i];
    }
    if (!reads) continue;
    std::string name = input->name + "/" + ContenderName(who);
    auto* benchmark = benchmark::RegisterBenchmark(name.c_str(), BM_Decode, input, who);
    benchmark->Unit(benchmark::kMillisecond);
    if (!same) {
      benchmark->Name(name + "/pixels-differ-from-ours");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  bench_fair::PinAllocator();
  benchmark::Initialize(&argc, argv);
  s_inputs.push_back({"synthetic-24bpp", {MakeSyntheticBitmap(24)}, kOutputBytes});
  s_inputs.push_back({"synthetic-8bpp", {MakeSyntheticBitmap(8)}, kOutputBytes});
  for (Input& input : ImageMagickInputs()) s_inputs.push_back(std::move(input));
  Input textures = TextureSetInput();
  if (!textures.files.empty()) {
    for (const std::string& file : textures.files) {
      ImageRGB* image = DecodeDibBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(), "texture.bmp");
      if (image) textures.output_bytes += static_cast<size_t>(image->width) * image->height * 3;
      FreeImage(image);
    }
    s_inputs.push_back(std::move(textures));
  }
  benchmark::RegisterBenchmark("memcpy/3MB", BM_Memcpy)->Unit(benchmark::kMillisecond);
  for (const Input& input : s_inputs) RegisterInput(&input);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
