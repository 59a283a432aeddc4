// The numbers the asset tool's commands take on their command lines.
#pragma once

// Parses "A,B[,C[,D]]" into up to `most` floats; false unless at least `least` and at most `most` are given and
// every one is a whole finite number.
bool ParseFloatList(const char* text, int least, int most, float* values, int* count);

// Parses a whole decimal number from least to most; false on anything else.
bool ParseWholeNumber(const char* text, int least, int most, int* value);
