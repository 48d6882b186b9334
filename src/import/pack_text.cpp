#include "import/pack_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace wxfetch {
namespace pack {

namespace {

constexpr size_t SOUNDING_FIELDS = 10;  // after the word SOUNDING
constexpr size_t LEVEL_FIELDS = 7;      // after the word LEVEL

std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  for (;;) {
    at = line.find_first_not_of(" \t\r", at);
    if (at == std::string_view::npos) return words;
    const size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
}

[[noreturn]] void fault(int line_number, const std::string& what) {
  throw std::invalid_argument("line " + std::to_string(line_number) + ": " + what);
}

// The whole word as a decimal integer (an optional minus sign, then digits).
long long number_of(std::string_view word, int line_number) {
  long long value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) {
    fault(line_number, "\"" + std::string(word) + "\" is not a whole number");
  }
  return value;
}

int32_t field_of(std::string_view word, int line_number) {
  const long long value = number_of(word, line_number);
  if (value < INT32_MIN || value > INT32_MAX) {
    fault(line_number, "\"" + std::string(word) + "\" is out of range");
  }
  return static_cast<int32_t>(value);
}

PackSounding sounding_of(const std::vector<std::string_view>& words, int line_number) {
  if (words.size() != 1 + SOUNDING_FIELDS) {
    fault(line_number, "a SOUNDING line needs " + std::to_string(SOUNDING_FIELDS) + " values");
  }
  PackSounding sounding;
  sounding.wban = field_of(words[1], line_number);
  const long long date = number_of(words[2], line_number);
  if (words[2].size() != 10 || date < 0) fault(line_number, "the date must be YYYYMMDDHH");
  sounding.year = static_cast<int>(date / 1000000);
  sounding.month = static_cast<int>(date / 10000 % 100);
  sounding.day = static_cast<int>(date / 100 % 100);
  sounding.hour = static_cast<int>(date % 100);
  if (sounding.month < 1 || sounding.month > 12 || sounding.day < 1 || sounding.day > 31 ||
      sounding.hour > 23) {
    fault(line_number, "no such date and hour: " + std::string(words[2]));
  }
  sounding.release_time = field_of(words[3], line_number);
  sounding.sonde_type = field_of(words[4], line_number);
  sounding.indicator_a = field_of(words[5], line_number);
  sounding.indicator_b = field_of(words[6], line_number);
  sounding.level_reference_1 = field_of(words[7], line_number);
  sounding.level_reference_2 = field_of(words[8], line_number);
  sounding.level_reference_3 = field_of(words[9], line_number);
  sounding.optional_entries = field_of(words[10], line_number);
  if (sounding.optional_entries < -1) fault(line_number, "optional entries must be -1 or more");
  return sounding;
}

PackLevel level_of(const std::vector<std::string_view>& words, int line_number) {
  if (words.size() != 1 + LEVEL_FIELDS) {
    fault(line_number, "a LEVEL line needs " + std::to_string(LEVEL_FIELDS) + " values");
  }
  PackLevel level;
  int32_t* const fields[LEVEL_FIELDS] = {
      &level.kind,      &level.pressure,       &level.height,    &level.temperature,
      &level.dew_point, &level.wind_direction, &level.wind_speed};
  for (size_t i = 0; i < LEVEL_FIELDS; ++i) *fields[i] = field_of(words[1 + i], line_number);
  if (level.kind < 4 || level.kind > 9) {
    fault(line_number, "level kind " + std::string(words[1]) + " is not one of 4 to 9");
  }
  return level;
}

}  // namespace

std::vector<PackSounding> read_pack_text(std::istream& text, std::vector<int>* sounding_lines) {
  std::vector<PackSounding> soundings;
  std::string line;
  int line_number = 0;
  while (std::getline(text, line)) {
    ++line_number;
    const std::vector<std::string_view> words = words_of(line);
    if (words.empty() || words[0].front() == '#') continue;
    if (words[0] == "SOUNDING") {
      soundings.push_back(sounding_of(words, line_number));
      if (sounding_lines != nullptr) sounding_lines->push_back(line_number);
    } else if (words[0] == "LEVEL") {
      if (soundings.empty()) fault(line_number, "a LEVEL line before the first SOUNDING line");
      soundings.back().levels.push_back(level_of(words, line_number));
    } else {
      fault(line_number, "expected SOUNDING or LEVEL, found \"" + std::string(words[0]) + "\"");
    }
  }
  return soundings;
}

}  // namespace pack
}  // namespace wxfetch
