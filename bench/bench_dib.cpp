// Decoding 1024 x 1024 bitmaps from memory at 24 and 8 bits per pixel: the game's decoder against stb_image
// and SDL_LoadBMP with a conversion to RGB24, all in one run.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb_image.h>

#include "image/bitmap.h"

namespace {

constexpr int kSize = 1024;

void Put16(std::string* s, uint32_t v) {
  s->push_back(static_cast<char>(v));
  s->push_back(static_cast<char>(v >> 8));
}
void Put32(std::string* s, uint32_t v) {
  Put16(s, v);
  Put16(s, v >> 16);
}

// A 1024 x 1024 picture with a file header, an info header and, at 8 bits, a 256-entry colour table.
std::string MakeBitmap(int bits) {
  const uint32_t table_bytes = bits == 8 ? 256 * 4 : 0;
  const uint32_t stride = (kSize * bits / 8 + 3) / 4 * 4;
  const uint32_t offset = 14 + 40 + table_bytes;
  std::string file = "BM";
  Put32(&file, offset + stride * kSize);
  Put32(&file, 0);
  Put32(&file, offset);
  Put32(&file, 40);
  Put32(&file, kSize);
  Put32(&file, kSize);
  Put16(&file, 1);
  Put16(&file, bits);
  Put32(&file, 0);
  Put32(&file, stride * kSize);
  Put32(&file, 2835);
  Put32(&file, 2835);
  Put32(&file, bits == 8 ? 256 : 0);
  Put32(&file, 0);
  for (uint32_t i = 0; i < table_bytes / 4; i++) Put32(&file, (i * 0x010307u) & 0xFFFFFF);
  uint32_t seed = 12345;
  for (int y = 0; y < kSize; y++) {
    for (uint32_t x = 0; x < stride; x++) {
      seed = seed * 1103515245u + 12345u;
      file.push_back(static_cast<char>(seed >> 16));
    }
  }
  return file;
}

const std::string& Bitmap(int bits) {
  static const std::string b24 = MakeBitmap(24);
  static const std::string b8 = MakeBitmap(8);
  return bits == 24 ? b24 : b8;
}

void Ours(benchmark::State& state, int bits) {
  const std::string& file = Bitmap(bits);
  for (auto _ : state) {
    ImageRGB* image = DecodeDibBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(), "bench.bmp");
    if (!image) {
      state.SkipWithError("decoding failed");
      return;
    }
    benchmark::DoNotOptimize(image->data[0]);
    FreeImage(image);
  }
  state.SetBytesProcessed(state.iterations() * kSize * kSize * 3);
}

void Stb(benchmark::State& state, int bits) {
  const std::string& file = Bitmap(bits);
  for (auto _ : state) {
    int width, height, channels;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()),
                                            static_cast<int>(file.size()), &width, &height, &channels, 3);
    if (!pixels) {
      state.SkipWithError("decoding failed");
      return;
    }
    benchmark::DoNotOptimize(pixels[0]);
    stbi_image_free(pixels);
  }
  state.SetBytesProcessed(state.iterations() * kSize * kSize * 3);
}

void Sdl(benchmark::State& state, int bits) {
  const std::string& file = Bitmap(bits);
  for (auto _ : state) {
    SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    SDL_Surface* rgb = loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0) : nullptr;
    SDL_FreeSurface(loaded);
    if (!rgb) {
      state.SkipWithError("decoding failed");
      return;
    }
    benchmark::DoNotOptimize(static_cast<uint8_t*>(rgb->pixels)[0]);
    SDL_FreeSurface(rgb);
  }
  state.SetBytesProcessed(state.iterations() * kSize * kSize * 3);
}

BENCHMARK_CAPTURE(Ours, 24bpp, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 24bpp, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sdl, 24bpp, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Ours, 8bpp, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, 8bpp, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sdl, 8bpp, 8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
