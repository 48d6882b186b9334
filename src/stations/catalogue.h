// The station catalogue: one table of at most MAX_STATION_ROWS station rows, loaded once at
// start-up from the station history table (stat2000.txt) followed by the international sites
// (international_sites.txt), and read-only afterwards. Rows are addressed by their index.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "records/station_entry.h"

namespace wxfetch {

struct StationCatalogue {
  std::array<StationEntry, MAX_STATION_ROWS> entries{};
  int16_t count = 0;
};

// Appends the rows of a station history table read from `file` to `catalogue`. Returns the number
// of rows appended. Never stores more than MAX_STATION_ROWS rows; returns through `overflow`
// whether rows were dropped for lack of room.
int load_history_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

// Appends the rows of an international sites table read from `file`; as load_history_rows.
int load_international_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

}  // namespace wxfetch
