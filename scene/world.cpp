// The world file: a header line with the triangle count, then for each triangle a slot line and three corner
// lines of x y z u v. Lines are read in pieces of at most 254 characters; a piece that begins with "/" or is
// empty is skipped. The text is parsed in place, from memory or from a window the file streams through: no
// stream calls per line, and readers of our own for the lines and short decimals level files are made of.
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "app/globals.h"
#include "platform/memory.h"
#include "scene/world.h"
#include "scene/world_reader.h"

namespace {

constexpr const char* kWorldFileName = "world.dat";
// The line buffer holds 256 characters; a piece is at most 254 of them, the line feed included.
constexpr int kPieceLength = 254;
constexpr int kSlotCount = kSceneTextureCount;
// The fast reader of common lines looks at most this far ahead of a line's start; the streaming window keeps at
// least this much in hand until the file's end.
constexpr size_t kLookAhead = 320;

uint64_t s_generation = 0;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks the file piece by piece, the way a 255-character line read in text mode sees it: a carriage return
// right before a line feed is dropped and does not count towards the piece's length. The text is either all in
// memory, or streamed from a file through a window that is refilled whenever less than a piece is left, so that
// a big level never needs its whole text in memory.
struct PieceCursor {
  const char* next;
  const char* end;
  int32_t line = 1;  // the physical line the next piece starts on
  FILE* source = nullptr;
  char* window = nullptr;
  size_t window_size = 0;

  void Refill() {
    size_t kept = static_cast<size_t>(end - next);
    memmove(window, next, kept);
    size_t got = fread(window + kept, 1, window_size - kept, source);
    if (got < window_size - kept) source = nullptr;  // end of file (or a read error, which ends it too)
    next = window;
    end = window + kept + got;
  }

  // The next piece as [*begin, *piece_end); false at the end of the file. *piece_line is its line number. The
  // piece stays valid until the next call.
  bool Next(const char** begin, const char** piece_end, int32_t* piece_line) {
    if (source && static_cast<size_t>(end - next) < kLookAhead) Refill();
    if (next >= end) return false;
    *begin = next;
    *piece_line = line;
    size_t left = static_cast<size_t>(end - next);
    size_t reach = left < kPieceLength + 1 ? left : kPieceLength + 1;
    const char* feed = static_cast<const char*>(memchr(next, '\n', reach));
    if (feed) {
      size_t length = static_cast<size_t>(feed - next) + 1;
      bool has_cr = feed > next && feed[-1] == '\r';
      if (length - (has_cr ? 1 : 0) <= kPieceLength) {
        *piece_end = feed + 1;
        next = feed + 1;
        ++line;
        return true;
      }
    }
    // No line feed within reach: the piece is the next 254 characters (or what is left).
    size_t take = left < kPieceLength ? left : kPieceLength;
    *piece_end = next + take;
    next += take;
    return true;
  }

  // The next piece that is neither a comment nor blank.
  bool NextKept(const char** begin, const char** piece_end, int32_t* piece_line) {
    while (Next(begin, piece_end, piece_line)) {
      char first = **begin;
      if (first == '/' || first == '\n') continue;
      // A blank line written with CR LF is a lone line feed once the carriage return is dropped.
      if (first == '\r' && *piece_end - *begin == 2 && (*begin)[1] == '\n') continue;
      return true;
    }
    return false;
  }
};

const char* SkipSpace(const char* p, const char* e) {
  while (p < e && IsSpace(*p)) ++p;
  return p;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// An integer as "%d" (base 10) or "%i" (base 0: 0x hexadecimal, leading 0 octal) reads it: white space, sign,
// digits. Values beyond 64 bits saturate; the caller decides what is out of range. False when no digit.
bool ParseInteger(const char* p, const char* e, bool any_base, int64_t* out) {
  p = SkipSpace(p, e);
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  int base = 10;
  if (any_base && p < e && *p == '0') {
    if (p + 2 < e && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
      base = 16;
      p += 2;
    } else {
      base = 8;
    }
  }
  if (p >= e || DigitValue(*p) >= base) return false;
  uint64_t value = 0;
  bool overflow = false;
  for (; p < e && DigitValue(*p) < base; ++p) {
    uint64_t digit = static_cast<uint64_t>(DigitValue(*p));
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / static_cast<uint64_t>(base)) overflow = true;
    value = value * static_cast<uint64_t>(base) + digit;
  }
  if (overflow || value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    *out = negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  } else {
    *out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  }
  return true;
}

// Powers of ten that floats hold exactly (5^10 still fits a float's 24 bits).
constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The float nearest to mantissa / 10^k, for a mantissa below 2^24 and k up to 10: both operands are floats
// exactly, and one division rounds the exact quotient once. (Where the arithmetic runs in wider registers, the
// second rounding to float cannot change the result: 64 bits of precision are more than twice 24 plus two.)
float DivideByPowerOfTen(uint64_t mantissa, int k) { return static_cast<float>(mantissa) / kPowersOfTen[k]; }

// The number the library reads at [p, e) (no leading white space), for whatever our fast path leaves: long
// mantissas, large exponents, infinities, NaNs, hexadecimal. Returns the end of the number or null.
const char* ParseFloatSlow(const char* p, const char* e, float* out) {
  const char* start = p;
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  bool hex = p + 1 < e && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
  if (!hex) {
    float value = 0;
    std::from_chars_result result = std::from_chars(p, e, value, std::chars_format::general);
    if (result.ec == std::errc()) {
      *out = negative ? -value : value;
      return result.ptr;
    }
    if (result.ec != std::errc::result_out_of_range) return nullptr;
  }
  // Out of range (the library gives infinity or zero) and hexadecimal: strtof itself, on a terminated copy.
  char token[kPieceLength + 1];
  size_t length = static_cast<size_t>(e - start);
  if (length > kPieceLength) length = kPieceLength;
  memcpy(token, start, length);
  token[length] = '\0';
  char* token_end = nullptr;
  float value = strtof(token, &token_end);
  if (token_end == token) return nullptr;
  *out = value;
  return start + (token_end - token);
}

// One floating-point number as "%f" reads it: white space, then a decimal number with optional sign, fraction
// and exponent. Returns the end of the number, or null when none starts here. Exact: a mantissa below 2^24
// scaled by at most 10^10 is one correctly rounded operation on exact operands; everything else goes to the
// library.
const char* ParseFloat(const char* p, const char* e, float* out) {
  p = SkipSpace(p, e);
  const char* start = p;
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  uint64_t mantissa = 0;
  int digits = 0;  // significant digits taken into the mantissa
  int scale = 0;   // decimal exponent adjustment from the fraction
  bool any_digit = false;
  bool exact = true;
  const char* int_start = p;
  while (p < e && *p == '0') ++p;
  while (p < e && IsDigit(*p)) {
    if (digits < 19) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
      ++digits;
    } else {
      exact = false;
    }
    ++p;
  }
  any_digit = p > int_start;
  if (any_digit && p < e && (*p == 'x' || *p == 'X') && p - int_start == 1 && *int_start == '0') {
    return ParseFloatSlow(start, e, out);
  }
  if (p < e && *p == '.') {
    ++p;
    const char* frac_start = p;
    if (digits == 0) {
      while (p < e && *p == '0') {
        ++p;
        --scale;
      }
    }
    while (p < e && IsDigit(*p)) {
      if (digits < 19) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        ++digits;
        --scale;
      } else {
        exact = false;
      }
      ++p;
    }
    any_digit = any_digit || p > frac_start;
  }
  if (!any_digit) {
    // Perhaps "inf" or "nan"; the library knows those.
    if (p < e && (*p == 'i' || *p == 'I' || *p == 'n' || *p == 'N')) return ParseFloatSlow(start, e, out);
    return nullptr;
  }
  if (p < e && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool exp_negative = false;
    if (q < e && (*q == '+' || *q == '-')) exp_negative = *q++ == '-';
    if (q < e && IsDigit(*q)) {
      int exponent = 0;
      while (q < e && IsDigit(*q)) {
        if (exponent < 100000) exponent = exponent * 10 + (*q - '0');
        ++q;
      }
      scale += exp_negative ? -exponent : exponent;
      p = q;
    }
  }
  if (mantissa == 0 && exact) {
    *out = negative ? -0.0f : 0.0f;
    return p;
  }
  if (!exact || mantissa >= (1u << 24) || scale > 10 || scale < -10) return ParseFloatSlow(start, e, out);
  // A product of two floats' worth of bits is exact in a double, so only its rounding to float happens.
  float result = scale >= 0 ? static_cast<float>(static_cast<double>(mantissa) * kPowersOfTen[scale])
                            : DivideByPowerOfTen(mantissa, -scale);
  *out = negative ? -result : result;
  return p;
}

// The common lines, read without finding their ends first: a slot line of one or two decimal digits, and a
// corner line of five short decimals ("-74.375") apart by white space. Numbers are taken eight characters at a
// time, so their lengths cost no branch. Each reader gives exactly what the general reader gives for such a
// line, and returns false having consumed nothing for anything else (a comment or blank line, a number the
// general reader must weigh, a line too long to be one piece, the text's last few hundred characters); the
// general reader then takes the line.
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
  *out = std::bit_cast<float>(std::bit_cast<uint32_t>(value) | (static_cast<uint32_t>(negative) << 31));
  return q;
}

bool HasLookAhead(PieceCursor& cursor) {
  if (cursor.source && static_cast<size_t>(cursor.end - cursor.next) < kLookAhead) cursor.Refill();
  return static_cast<size_t>(cursor.end - cursor.next) >= kLookAhead;
}

// The line ending at the line feed at feed, begun at the cursor, is one piece; take it.
bool TakeLine(PieceCursor& cursor, const char* feed) {
  size_t length = static_cast<size_t>(feed - cursor.next) + 1;
  if (length - (feed[-1] == '\r' ? 1 : 0) > kPieceLength) return false;
  cursor.next = feed + 1;
  ++cursor.line;
  return true;
}

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
  *out = std::bit_cast<float>(std::bit_cast<uint32_t>(value) | (static_cast<uint32_t>(negative) << 31));
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

// Makes room for one more triangle at the end of the malloc'd array; false when memory runs out.
bool Reserve(World* world, int32_t* capacity) {
  if (world->triangle_count == *capacity) {
    int64_t grown = *capacity < 16 ? 16 : static_cast<int64_t>(*capacity) * 2;
    if (grown > std::numeric_limits<int32_t>::max()) grown = std::numeric_limits<int32_t>::max();
    if (grown <= *capacity) return false;
    void* bigger = realloc(world->triangles, static_cast<size_t>(grown) * sizeof(WorldTriangle));
    if (!bigger) return false;
    world->triangles = static_cast<WorldTriangle*>(bigger);
    *capacity = static_cast<int32_t>(grown);
    OsUseLargePages(world->triangles, static_cast<size_t>(grown) * sizeof(WorldTriangle));
  }
  return true;
}

void Report(std::vector<WorldIssue>* issues, int32_t line, std::string reason) {
  if (issues) issues->push_back(WorldIssue{line, std::move(reason)});
}

std::string TriangleOf(int32_t index, int64_t count) {
  return "triangle " + std::to_string(index + 1) + " of " + std::to_string(count);
}

}  // namespace

namespace {

// size is the file's length (or an estimate): it bounds the first allocation.
bool ParsePieces(PieceCursor& cursor, size_t size, World* world, std::vector<WorldIssue>* issues) {
  *world = World{};
  const char* begin = nullptr;
  const char* end = nullptr;
  int32_t line = 0;

  if (!cursor.NextKept(&begin, &end, &line)) {
    Report(issues, cursor.line, "no header line: the file holds nothing but comments and blank lines");
    return false;
  }
  constexpr size_t kWordLength = 10;
  int64_t count = 0;
  if (static_cast<size_t>(end - begin) < kWordLength || memcmp(begin, "NUMPOLLIES", kWordLength) != 0 ||
      !ParseInteger(begin + kWordLength, end, false, &count)) {
    Report(issues, line, "the header is not NUMPOLLIES followed by a count");
    return false;
  }
  if (count > std::numeric_limits<int32_t>::max() || count < std::numeric_limits<int32_t>::min()) {
    Report(issues, line, "the count does not fit 32 bits");
    return false;
  }
  if (count < 0) {
    Report(issues, line, "the count " + std::to_string(count) + " is negative: no triangles are read");
    return false;
  }

  // Never trust the count for the allocation: a triangle takes at least 32 characters of the file.
  int64_t most = static_cast<int64_t>(size / 32) + 1;
  int64_t first_capacity = count < most ? count : most;
  int32_t capacity = 0;
  if (first_capacity > 0) {
    size_t bytes = static_cast<size_t>(first_capacity) * sizeof(WorldTriangle);
    world->triangles = static_cast<WorldTriangle*>(malloc(bytes));
    if (world->triangles) {
      capacity = static_cast<int32_t>(first_capacity);
      OsUseLargePages(world->triangles, bytes);
    }
  }

  bool whole = true;
  // The array's pages are asked for a few hundred kilobytes ahead of the reading, in one call each time: a
  // fault per page on first write costs more than the parsing does on some machines.
  constexpr int32_t kPrefaultStep = 8192;
  int32_t prefaulted = 0;
  for (int32_t index = 0; index < count; ++index) {
    if (!Reserve(world, &capacity)) {
      Report(issues, line, "out of memory at " + TriangleOf(index, count) + "; loading stops here");
      whole = false;
      break;
    }
    if (world->triangle_count >= prefaulted) {
      int32_t ahead = capacity - world->triangle_count < kPrefaultStep ? capacity - world->triangle_count : kPrefaultStep;
      OsPrefaultMemory(world->triangles + world->triangle_count, static_cast<size_t>(ahead) * sizeof(WorldTriangle));
      prefaulted = world->triangle_count + ahead;
    }
    // Read straight into the array's next free place; it counts only once it is complete and kept.
    WorldTriangle& triangle = world->triangles[world->triangle_count];
    int64_t slot = 0;
    if (ReadSlotLine(cursor, &slot)) {
      line = cursor.line - 1;
    } else {
      if (!cursor.NextKept(&begin, &end, &line)) {
        Report(issues, cursor.line, "the file ends after " + std::to_string(index) + " of " +
                                        std::to_string(count) + " triangles");
        whole = false;
        break;
      }
      if (!ParseInteger(begin, end, true, &slot)) {
        Report(issues, line, "no texture slot for " + TriangleOf(index, count) + "; loading stops here");
        whole = false;
        break;
      }
    }
    int32_t slot_line = line;
    bool stopped = false;
    for (int corner = 0; corner < 3 && !stopped; ++corner) {
      if (ReadCornerLine(cursor, &triangle.vertices[corner])) {
        line = cursor.line - 1;
        continue;
      }
      if (!cursor.NextKept(&begin, &end, &line)) {
        Report(issues, cursor.line, "the file ends inside " + TriangleOf(index, count));
        stopped = true;
        break;
      }
      WorldVertex& vertex = triangle.vertices[corner];
      float* fields[5] = {&vertex.x, &vertex.y, &vertex.z, &vertex.u, &vertex.v};
      const char* p = begin;
      for (int field = 0; field < 5; ++field) {
        p = ParseFloat(p, end, fields[field]);
        if (!p) {
          Report(issues, line, "corner " + std::to_string(corner + 1) + " of " + TriangleOf(index, count) +
                                   " has " + std::to_string(field) + " of its five numbers; loading stops here");
          stopped = true;
          break;
        }
      }
    }
    if (stopped) {
      whole = false;
      break;
    }
    if (slot < 0 || slot >= kSlotCount) {
      Report(issues, slot_line, "texture slot " + std::to_string(slot) + " is outside 0 to 15: " +
                                    TriangleOf(index, count) + " is left out");
      whole = false;
      continue;
    }
    triangle.texture_slot = static_cast<int32_t>(slot);
    ++world->triangle_count;
  }
  // Give back what the estimate took beyond the triangles read.
  if (world->triangle_count <= 0) {
    free(world->triangles);
    world->triangles = nullptr;
  } else if (world->triangle_count < capacity) {
    size_t kept = static_cast<uint32_t>(world->triangle_count);
    void* fitted = realloc(world->triangles, kept * sizeof(WorldTriangle));
    if (fitted) world->triangles = static_cast<WorldTriangle*>(fitted);
  }
  if (whole && cursor.NextKept(&begin, &end, &line)) {
    Report(issues, line, "not read: the header announces " + std::to_string(count) + " triangles and they end before "
                         "this line");
    whole = false;
  }
  return whole;
}

}  // namespace

bool ParseWorld(const char* data, size_t size, World* world, std::vector<WorldIssue>* issues) {
  PieceCursor cursor{data, data + size};
  return ParsePieces(cursor, size, world, issues);
}

uint64_t WorldGeneration() { return s_generation; }

void LoadWorld() {
  ReleaseWorld(&g_game.world);
  FILE* file = fopen(kWorldFileName, "rb");
  if (!file) return;
  size_t size = 0;
  if (fseek(file, 0, SEEK_END) == 0) {
    long length = ftell(file);
    if (length > 0) size = static_cast<size_t>(length);
  }
  fseek(file, 0, SEEK_SET);
  // Of unknown length (size 0), the array simply grows as triangles are read.
  // A window of a megabyte stays in the cache; the text is read through it once.
  constexpr size_t kWindowSize = 1 << 20;
  char* window = static_cast<char*>(malloc(kWindowSize));
  if (window) {
    PieceCursor cursor{window, window};
    cursor.source = file;
    cursor.window = window;
    cursor.window_size = kWindowSize;
    World loaded;
    ParsePieces(cursor, size, &loaded, nullptr);
    g_game.world = loaded;
    free(window);
  }
  fclose(file);
  ++s_generation;
}

void ReadWorldLine(FILE* file, char* line) {
  for (;;) {
    int length = 0;
    while (length < kPieceLength) {
      int c = getc(file);
      if (c == EOF) break;
      if (c == '\r') {
        int after = getc(file);
        if (after == '\n') {
          c = '\n';
        } else if (after != EOF) {
          ungetc(after, file);
        }
      }
      line[length++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    line[length] = '\0';
    // At the end of the file the line stays empty, so a caller never waits for ever.
    if (length == 0) return;
    if (line[0] != '/' && line[0] != '\n') return;
  }
}

void ReleaseWorld(World* world) {
  free(world->triangles);
  world->triangles = nullptr;
  world->triangle_count = 0;
  ++s_generation;
}
