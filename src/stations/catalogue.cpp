#include "stations/catalogue.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

#include "base/input_file.h"
#include "base/text.h"

namespace wxfetch {

namespace {

// Table lines are read as into a buffer of 120 characters: at most 119 characters of a line.
constexpr size_t LINE_BUFFER = 120;

constexpr size_t HISTORY_NAME_WIDTH = 25;
constexpr size_t INTERNATIONAL_NAME_WIDTH = 29;
constexpr size_t STATE_WIDTH = 2;
constexpr size_t COUNTRY_WIDTH = 2;
constexpr size_t INTERNATIONAL_INITIALS_LIMIT = 4;
// Only this many characters of an international latitude or longitude token are converted.
constexpr size_t COORDINATE_TOKEN_DIGITS = 6;
// Line positions (counted from 0) of the hemisphere letters in the international table.
constexpr size_t LAT_LETTER_POSITION = 17;
constexpr size_t LON_LETTER_POSITION = 25;

bool is_space(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool is_digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The position after a '+' or '-' at `i`, or `i` when there is none.
size_t after_sign(std::string_view text, size_t i) {
  return i < text.size() && (text[i] == '+' || text[i] == '-') ? i + 1 : i;
}

// The position after the digits from `i` on; adds their number to `digits`.
size_t after_digits(std::string_view text, size_t i, size_t& digits) {
  const size_t start = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  digits += i - start;
  return i;
}

// The position after the exponent ('e' or 'E', [sign] digits) at `i`, or `i` when there is no
// whole exponent there.
size_t after_exponent(std::string_view text, size_t i) {
  if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) return i;
  size_t digits = 0;
  const size_t end = after_digits(text, after_sign(text, i + 1), digits);
  return digits > 0 ? end : i;
}

// Returns the length of the decimal number at the start of `text` ([sign] digits [. digits]
// [exponent], at least one digit before the exponent), or 0 when `text` does not begin with one.
size_t decimal_length(std::string_view text) {
  size_t digits = 0;
  size_t i = after_digits(text, after_sign(text, 0), digits);
  if (i < text.size() && text[i] == '.') i = after_digits(text, i + 1, digits);
  if (digits == 0) return 0;
  return after_exponent(text, i);
}

float to_float(std::string_view number) {
  const std::string copy(number);
  return std::strtof(copy.c_str(), nullptr);
}

// The decimal number at the start of `text`, or 0 when there is none (as atof reads a text).
float leading_decimal(std::string_view text) {
  return to_float(text.substr(0, decimal_length(text)));
}

// Negation that turns 0 into 0, not -0, so that an unread coordinate never prints as "-0.00".
float negated(float value) {
  return 0.0f - value;
}

template <typename Int>
Int saturate(long long value) {
  if (value < std::numeric_limits<Int>::min()) return std::numeric_limits<Int>::min();
  if (value > std::numeric_limits<Int>::max()) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

// Copies `text` into a zero-terminated field, cut to the field's capacity.
template <size_t N>
void copy_text(char (&field)[N], std::string_view text) {
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < N; ++i) field[i] = i < length ? text[i] : '\0';
}

// Reads the fields of one table line in order, as a formatted scan does: numbers and words skip
// white space and end at white space, fixed-width texts skip white space and then take exactly
// their width, blanks included. After the first field that does not match, every later read
// fails too, so the rest of the row keeps its zero or empty values.
class RowScanner {
 public:
  explicit RowScanner(std::string_view line) : line_(line) {}

  bool word(std::string_view& text) {
    if (!start()) return false;
    size_t end = pos_;
    while (end < line_.size() && !is_space(line_[end])) ++end;
    text = line_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

  bool integer(long long& value) {
    if (!start()) return false;
    size_t i = pos_;
    const bool negative = line_[i] == '-';
    if (line_[i] == '+' || line_[i] == '-') ++i;
    if (i >= line_.size() || !is_digit(line_[i])) return fail();
    long long magnitude = 0;
    for (; i < line_.size() && is_digit(line_[i]); ++i) {
      // Past any field's range the value only has to stay out of range.
      if (magnitude < (1LL << 40)) magnitude = magnitude * 10 + (line_[i] - '0');
    }
    value = negative ? -magnitude : magnitude;
    pos_ = i;
    return true;
  }

  bool decimal(float& value) {
    if (!start()) return false;
    const size_t length = decimal_length(line_.substr(pos_));
    if (length == 0) return fail();
    value = to_float(line_.substr(pos_, length));
    pos_ += length;
    return true;
  }

  bool fixed(size_t width, std::string_view& text) {
    if (!start()) return false;
    if (line_.size() - pos_ < width) return fail();
    text = line_.substr(pos_, width);
    pos_ += width;
    return true;
  }

  // Leaves the rest of the row unread.
  bool fail() {
    failed_ = true;
    return false;
  }

 private:
  // Skips white space; false when the row has failed or has nothing left.
  bool start() {
    if (failed_) return false;
    while (pos_ < line_.size() && is_space(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) return fail();
    return true;
  }

  std::string_view line_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// Reads one line of a station table: at most 119 characters, as the tables have always been
// read. A longer line is still one row: its rest is passed over, so that it cannot turn into a
// row of its own. The line end (LF or CR-LF) is removed. Returns false at the end of the file.
bool read_table_line(std::istream& file, std::string& line) {
  if (!read_piece(file, line, LINE_BUFFER)) return false;
  if (line.back() == '\n') {
    line.pop_back();
  } else {
    char c;
    while (file.get(c) && c != '\n') {
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// One row of stat2000.txt: initials, WBAN, WMO, latitude (north), longitude (west positive),
// elevation, begin and end dates, name (25 characters), state (2 characters), country.
StationEntry parse_history_row(std::string_view line) {
  StationEntry row{};
  RowScanner scan(line);
  std::string_view text;
  long long number = 0;
  float value = 0;
  if (scan.word(text)) copy_text(row.initials, text);
  if (scan.integer(number)) row.wban = saturate<int32_t>(number);
  if (scan.integer(number)) row.wmo = saturate<int32_t>(number);
  if (scan.decimal(value)) row.latitude = value;
  if (scan.decimal(value)) row.longitude = value;
  if (scan.integer(number)) row.elevation = saturate<int16_t>(number);
  if (scan.integer(number)) row.period_begin = saturate<int32_t>(number);
  if (scan.integer(number)) row.period_end = saturate<int32_t>(number);
  if (scan.fixed(HISTORY_NAME_WIDTH, text)) copy_text(row.name, text);
  if (scan.fixed(STATE_WIDTH, text)) copy_text(row.state, text);
  if (scan.word(text)) copy_text(row.country, text);
  // The history table holds western longitudes as positive numbers.
  row.longitude = negated(row.longitude);
  row.lat_hemisphere = 'N';
  row.lon_hemisphere = 'W';
  return row;
}

char char_at(std::string_view line, size_t position) {
  return position < line.size() ? line[position] : '\0';
}

// One row of international_sites.txt: initials (at most 4 letters), WMO, latitude and longitude
// tokens (number and hemisphere letter), elevation, begin and end dates, name (29 characters),
// country (2 characters). The hemisphere letters stand at fixed line positions.
StationEntry parse_international_row(std::string_view line) {
  StationEntry row{};
  RowScanner scan(line);
  std::string_view text;
  std::string_view lat_token;
  std::string_view lon_token;
  long long number = 0;
  if (scan.word(text)) {
    copy_text(row.initials, text.substr(0, INTERNATIONAL_INITIALS_LIMIT));
    if (text.size() > INTERNATIONAL_INITIALS_LIMIT) scan.fail();
  }
  if (scan.integer(number)) row.wmo = saturate<int32_t>(number);
  scan.word(lat_token);
  scan.word(lon_token);
  if (scan.integer(number)) row.elevation = saturate<int16_t>(number);
  if (scan.integer(number)) row.period_begin = saturate<int32_t>(number);
  if (scan.integer(number)) row.period_end = saturate<int32_t>(number);
  if (scan.fixed(INTERNATIONAL_NAME_WIDTH, text)) copy_text(row.name, text);
  if (scan.fixed(COUNTRY_WIDTH, text)) copy_text(row.country, text);

  row.lat_hemisphere = char_at(line, LAT_LETTER_POSITION);
  row.lon_hemisphere = char_at(line, LON_LETTER_POSITION);
  row.latitude = leading_decimal(lat_token.substr(0, COORDINATE_TOKEN_DIGITS));
  row.longitude = leading_decimal(lon_token.substr(0, COORDINATE_TOKEN_DIGITS));
  if (row.lat_hemisphere == 'S') row.latitude = negated(row.latitude);
  if (row.lon_hemisphere == 'W') row.longitude = negated(row.longitude);
  copy_text(row.state, "99");
  row.wban = saturate<int32_t>(static_cast<long long>(row.wmo) + INTERNATIONAL_WBAN_OFFSET);
  return row;
}

// Reads a table: a count line whose leading integer is the number of rows (none when it has no
// number), then that many lines, each parsed by `parse` and appended to the catalogue. Stops
// early at the end of the file. Sets `overflow` when a row was left out for lack of room.
template <typename Parse>
int load_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow, Parse parse) {
  overflow = false;
  std::string line;
  if (!read_table_line(file, line)) return 0;
  long announced = 0;
  if (!scan_long(line, announced) || announced < 0) announced = 0;
  int appended = 0;
  for (long i = 0; i < announced; ++i) {
    if (!read_table_line(file, line)) break;
    if (catalogue.count >= catalogue.capacity) {
      overflow = true;
      break;
    }
    grown_to_hold(catalogue.entries, catalogue.count) = parse(line);
    ++catalogue.count;
    ++appended;
  }
  return appended;
}

}  // namespace

int load_history_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow) {
  return load_rows(file, catalogue, overflow, parse_history_row);
}

int load_international_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow) {
  return load_rows(file, catalogue, overflow, parse_international_row);
}

}  // namespace wxfetch
