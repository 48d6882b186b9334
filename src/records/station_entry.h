// One row of the station catalogue and the catalogue's capacity: what the selection, the drivers
// and the writers share about a station. Rows are addressed by their index in the catalogue.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wxfetch {

// The rows the dialogue's catalogue holds; the programs without the dialogue hold any number.
constexpr int MAX_STATION_ROWS = 2000;
// An international site has no WBAN number of its own; it is given its WMO number plus this.
// Its station files are named with an "I" for the leading digit.
constexpr int32_t INTERNATIONAL_WBAN_OFFSET = 900000;

// Texts are zero-terminated and cut to their capacity; latitude and longitude are signed, north
// and east positive; the hemisphere letters are only printed beside magnitudes.
struct StationEntry {
  char initials[8] = {};
  int32_t wban = 0;
  int32_t wmo = 0;
  float latitude = 0;
  float longitude = 0;
  char lat_hemisphere = 0;
  char lon_hemisphere = 0;
  int16_t elevation = 0;
  int32_t period_begin = 0;  // YYYYMMDD
  int32_t period_end = 0;    // YYYYMMDD
  char name[30] = {};
  char state[3] = {};
  char country[3] = {};
};

// A catalogue row as the drivers hand it to a writer: its index (writers may keep per-row
// texts) and the row itself.
struct StationRow {
  int32_t index = -1;
  const StationEntry* entry = nullptr;
};

// The element of a per-row table (a writer's cache of station texts, say) for row `index`
// (REQUIRES: index >= 0), the table grown to hold it: the tables grow with the rows in use.
template <typename T>
T& grown_to_hold(std::vector<T>& table, int32_t index) {
  const size_t at = static_cast<size_t>(index);
  if (at >= table.size())
    table.resize(std::max<size_t>({at + 1, 2 * table.size(), MAX_STATION_ROWS}));
  return table[at];
}

}  // namespace wxfetch
