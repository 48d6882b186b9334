// Hand-made integer formatting for the writers' hot lines: the same text as printf's "%*ld",
// written straight into a caller's buffer without parsing a format.
#pragma once

#include <cstdint>
#include <string_view>

namespace wxfetch {

// The most characters put_right_aligned writes for a field narrower than this: a sign and the
// 19 digits of the largest 64-bit magnitude.
constexpr int MAX_INTEGER_TEXT = 20;

// Writes `value` in decimal at `out`, with a leading '-' when negative, right-aligned with
// blanks in at least `width` characters; a wider value takes as many characters as it needs.
// Returns the end of what was written.
// REQUIRES: room for the larger of `width` and MAX_INTEGER_TEXT characters at `out` (and for at
// least 8).
namespace detail {

inline constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the decimal digits of `magnitude` so that they end just before `end`; returns where
// they begin.
inline char* put_digits_before(char* end, uint64_t magnitude) {
  while (magnitude > UINT32_MAX) {
    *--end = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  // 32-bit magnitudes, which are all the writers print, take the cheaper 32-bit divisions.
  uint32_t small = static_cast<uint32_t>(magnitude);
  while (small >= 100) {
    const uint32_t pair = small % 100;
    small /= 100;
    end -= 2;
    end[0] = DIGIT_PAIRS[2 * pair];
    end[1] = DIGIT_PAIRS[2 * pair + 1];
  }
  if (small >= 10) {
    end -= 2;
    end[0] = DIGIT_PAIRS[2 * small];
    end[1] = DIGIT_PAIRS[2 * small + 1];
  } else {
    *--end = static_cast<char>('0' + small);
  }
  return end;
}

// 10 to the power n, for n = 0 to 8.
inline constexpr int64_t POWERS_OF_TEN[9] = {1,      10,      100,      1000,     10000,
                                             100000, 1000000, 10000000, 100000000};

}  // namespace detail

inline char* put_right_aligned(char* out, int64_t value, int width) {
  // The magnitude in unsigned arithmetic, so that the most negative value has one too.
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  // The common case: a field of at most 8 columns that the value fits (a negative value needs
  // one column for its sign). One 8-byte store lays the blanks, the digits go over them.
  if (width >= 1 && width <= 8 &&
      (value >= 0 ? value < detail::POWERS_OF_TEN[width]
                  : value > -detail::POWERS_OF_TEN[width - 1])) {
    __builtin_memcpy(out, "        ", 8);
    char* const end = out + width;
    char* const first = detail::put_digits_before(end, magnitude);
    if (value < 0) first[-1] = '-';
    return end;
  }
  char digits[MAX_INTEGER_TEXT];
  char* first = detail::put_digits_before(digits + MAX_INTEGER_TEXT, magnitude);
  if (value < 0) *--first = '-';
  const int length = static_cast<int>(digits + MAX_INTEGER_TEXT - first);
  for (int pad = width - length; pad > 0; --pad) *out++ = ' ';
  for (int i = 0; i < length; ++i) *out++ = first[i];
  return out;
}

// As put_right_aligned with a fixed width of at most 8 columns, without branches on the digits
// for values that fit the field: all eight digit places are formed at once in one 64-bit word,
// then the places before the first digit become blanks (and one of them the sign) by masking.
// REQUIRES: room for 8 characters and for MAX_INTEGER_TEXT at `out`.
template <int WIDTH>
inline char* put_right_aligned_fixed(char* out, int64_t value) {
  static_assert(WIDTH >= 1 && WIDTH <= 8);
  constexpr int64_t LIMIT = detail::POWERS_OF_TEN[WIDTH];
  constexpr int64_t NEGATIVE_LIMIT = -detail::POWERS_OF_TEN[WIDTH - 1];
  if (value >= LIMIT || value <= NEGATIVE_LIMIT) return put_right_aligned(out, value, WIDTH);
  const bool negative = value < 0;
  const uint32_t magnitude = static_cast<uint32_t>(negative ? -value : value);
  // The eight digits of the magnitude, one per byte, the first in the lowest byte: split into
  // halves of four digits, then (in every lane at once) into pairs and into single digits.
  uint64_t word = magnitude / 10000 | uint64_t{magnitude % 10000} << 32;
  uint64_t tens = ((word * 10486) >> 20) & 0x0000007F0000007FULL;  // n / 100 for n < 10000
  word = tens | ((word - tens * 100) << 16);
  tens = ((word * 103) >> 10) & 0x000F000F000F000FULL;  // n / 10 for n < 100
  word = tens | ((word - tens * 10) << 8);
  // Places before the first significant digit are blanks; the last place is always a digit
  // (a zero keeps it).
  const int blanks = __builtin_ctzll(word | uint64_t{1} << 56) / 8;
  word |= 0x3030303030303030ULL;
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "places are masked as little-endian");
  const uint64_t blank_mask = (uint64_t{1} << (8 * blanks)) - 1;
  word = (word & ~blank_mask) | (0x2020202020202020ULL & blank_mask);
  // The sign takes the place before the first digit (a blank, since the value fits).
  word ^= uint64_t{negative} * (uint64_t{'-' ^ ' '} << (8 * (blanks - negative)));
  // The field is the last WIDTH places.
  word >>= 8 * (8 - WIDTH);
  __builtin_memcpy(out, &word, 8);
  return out + WIDTH;
}

namespace detail {

// The six-column fields of the values SIX_COLUMN_FIRST .. SIX_COLUMN_LAST, eight bytes each (the
// last two are blanks), which cover nearly every value of a level line: pressures, heights,
// temperatures, winds and the absent-value markers.
constexpr int64_t SIX_COLUMN_FIRST = -9999;
constexpr int64_t SIX_COLUMN_LAST = 99999;
const uint64_t* six_column_fields();

}  // namespace detail

// As put_right_aligned_fixed<6>, by looking the field up for the common values.
// REQUIRES: room for 8 characters and for MAX_INTEGER_TEXT at `out`.
inline char* put_right_aligned_6(char* out, int64_t value) {
  static const uint64_t* const fields = detail::six_column_fields();
  if (value >= detail::SIX_COLUMN_FIRST && value <= detail::SIX_COLUMN_LAST) {
    __builtin_memcpy(out, &fields[value - detail::SIX_COLUMN_FIRST], 8);
    return out + 6;
  }
  return put_right_aligned_fixed<6>(out, value);
}

// Writes `text` right-aligned with blanks in at least `width` characters, as printf's "%*s".
// Returns the end of what was written.
// REQUIRES: room for the larger of `width` and text.size() characters at `out`.
inline char* put_right_aligned_text(char* out, std::string_view text, int width) {
  for (int pad = width - static_cast<int>(text.size()); pad > 0; --pad) *out++ = ' ';
  for (const char c : text) *out++ = c;
  return out;
}

}  // namespace wxfetch
