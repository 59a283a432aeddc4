// The numbers of a world file, read as the C library's "%d", "%i" and "%f" conversions read them.
#pragma once

#include <cstdint>

namespace worldfile {

// An integer as "%d" (base 10) or "%i" (base 0: 0x hexadecimal, leading 0 octal) reads it: white space, sign,
// digits. Values beyond 64 bits saturate; the caller decides what is out of range. False when no digit.
bool ParseInteger(const char* p, const char* e, bool any_base, int64_t* out);

// One floating-point number as "%f" reads it from [p, e): white space, then the number. Returns where the
// conversion stops reading (which may be past the number's last character, see world_numbers.cpp), or null when
// no number starts here.
const char* ParseFloat(const char* p, const char* e, float* out);

// Powers of ten that floats hold exactly (5^10 still fits a float's 24 bits).
constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The float nearest to mantissa / 10^k, for a mantissa below 2^24 and k up to 10: both operands are floats
// exactly, and one division rounds the exact quotient once. (Where the arithmetic runs in wider registers, the
// second rounding to float cannot change the result: 64 bits of precision are more than twice 24 plus two.)
inline float DivideByPowerOfTen(uint64_t mantissa, int k) { return static_cast<float>(mantissa) / kPowersOfTen[k]; }

}  // namespace worldfile
