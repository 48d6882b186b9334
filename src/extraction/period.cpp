#include "extraction/period.h"

#include "base/text.h"

namespace wxfetch {

DateHour parse_date_hour(const std::string& text) {
  auto number = [&](size_t from, size_t count) {
    long value = 0;
    return from < text.size() && scan_long(text.substr(from, count), value) ? value : 0L;
  };
  DateHour date;
  long value = 0;
  date.value = scan_long(text, value) ? static_cast<int32_t>(value) : 0;
  date.year = static_cast<int16_t>(number(0, 4));
  date.month = static_cast<int16_t>(number(4, 2));
  date.day = static_cast<int16_t>(number(6, 2));
  date.hour = static_cast<int16_t>(number(8, 2));
  return date;
}

}  // namespace wxfetch
