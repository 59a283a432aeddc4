// The numbers of a world file. Short decimals, what level files are made of, are read exactly by our own code;
// everything else (long mantissas, large exponents, infinities, NaNs, hexadecimal) goes to the library.
#include "scene/world_numbers.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "scene/world_text.h"

namespace worldfile {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

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

namespace {

// A decimal number the library reads at [p, e) (optional sign, no white space), where our quick reading cannot
// be exact: long mantissas, large exponents. False when the characters are not a number.
bool ParseDecimalSlow(const char* p, const char* e, float* out) {
  const char* start = p;
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
#if defined(__cpp_lib_to_chars)
  float value = 0;
  std::from_chars_result result = std::from_chars(p, e, value, std::chars_format::general);
  if (result.ec == std::errc()) {
    *out = negative ? -value : value;
    return true;
  }
  if (result.ec != std::errc::result_out_of_range) return false;
#else
  // A C++ library without floating-point from_chars (the browser build's libc++ 13) takes the C library's
  // conversion below for every number: it rounds correctly too, so it reads each to the same bits.
  (void)negative;
#endif
  // Out of range: the library gives infinity or zero (or the nearest subnormal), as strtof does.
  char token[kPieceLength + 1];
  size_t length = static_cast<size_t>(e - start);
  if (length > kPieceLength) length = kPieceLength;
  memcpy(token, start, length);
  token[length] = '\0';
  char* token_end = nullptr;
  *out = strtof(token, &token_end);
  return token_end != token;
}

bool SameLetters(const char* p, const char* e, const char* lower) {
  for (; *lower; ++p, ++lower) {
    if (p >= e || (*p | 0x20) != *lower) return false;
  }
  return true;
}

// "inf", "infinity" or "nan" in any case at p, after the sign: all of the word or nothing, as the library's
// conversion takes them ("infin" is no number; "nan(" stops after "nan").
const char* ParseInfinityOrNan(const char* p, const char* e, bool negative, float* out) {
  float value;
  if (SameLetters(p, e, "nan")) {
    value = std::numeric_limits<float>::quiet_NaN();
    p += 3;
  } else if (SameLetters(p, e, "inf")) {
    value = std::numeric_limits<float>::infinity();
    p += 3;
    if (p < e && (*p | 0x20) == 'i') {
      if (!SameLetters(p, e, "inity")) return nullptr;
      p += 5;
    }
  } else {
    return nullptr;
  }
  *out = negative ? -value : value;
  return p;
}

bool IsHexDigit(char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

// A hexadecimal number from start (its sign) with digits from p, past the "0x". The library's conversion takes
// hexadecimal digits, a point and more digits, then (after a digit) "p", a sign and decimal digits; it fails when
// neither a digit nor the point follows the "0x", and otherwise gives the value of the longest number in what it
// took (so "0x." is 0).
const char* ParseHexFloat(const char* start, const char* p, const char* e, float* out) {
  const char* digits = p;
  bool any_digit = false;
  while (p < e && IsHexDigit(*p)) ++p;
  any_digit = p > digits;
  if (p < e && *p == '.') {
    const char* fraction = ++p;
    while (p < e && IsHexDigit(*p)) ++p;
    any_digit = any_digit || p > fraction;
  }
  if (p == digits) return nullptr;
  // The exponent marker is taken only after a digit.
  if (any_digit && p < e && (*p | 0x20) == 'p') {
    ++p;
    if (p < e && (*p == '+' || *p == '-')) ++p;
    while (p < e && IsDigit(*p)) ++p;
  }
  char token[kPieceLength + 1];
  size_t length = static_cast<size_t>(p - start);
  if (length > kPieceLength) length = kPieceLength;
  memcpy(token, start, length);
  token[length] = '\0';
  *out = strtof(token, nullptr);
  return p;
}

}  // namespace

// One floating-point number as "%f" reads it: white space, then a decimal number with optional sign, fraction
// and exponent (or the library's other forms: infinities, NaNs, hexadecimal). Exact: a mantissa below 2^24
// scaled by at most 10^10 is one correctly rounded operation on exact operands; everything else goes to the
// library. Like the library's conversion, an exponent marker with no digits after it ("1.5e", "2e+") is read
// and dropped: the number is the part before it, and the next number starts after the marker.
const char* ParseFloat(const char* p, const char* e, float* out) {
  p = SkipSpace(p, e);
  const char* start = p;
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p < e && ((*p | 0x20) == 'i' || (*p | 0x20) == 'n')) return ParseInfinityOrNan(p, e, negative, out);
  if (p + 1 < e && p[0] == '0' && (p[1] | 0x20) == 'x') return ParseHexFloat(start, p + 2, e, out);
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
  if (!any_digit) return nullptr;
  const char* number_end = p;
  if (p < e && (*p | 0x20) == 'e') {
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
      number_end = q;
    }
    p = q;
  }
  if (mantissa == 0 && exact) {
    *out = negative ? -0.0f : 0.0f;
    return p;
  }
  if (!exact || mantissa >= (1u << 24) || scale > 10 || scale < -10) {
    return ParseDecimalSlow(start, number_end, out) ? p : nullptr;
  }
  // A product of two floats' worth of bits is exact in a double, so only its rounding to float happens.
  float result = scale >= 0 ? static_cast<float>(static_cast<double>(mantissa) * kPowersOfTen[scale])
                            : DivideByPowerOfTen(mantissa, -scale);
  *out = negative ? -result : result;
  return p;
}

}  // namespace worldfile
