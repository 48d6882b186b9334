#include "base/text.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

namespace wxfetch {

std::string cformat(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0) return {};
  if (static_cast<size_t>(length) < sizeof small) return std::string(small, length);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(length));
  return text;
}

bool scan_long(std::string_view text, long& value) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  unsigned long long magnitude = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (magnitude < (1ULL << 62)) magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (magnitude > static_cast<unsigned long long>(LONG_MAX)) magnitude = LONG_MAX;
  value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
  return true;
}

std::string_view first_word(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  size_t end = begin;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  return text.substr(begin, end - begin);
}

std::string shown_directory(const std::string& directory) {
  return directory.empty() ? std::string("<current directory>") : directory;
}

void append_separator(std::string& directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
}

std::string iso_time(int year, int month, int day, int hour) {
  return cformat("%04d-%02d-%02dT%02d:00Z", year, month, day, hour);
}

bool leap_year(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
  static constexpr int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap_year(year) ? 29 : DAYS[month - 1];
}

std::string file_error(const std::string& name, int error_number) {
  return name + ": " + std::strerror(error_number);
}

}  // namespace wxfetch
