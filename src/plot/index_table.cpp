#include "plot/index_table.h"

#include <cstdio>

namespace wxfetch {

std::string index_text(double value, int decimals) {
  if (!present(value) || !std::isfinite(value)) return "";
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  // "-0.00" reads as a sign that the value does not have.
  if (std::string_view(text).find_first_not_of("-0.") == std::string_view::npos && text[0] == '-') {
    return text + 1;
  }
  return text;
}

std::string index_csv_header() {
  std::string out = "wmo,time";
  for (const IndexColumn& column : INDEX_COLUMNS) out += std::string(",") + column.name;
  return out + "\n";
}

std::string index_csv_row(const Profile& profile, const Indices& indices) {
  std::string out = std::to_string(profile.station.wmo) + "," + iso_time_text(profile);
  for (const IndexColumn& column : INDEX_COLUMNS) {
    out += "," + index_text(indices.*column.member, column.decimals);
  }
  return out + "\n";
}

std::string index_json_line(const Profile& profile, const Indices& indices) {
  std::string out = "{\"wmo\":" + std::to_string(profile.station.wmo) + ",\"time\":\"" +
                    iso_time_text(profile) + "\"";
  for (const IndexColumn& column : INDEX_COLUMNS) {
    const std::string value = index_text(indices.*column.member, column.decimals);
    out += std::string(",\"") + column.name + "\":" + (value.empty() ? "null" : value);
  }
  return out + "}\n";
}

}  // namespace wxfetch
