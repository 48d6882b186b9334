// The station catalogue: one table of station rows, loaded once at start-up from the station
// history table (stat2000.txt) followed by the international sites (international_sites.txt),
// and read-only afterwards. Rows are addressed by their index. The dialogue's catalogue holds at
// most MAX_STATION_ROWS rows; the programs without the dialogue lift the limit.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "records/station_entry.h"

namespace wxfetch {

// A capacity without limit: the table grows with the rows read.
constexpr int32_t ANY_NUMBER_OF_ROWS = std::numeric_limits<int32_t>::max();

struct StationCatalogue {
  // Rows 0 .. count-1 are in use; `entries` has room for MAX_STATION_ROWS from the start and
  // grows past it only when `capacity` allows.
  std::vector<StationEntry> entries = std::vector<StationEntry>(MAX_STATION_ROWS);
  int32_t count = 0;
  int32_t capacity = MAX_STATION_ROWS;
};

// Appends the rows of a station history table read from `file` to `catalogue`. Returns the number
// of rows appended. Never stores more than the catalogue's capacity; returns through `overflow`
// whether rows were dropped for lack of room.
int load_history_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

// Appends the rows of an international sites table read from `file`; as load_history_rows.
int load_international_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

}  // namespace wxfetch
