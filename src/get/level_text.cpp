#include "get/level_text.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace wxfetch {

namespace {

// The texts of the tenths values that levels nearly always hold (pressures up to 1200 hPa,
// temperatures down to -150 C), looked up instead of formed: seven characters and a length each.
constexpr int64_t TABLE_FIRST = -1500;
constexpr int64_t TABLE_LAST = 12000;

struct TenthsText {
  char text[7];
  uint8_t length;
};

char* form_tenths(char* out, int64_t tenths) {
  const uint64_t magnitude =
      tenths < 0 ? 0 - static_cast<uint64_t>(tenths) : static_cast<uint64_t>(tenths);
  if (tenths < 0) *out++ = '-';
  out = put_integer(out, static_cast<int64_t>(magnitude / 10));
  *out++ = '.';
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

const TenthsText* tenths_table() {
  static const std::vector<TenthsText> table = [] {
    std::vector<TenthsText> texts(static_cast<size_t>(TABLE_LAST - TABLE_FIRST + 1));
    for (int64_t value = TABLE_FIRST; value <= TABLE_LAST; ++value) {
      char text[MAX_NUMBER_TEXT];
      TenthsText& entry = texts[static_cast<size_t>(value - TABLE_FIRST)];
      entry.length = static_cast<uint8_t>(form_tenths(text, value) - text);
      __builtin_memcpy(entry.text, text, entry.length);
    }
    return texts;
  }();
  return table.data();
}

}  // namespace

std::string_view kind_word(int32_t kind) {
  switch (kind) {
    case SURFACE:
      return "surface";
    case MANDATORY:
      return "mandatory";
    case SIGNIFICANT:
      return "significant";
    case WIND:
      return "wind";
    case TROPOPAUSE:
      return "tropopause";
    case MAX_WIND:
      return "max_wind";
    default:
      return "unknown";
  }
}

char* put_tenths(char* out, int64_t tenths) {
  static const TenthsText* const table = tenths_table();
  if (tenths >= TABLE_FIRST && tenths <= TABLE_LAST) {
    const TenthsText& entry = table[tenths - TABLE_FIRST];
    __builtin_memcpy(out, &entry, 8);  // the length byte lands past the text and is overwritten
    return out + entry.length;
  }
  return form_tenths(out, tenths);
}

int32_t wind_speed_tenths(int32_t speed, bool knots) {
  if (!knots || speed == MISSING_VALUE) return speed;
  return static_cast<int32_t>(std::lround(speed * OPEN_KNOTS_FACTOR));
}

std::string iso_time(int year, int month, int day, int hour) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:00Z", year, month, day, hour);
  return text;
}

std::string release_time_text(int32_t hhmm) {
  if (hhmm < 0 || hhmm / 100 > 23 || hhmm % 100 > 59) return "";
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", hhmm / 100, hhmm % 100);
  return text;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

std::string json_string(std::string_view text) {
  std::string result = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      result += '\\';
      result += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      result += escape;
    } else {
      result += c;
    }
  }
  return result + '"';
}

}  // namespace wxfetch
