// The KVT text format: four header lines (types 254, 1, 2 and 3) and one fixed-column line per
// selected level, each led by its line type (the level kind for a level line).
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

struct ProgramContext;

// The factor that turns tenths of a metre per second into knots: trunc(speed * 0.1925 + 0.5).
constexpr double KNOTS_FACTOR = 0.1925;

// The columns of the type 1 line that describe the station.
struct StationColumns {
  long wban = 0;
  long wmo = 0;
  double latitude = 0;
  double longitude = 0;
  char lat_hemisphere = 0;
  char lon_hemisphere = 0;
  int elevation = 0;
  bool operator==(const StationColumns&) const = default;
};

// The type 1 line up to its release time for one catalogue row, formatted at its first sounding
// and kept with the columns it was formatted from.
struct KvtStationText {
  StationColumns columns;
  std::string text;
};

// Writes ctx.sounding to ctx.output_stream in the KVT format (full variant, or the 100-mb variant
// when ctx.request.above_100mb is false). Writes nothing when no level is selected. Pages the
// screen after every line but the type 2 line and checks for write errors after every level.
void write_kvt_sounding(ProgramContext& ctx, int16_t wind_units, int16_t level_type,
                        int16_t station_row);

}  // namespace wxfetch
