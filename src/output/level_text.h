// Level values as the open formats (CSV and JSON Lines) print them: decimal numbers at the
// archive's precision (tenths for pressure, temperature, dew point and wind speed, whole metres
// and degrees otherwise), the level kind as a word, the time in ISO 8601 UTC. An absent value
// (MISSING_VALUE) prints as nothing; the caller puts its own marker ("" or null) instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/number_format.h"
#include "records/sounding.h"

namespace wxfetch {

// The longest text put_tenths and put_integer write.
constexpr size_t MAX_NUMBER_TEXT = MAX_INTEGER_TEXT + 2;

// A level kind's word in at most 15 characters: "surface", "mandatory", "significant", "wind",
// "tropopause", "max_wind"; "unknown" for any other kind (only a damaged record holds one).
struct KindWord {
  char text[15];
  uint8_t length;
};
const KindWord& kind_word_text(int32_t kind);
inline std::string_view kind_word(int32_t kind) {
  const KindWord& word = kind_word_text(kind);
  return std::string_view(word.text, word.length);
}

namespace detail {

// The texts of the tenths values that levels nearly always hold (pressures up to 1200 hPa,
// temperatures down to -150 C), looked up instead of formed: seven characters and a length each.
constexpr int64_t TENTHS_TABLE_FIRST = -1500;
constexpr int64_t TENTHS_TABLE_LAST = 12000;
struct TenthsText {
  char text[7];
  uint8_t length;
};
const TenthsText* tenths_table();
char* form_tenths(char* out, int64_t tenths);

}  // namespace detail

// Puts `tenths` as a decimal number with one digit after the point ("-19.4", "1000.0", "0.5")
// at `out` and returns its end. REQUIRES: MAX_NUMBER_TEXT characters of room (and 8).
inline char* put_tenths(char* out, int64_t tenths) {
  static const detail::TenthsText* const table = detail::tenths_table();
  if (tenths >= detail::TENTHS_TABLE_FIRST && tenths <= detail::TENTHS_TABLE_LAST) {
    const detail::TenthsText& entry = table[tenths - detail::TENTHS_TABLE_FIRST];
    __builtin_memcpy(out, &entry, 8);  // the length byte lands past the text; it is overwritten
    return out + entry.length;
  }
  return detail::form_tenths(out, tenths);
}

// Puts `value` in decimal ("-12", "1611") at `out` and returns its end.
// REQUIRES: MAX_NUMBER_TEXT characters of room.
inline char* put_integer(char* out, int64_t value) {
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  // The digits end 8 bytes before the buffer's end, so that 8 bytes can always be copied.
  char digits[MAX_INTEGER_TEXT + 1 + 8];
  char* const end = digits + MAX_INTEGER_TEXT + 1;
  char* first = detail::put_digits_before(end, magnitude);
  if (value < 0) *--first = '-';
  const size_t length = static_cast<size_t>(end - first);
  if (length <= 8) {
    __builtin_memcpy(out, first, 8);
  } else {
    __builtin_memcpy(out, first, length);
  }
  return out + length;
}

// A wind speed in tenths of m/s as tenths of the output unit: unchanged for m/s, rounded to the
// nearest tenth of a knot for knots. MISSING_VALUE stays MISSING_VALUE.
int32_t wind_speed_tenths(int32_t speed, bool knots);

// The release time hhmm as "23:09", or "" when absent or not a time of day.
std::string release_time_text(int32_t hhmm);

// `text` as one CSV field (RFC 4180): quoted, with its quotes doubled, when it holds a comma, a
// quote or a line end; as it is otherwise.
std::string csv_field(std::string_view text);

// `text` as a JSON string with its quotes. Bytes from 0x80 are taken as Latin-1 letters, so
// that the result is valid UTF-8 whatever the station tables hold.
std::string json_string(std::string_view text);

// `value` with `decimals` decimals as a JSON number, or null when it is not finite (a damaged
// station table's 1e39): JSON has no infinity.
std::string json_number(double value, int decimals);

}  // namespace wxfetch
