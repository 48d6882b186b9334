// University of Wyoming sounding listings: the TEXT:LIST page saved as text (a title line naming
// station and time, the fixed-column block PRES HGHT TEMP DWPT ... and optionally the block
// "Station information and sounding indices"; several soundings may follow each other) and the
// TEXT:CSV variant (a header row naming the columns; station and time come from the caller).
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "import/import_run.h"

namespace wxfetch {
namespace pack {

// Station and time for a CSV listing, which names neither.
struct CsvSounding {
  int32_t wmo = 0;
  int year = 0, month = 0, day = 0, hour = 0;
};

// What the TEXT:LIST pages tell of a station: the identifier and name of the title (or of the
// line after a newer title), the position and elevation of the "Latitude: ... Longitude: ..."
// line and of the station information block, and the years of its soundings.
struct WyomingStation {
  std::string identifier;
  std::string name;
  std::optional<double> latitude;   // degrees north
  std::optional<double> longitude;  // degrees east
  std::optional<double> elevation;  // metres
  int first_year = 0;
  int last_year = 0;
};
using WyomingStations = std::map<int32_t, WyomingStation>;  // by WMO number

// Reads the listing `in` (named `file` in messages) into `run`: a CSV listing when its first
// non-blank line holds a comma, and `csv` then gives its station and time (without it the
// listing is reported and skipped); otherwise TEXT:LIST pages. A row that does not parse skips
// its sounding with a message.
void read_wyoming(std::istream& in, const std::string& file, const StationTable& stations,
                  const std::optional<CsvSounding>& csv, ImportRun& run);

// Adds what the TEXT:LIST pages of `in` tell of their stations to `seen`.
void collect_wyoming_stations(std::istream& in, WyomingStations& seen);

// Writes the international sites table (count line first) for the stations of `seen` that
// `stations` does not hold (they are filed by WBAN number). A station whose pages give no
// position gets no row and a message on `messages`. Returns the number of such stations.
long write_wyoming_station_rows(const WyomingStations& seen, const StationTable& stations,
                                std::ostream& out, std::ostream& messages);

}  // namespace pack
}  // namespace wxfetch
