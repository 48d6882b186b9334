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
// REQUIRES: room for the larger of `width` and MAX_INTEGER_TEXT characters at `out`.
inline char* put_right_aligned(char* out, int64_t value, int width) {
  char digits[MAX_INTEGER_TEXT];
  int length = 0;
  // The magnitude in unsigned arithmetic, so that the most negative value has one too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[length++] = '-';
  for (int pad = width - length; pad > 0; --pad) *out++ = ' ';
  while (length > 0) *out++ = digits[--length];
  return out;
}

}  // namespace wxfetch
