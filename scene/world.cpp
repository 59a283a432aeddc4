// The world file: a header line with the triangle count, then for each triangle a slot line and three corner
// lines of x y z u v. Lines are read in pieces of at most 254 characters; a piece that begins with "/" or is
// empty is skipped. The whole file is read at once and parsed in place: no stream calls per line, and a number
// parser of our own for the short decimals level files are made of.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "app/globals.h"
#include "scene/world.h"
#include "scene/world_reader.h"

namespace {

constexpr const char* kWorldFileName = "world.dat";
// The line buffer holds 256 characters; a piece is at most 254 of them, the line feed included.
constexpr int kPieceLength = 254;
constexpr int kSlotCount = kSceneTextureCount;

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
    if (source && static_cast<size_t>(end - next) <= kPieceLength) Refill();
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

// Powers of ten that floats and doubles hold exactly, and the doubles nearest their inverses.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
constexpr double kInversePowersOfTen[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10};

// The float nearest to mantissa / 10^k. Multiplying by the inverse is within two units of the double's last
// place of the exact quotient, so it rounds to the same float unless it lies that close to a point halfway
// between two floats (the 29 bits a float drops read about 2^28); only then is the exact division needed.
float DivideByPowerOfTen(uint64_t mantissa, int k) {
  double quick = static_cast<double>(mantissa) * kInversePowersOfTen[k];
  uint64_t bits;
  memcpy(&bits, &quick, sizeof(bits));
  uint64_t dropped = bits & ((uint64_t{1} << 29) - 1);
  if (dropped - ((uint64_t{1} << 28) - 8) <= 16) return static_cast<float>(static_cast<double>(mantissa) / kPowersOfTen[k]);
  return static_cast<float>(quick);
}

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
    world->triangles = static_cast<WorldTriangle*>(malloc(static_cast<size_t>(first_capacity) * sizeof(WorldTriangle)));
    if (world->triangles) capacity = static_cast<int32_t>(first_capacity);
  }

  bool whole = true;
  for (int32_t index = 0; index < count; ++index) {
    if (!Reserve(world, &capacity)) {
      Report(issues, line, "out of memory at " + TriangleOf(index, count) + "; loading stops here");
      whole = false;
      break;
    }
    // Read straight into the array's next free place; it counts only once it is complete and kept.
    WorldTriangle& triangle = world->triangles[world->triangle_count];
    if (!cursor.NextKept(&begin, &end, &line)) {
      Report(issues, cursor.line, "the file ends after " + std::to_string(index) + " of " + std::to_string(count) +
                                      " triangles");
      whole = false;
      break;
    }
    int64_t slot = 0;
    if (!ParseInteger(begin, end, true, &slot)) {
      Report(issues, line, "no texture slot for " + TriangleOf(index, count) + "; loading stops here");
      whole = false;
      break;
    }
    int32_t slot_line = line;
    bool stopped = false;
    for (int corner = 0; corner < 3 && !stopped; ++corner) {
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
