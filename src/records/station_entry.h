// One row of the station catalogue and the catalogue's capacity: what the selection, the drivers
// and the writers share about a station. Rows are addressed by their index in the catalogue.
#pragma once

#include <cstdint>

namespace wxfetch {

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
  int16_t index = -1;
  const StationEntry* entry = nullptr;
};

}  // namespace wxfetch
