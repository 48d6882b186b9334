// The station catalogue: one table of at most MAX_STATION_ROWS station rows, loaded once at
// start-up from the station history table (stat2000.txt) followed by the international sites
// (international_sites.txt), and read-only afterwards. Rows are addressed by their index.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace wxfetch {

struct ProgramContext;

constexpr int MAX_STATION_ROWS = 2000;
// An international site has no WBAN number of its own; it is given its WMO number plus this.
constexpr int32_t INTERNATIONAL_WBAN_OFFSET = 900000;

// One catalogue row. Texts are zero-terminated and cut to their capacity; latitude and longitude
// are signed, north and east positive; the hemisphere letters are only printed beside magnitudes.
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

struct StationCatalogue {
  std::array<StationEntry, MAX_STATION_ROWS> entries{};
  int16_t count = 0;
};

// Loads both station files from ctx.support_directory into ctx.catalogue. When the history table
// is missing, runs its failure dialogue (which may end the program) and leaves the catalogue
// empty; when the international file is missing, prints its message and keeps the history rows.
void load_station_catalogue(ProgramContext& ctx);

// Appends the rows of a station history table read from `file` to `catalogue`. Returns the number
// of rows appended. Never stores more than MAX_STATION_ROWS rows; returns through `overflow`
// whether rows were dropped for lack of room.
int load_history_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

// Appends the rows of an international sites table read from `file`; as load_history_rows.
int load_international_rows(std::istream& file, StationCatalogue& catalogue, bool& overflow);

}  // namespace wxfetch
