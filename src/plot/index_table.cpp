#include "plot/index_table.h"

#include <charconv>
#include <string_view>

namespace wxfetch {

namespace {

// Appends the value with `decimals` decimals to `out`, nothing when absent.
void append_index_text(std::string& out, double value, int decimals) {
  if (!present(value) || !std::isfinite(value)) return;
  char text[400];  // the widest double in fixed notation with a few decimals
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return;
  std::string_view written(text, static_cast<size_t>(end - text));
  // "-0.00" reads as a sign that the value does not have.
  if (written.find_first_not_of("-0.") == std::string_view::npos && text[0] == '-') {
    written.remove_prefix(1);
  }
  out += written;
}

}  // namespace

std::string index_text(double value, int decimals) {
  std::string out;
  append_index_text(out, value, decimals);
  return out;
}

std::string index_csv_header() {
  std::string out = "wmo,time";
  for (const IndexColumn& column : INDEX_COLUMNS) out += std::string(",") + column.name;
  return out + "\n";
}

std::string index_csv_row(const Profile& profile, const Indices& indices) {
  std::string out = std::to_string(profile.station.wmo) + "," + iso_time_text(profile);
  for (const IndexColumn& column : INDEX_COLUMNS) {
    out += ',';
    append_index_text(out, column.value(indices), column.decimals);
  }
  return out + "\n";
}

std::string index_json_line(const Profile& profile, const Indices& indices) {
  std::string out = "{\"wmo\":" + std::to_string(profile.station.wmo) + ",\"time\":\"" +
                    iso_time_text(profile) + "\"";
  for (const IndexColumn& column : INDEX_COLUMNS) {
    const std::string value = index_text(column.value(indices), column.decimals);
    out += std::string(",\"") + column.name + "\":" + (value.empty() ? "null" : value);
  }
  return out + "}\n";
}

}  // namespace wxfetch
