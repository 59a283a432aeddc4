// The vector row converters: SSSE3 and AVX2 byte shuffles on x86-64, chosen at run time. Elsewhere (the 32-bit
// and Windows builds among them) there are none and the decoder's plain loops run.
#include "image/bitmap_rows.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define GORVANE_DIB_VECTOR 1
#include <immintrin.h>
#endif

#if defined(GORVANE_DIB_VECTOR)

namespace {

// Each converter takes whole groups while a group's loads and stores stay inside the row, and finishes the row
// pixel by pixel.
inline void FinishRow(const uint8_t* in, int32_t x, int32_t width, int step, uint8_t* out) {
  for (in += x * step, out += x * 3; x < width; x++, in += step, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

// Four 3-byte pixels per shuffle: a 16-byte load and a 16-byte store of which 12 bytes count, so a group needs
// 16 bytes left in the row on both sides, that is 6 pixels.
__attribute__((target("ssse3"))) void Bgr24RowSsse3(const uint8_t* in, int32_t width, uint8_t* out) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
  int32_t x = 0;
  for (; x + 6 <= width; x += 4) {
    __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 3), _mm_shuffle_epi8(pixels, swap));
  }
  FinishRow(in, x, width, 3, out);
}

// Eight pixels per shuffle: two 16-byte loads 12 bytes apart, one lane each, shuffled in their lanes and joined
// into 24 bytes of a 32-byte store. A group needs 28 bytes to read and 32 to write: 11 pixels.
__attribute__((target("avx2"))) void Bgr24RowAvx2(const uint8_t* in, int32_t width, uint8_t* out) {
  const __m256i swap = _mm256_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15,
                                        2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  int32_t x = 0;
  for (; x + 11 <= width; x += 8) {
    const uint8_t* group = in + x * 3;
    __m256i pixels = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(group))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + 12)), 1);
    __m256i rgb = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, swap), join);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x * 3), rgb);
  }
  FinishRow(in, x, width, 3, out);
}

// Four 4-byte pixels per shuffle: a 16-byte load of exactly them and a 16-byte store of which 12 count, so a
// group needs 6 pixels left in the row.
__attribute__((target("ssse3"))) void Bgr32RowSsse3(const uint8_t* in, int32_t width, uint8_t* out) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, 3, 7, 11, 15);
  int32_t x = 0;
  for (; x + 6 <= width; x += 4) {
    __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x * 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 3), _mm_shuffle_epi8(pixels, swap));
  }
  FinishRow(in, x, width, 4, out);
}

}  // namespace

DibBgrRow VectorBgrRow(int bytes_per_pixel, DibInstructions allowed) {
  if (allowed == DibInstructions::kPlain) return nullptr;
  const bool best = allowed == DibInstructions::kBest;
  if (bytes_per_pixel == 3) {
    if (best && __builtin_cpu_supports("avx2")) return Bgr24RowAvx2;
    if (__builtin_cpu_supports("ssse3")) return Bgr24RowSsse3;
  } else if (bytes_per_pixel == 4) {
    if (__builtin_cpu_supports("ssse3")) return Bgr32RowSsse3;
  }
  return nullptr;
}

#else

DibBgrRow VectorBgrRow(int, DibInstructions) { return nullptr; }

#endif
