// Readers of the soundings that wxplot draws from a file: the KVT text that wxfetch writes (both
// variants, winds in knots or tenths of m/s) and the CSV of wxget (one row per level, grouped
// into soundings by station and time). A damaged block or row is left out and reported; the
// readers look only at the text they are given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/profile.h"

namespace wxfetch {

struct ReadResult {
  std::vector<Profile> soundings;
  std::vector<std::string> problems;  // "NAME:LINE: what is wrong", one per damaged part
};

// Reads KVT text: blocks of the header lines 254, 1, 2, 3 and level lines. The 100-mb variant
// (whole mb, 32767 for absent) is recognised by its pressures, none above 1100.
ReadResult read_kvt(std::string_view text, const std::string& name);

// Reads CSV text with the header wmo,wban,station,time,kind,pressure_hpa,height_m,
// temperature_c,dew_point_c,wind_direction_deg and wind_speed_ms or wind_speed_kt (columns found
// by name; quoted fields as RFC 4180 has them).
ReadResult read_csv(std::string_view text, const std::string& name);

// Chooses the reader by the first line: a CSV header begins with "wmo,".
ReadResult read_soundings(std::string_view text, const std::string& name);

}  // namespace wxfetch
