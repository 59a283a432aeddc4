#include "tools/support/arguments.h"

#include <cmath>
#include <cstdlib>

bool ParseFloatList(const char* text, int least, int most, float* values, int* count) {
  int n = 0;
  const char* p = text;
  while (true) {
    if (n == most) return false;
    char* end = nullptr;
    float value = strtof(p, &end);
    if (end == p || !std::isfinite(value)) return false;
    values[n++] = value;
    if (*end == '\0') break;
    if (*end != ',') return false;
    p = end + 1;
  }
  if (n < least) return false;
  *count = n;
  return true;
}

bool ParseWholeNumber(const char* text, int least, int most, int* value) {
  char* end = nullptr;
  long parsed = strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < least || parsed > most) return false;
  *value = static_cast<int>(parsed);
  return true;
}
