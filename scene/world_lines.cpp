// The common lines of a world file. Numbers are taken eight characters at a time, so their lengths cost no
// branch; with SSE2, a tidy corner line is classified sixteen characters to an instruction.
#include "scene/world_lines.h"

#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>

#include "scene/world_numbers.h"

namespace worldfile {

namespace {

// std::bit_cast, which the browser build's C++ library (libc++ 13) lacks; both compilers have the builtin behind it.
template <typename To, typename From>
To BitCast(From from) {
  return __builtin_bit_cast(To, from);
}

uint64_t LoadEight(const char* p) {
  uint64_t word;
  memcpy(&word, p, sizeof(word));
  return word;
}

// How many of the eight characters in word, first character in the lowest byte, are digits before the first
// one that is not. A carry out of a byte can spoil only the bytes after a non-digit, which do not count.
int LeadingDigits(uint64_t word) {
  uint64_t x = word ^ 0x3030303030303030u;
  uint64_t not_digit = (x | (x + 0x0606060606060606u)) & 0xF0F0F0F0F0F0F0F0u;
  return not_digit ? std::countr_zero(not_digit) >> 3 : 8;
}

// The value of the first count (1 to 8) digits of word: shifted up so that they end in the top byte, with
// zeros below, then combined pairwise.
uint64_t DigitsValue(uint64_t word, int count) {
  word = (word << (8 * (8 - count))) & 0x0F0F0F0F0F0F0F0Fu;
  word = (word * 2561) >> 8;
  word = ((word & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
  return ((word & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
}

constexpr uint64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// A short decimal at p: a sign, up to seven integer digits, a point and up to seven fraction digits, with at
// least one digit, a value below 2^24 once the point is dropped, and white space after it. Reads at most 20
// characters from p. Null for any other number.
const char* ReadShortDecimal(const char* p, float* out) {
  bool negative = *p == '-';
  p += (*p == '-') | (*p == '+');
  uint64_t word = LoadEight(p);
  int whole_digits = LeadingDigits(word);
  if (whole_digits == 8) return nullptr;
  uint64_t mantissa = whole_digits ? DigitsValue(word, whole_digits) : 0;
  const char* q = p + whole_digits;
  int fraction_digits = 0;
  if (*q == '.') {
    uint64_t fraction = LoadEight(q + 1);
    fraction_digits = LeadingDigits(fraction);
    if (fraction_digits == 8) return nullptr;
    if (fraction_digits) mantissa = mantissa * kTens[fraction_digits] + DigitsValue(fraction, fraction_digits);
    q += 1 + fraction_digits;
  }
  char after = *q;
  if (whole_digits + fraction_digits == 0 || mantissa >= (1u << 24) ||
      (after != ' ' && after != '\t' && after != '\n' && after != '\r')) {
    return nullptr;
  }
  float value = fraction_digits == 0 ? static_cast<float>(mantissa) : DivideByPowerOfTen(mantissa, fraction_digits);
  *out = BitCast<float>(BitCast<uint32_t>(value) | (static_cast<uint32_t>(negative) << 31));
  return q;
}

}  // namespace

bool ReadSlotLine(PieceCursor& cursor, int64_t* slot) {
  if (!HasLookAhead(cursor)) return false;
  const char* p = cursor.next;
  unsigned first = static_cast<unsigned char>(p[0]) - '0';
  unsigned second = static_cast<unsigned char>(p[1]) - '0';
  if (first > 9) return false;
  int length = 1;
  int64_t value = first;
  if (second <= 9) {
    if (first == 0) return false;  // octal: the general reader's
    value = value * 10 + second;
    length = 2;
  }
  if (p[length] == '\r') ++length;
  if (p[length] != '\n' || !TakeLine(cursor, p + length)) return false;
  *slot = value;
  return true;
}

namespace {

#ifdef __SSE2__
// What a tidy corner line is made of, one bit per character of its first 48, the first character's lowest.
struct LineClasses {
  uint64_t gaps = 0;    // below "!": white space, line ends, control characters
  uint64_t points = 0;  // "."
  uint64_t minus = 0;   // "-"
  uint64_t others = 0;  // anything else than those and the digits
};

LineClasses ClassifyLine(const char* s) {
  LineClasses classes;
  for (int i = 0; i < 3; ++i) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * i));
    auto bits = [i](__m128i mask) {
      return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(mask))) << (16 * i);
    };
    __m128i gaps = _mm_cmplt_epi8(chunk, _mm_set1_epi8('!'));  // bytes from 0x80 up compare below too
    __m128i points = _mm_cmpeq_epi8(chunk, _mm_set1_epi8('.'));
    __m128i minus = _mm_cmpeq_epi8(chunk, _mm_set1_epi8('-'));
    // "0" to "9" moved to the bottom of the signed range: the only bytes below -118.
    __m128i shifted = _mm_add_epi8(chunk, _mm_set1_epi8(static_cast<char>(128 - '0')));
    __m128i digits = _mm_cmplt_epi8(shifted, _mm_set1_epi8(-118));
    classes.gaps |= bits(gaps);
    classes.points |= bits(points);
    classes.minus |= bits(minus);
    __m128i known = _mm_or_si128(_mm_or_si128(gaps, points), _mm_or_si128(minus, digits));
    classes.others |= bits(known) ^ (uint64_t{0xFFFF} << (16 * i));
  }
  return classes;
}

// The number of length characters at s + start, known to be digits, points, and a minus only as the first:
// its value from one eight-character word. False when it is not a short decimal (no digit, more than one
// point, too long, a value of 2^24 or more once the point is dropped).
[[gnu::always_inline]] inline bool ReadTidyNumber(const char* s, int start, int length, const LineClasses& classes,
                                                  float* out) {
  int sign = static_cast<int>((classes.minus >> start) & 1);
  bool negative = sign;
  int body = length - sign;
  bool ok = body >= 1 && body <= 8 - sign;
  body = ok ? body : 1;
  uint64_t word = LoadEight(s + start) >> (8 * sign);
  uint64_t points = (classes.points >> (start + sign)) & ((uint64_t{1} << body) - 1);
  ok &= (points & (points - 1)) == 0;
  bool has_point = points != 0;
  int point = has_point ? std::countr_zero(points) : body;
  // The digits after the point move down over it.
  uint64_t below = point ? ~uint64_t{0} >> (64 - 8 * point) : 0;
  uint64_t digits = (word & below) | ((word >> 8) & ~below);
  int count = body - has_point;
  ok &= count >= 1;
  uint64_t mantissa = DigitsValue(digits, count >= 1 ? count : 1);
  ok &= mantissa < (1u << 24);
  int fraction = body - point - has_point;
  float value = fraction == 0 ? static_cast<float>(mantissa) : DivideByPowerOfTen(mantissa, fraction);
  // The sign goes straight into the sign bit: signs are as random as the numbers, and a branch on them would
  // guess wrong half the time.
  *out = BitCast<float>(BitCast<uint32_t>(value) | (static_cast<uint32_t>(negative) << 31));
  return ok;
}

// A tidy corner line of at most 47 characters: five short decimals (signed with "-" if at all), one space
// between each two, the line feed (or CR LF) right after the fifth. What each character is, and so where each
// number starts and ends, is found for the whole line at once, sixteen characters to an instruction, so the
// five numbers are read independently of each other instead of each waiting for the end of the one before.
bool ReadTidyCornerLine(PieceCursor& cursor, WorldVertex* vertex) {
  const char* s = cursor.next;
  LineClasses classes = ClassifyLine(s);
  // Past the 48 characters classified every character counts as a gap: with fewer than five gaps among them
  // the missing ends come out at 48 and beyond, and the line is not taken.
  uint64_t gaps = classes.gaps | (~uint64_t{0} << 48);
  int ends[5];
  for (int& end : ends) {
    end = std::countr_zero(gaps);
    gaps &= gaps - 1;
  }
  uint64_t line = (uint64_t{1} << ends[4]) - 1;
  uint64_t starts = ~classes.gaps & ((classes.gaps << 1) | 1);
  bool tidy = ends[4] < 48 && ((classes.others | (classes.minus & ~starts)) & line) == 0;
  float* fields[5] = {&vertex->x, &vertex->y, &vertex->z, &vertex->u, &vertex->v};
#pragma GCC unroll 5
  for (int i = 0; i < 5; ++i) {
    int start = i ? ends[i - 1] + 1 : 0;
    tidy &= ReadTidyNumber(s, start, ends[i] - start, classes, fields[i]);
  }
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) tidy &= s[ends[i]] == ' ';
  int feed = ends[4] + (s[ends[4]] == '\r');
  return tidy && s[feed] == '\n' && TakeLine(cursor, s + feed);
}
#endif

}  // namespace

bool ReadCornerLine(PieceCursor& cursor, WorldVertex* vertex) {
  if (!HasLookAhead(cursor)) return false;
#ifdef __SSE2__
  if (ReadTidyCornerLine(cursor, vertex)) return true;
#endif
  const char* p = cursor.next;
  // The five numbers must start within the piece; each reads at most 20 characters past its start.
  const char* last_start = cursor.next + kPieceLength - 1;
  float* fields[5] = {&vertex->x, &vertex->y, &vertex->z, &vertex->u, &vertex->v};
  for (float* field : fields) {
    while (*p == ' ' || *p == '\t') {
      if (++p > last_start) return false;
    }
    p = ReadShortDecimal(p, field);
    if (!p || p > last_start) return false;
  }
  // Whatever follows the fifth number on its line is not read.
  const char* feed = *p == '\n' ? p : static_cast<const char*>(memchr(p, '\n', cursor.next + kPieceLength + 1 - p));
  return feed && TakeLine(cursor, feed);
}

}  // namespace worldfile
