#include "output/level_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/text.h"

namespace wxfetch {

namespace detail {

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
    std::vector<TenthsText> texts(static_cast<size_t>(TENTHS_TABLE_LAST - TENTHS_TABLE_FIRST + 1));
    for (int64_t value = TENTHS_TABLE_FIRST; value <= TENTHS_TABLE_LAST; ++value) {
      char text[MAX_NUMBER_TEXT + 8];
      TenthsText& entry = texts[static_cast<size_t>(value - TENTHS_TABLE_FIRST)];
      entry.length = static_cast<uint8_t>(form_tenths(text, value) - text);
      __builtin_memcpy(entry.text, text, entry.length);
    }
    return texts;
  }();
  return table.data();
}

}  // namespace detail

const KindWord& kind_word_text(int32_t kind) {
  static const KindWord UNKNOWN{"unknown", 7};
  // Fixed-size copies of the words, so that the writers copy a whole field at once.
  static const std::array<KindWord, 10> WORDS = [] {
    std::array<KindWord, 10> words{};
    for (size_t kind = 0; kind < words.size(); ++kind) {
      const std::string_view word = LEVEL_KIND_WORDS[kind];
      if (word.empty()) {
        words[kind] = UNKNOWN;
      } else {
        word.copy(words[kind].text, word.size());
        words[kind].length = static_cast<uint8_t>(word.size());
      }
    }
    return words;
  }();
  return kind >= 0 && kind < 10 ? WORDS[static_cast<size_t>(kind)] : UNKNOWN;
}

int32_t wind_speed_tenths(int32_t speed, bool knots) {
  if (!knots || speed == MISSING_VALUE) return speed;
  return static_cast<int32_t>(std::lround(speed * KNOTS_PER_MS));
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

std::string json_number(double value, int decimals) {
  if (!std::isfinite(value)) return "null";
  return cformat("%.*f", decimals, value);
}

}  // namespace wxfetch
