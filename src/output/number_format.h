// Hand-made integer formatting for the writers' hot lines: the same text as printf's "%*ld",
// written straight into a caller's buffer without parsing a format.
#pragma once

#include <cstdint>

namespace wxfetch {

// The most characters put_right_aligned writes for a field narrower than this: a sign and the
// 19 digits of the largest 64-bit magnitude.
constexpr int MAX_INTEGER_TEXT = 20;

// Writes `value` in decimal at `out`, with a leading '-' when negative, right-aligned with
// blanks in at least `width` characters; a wider value takes as many characters as it needs.
// Returns the end of what was written.
// REQUIRES: room for the larger of `width` and MAX_INTEGER_TEXT characters at `out` (and for at
// least 8).
inline char* put_right_aligned(char* out, int64_t value, int width) {
  static constexpr char DIGIT_PAIRS[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // The magnitude in unsigned arithmetic, so that the most negative value has one too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  int length = value < 0 ? 2 : 1;
  for (uint64_t rest = magnitude; rest >= 10; rest /= 10) ++length;
  const int field = length > width ? length : width;
  // Blanks first (a short field takes one 8-byte store), then the digits from the right.
  if (field <= 8) {
    __builtin_memcpy(out, "        ", 8);
  } else {
    for (int i = 0; i < field; ++i) out[i] = ' ';
  }
  char* const end = out + field;
  char* digit = end;
  while (magnitude > UINT32_MAX) {
    *--digit = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  // Values of 32 bits, which are all the writers print, take the cheaper 32-bit divisions.
  uint32_t small = static_cast<uint32_t>(magnitude);
  while (small >= 100) {
    const uint32_t pair = small % 100;
    small /= 100;
    digit -= 2;
    digit[0] = DIGIT_PAIRS[2 * pair];
    digit[1] = DIGIT_PAIRS[2 * pair + 1];
  }
  if (small >= 10) {
    digit -= 2;
    digit[0] = DIGIT_PAIRS[2 * small];
    digit[1] = DIGIT_PAIRS[2 * small + 1];
  } else {
    *--digit = static_cast<char>('0' + small);
  }
  if (value < 0) *--digit = '-';
  return end;
}

}  // namespace wxfetch
