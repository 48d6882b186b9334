// The KVT text format: four header lines (types 254, 1, 2 and 3) and one fixed-column line per
// selected level, each led by its line type (the level kind for a level line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/text_writer.h"

namespace wxfetch {

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

// Writes soundings in the KVT format: the full variant, or (without data above 100 mb) the
// 100-mb variant in whole mb with 32767 for absent values, which ends before the first level
// under 100 mb; the levels the request's level selection takes; wind speeds in knots or tenths
// of m/s. Writes nothing for a sounding without a selected level. Pages the screen after every
// line but the type 2 line and ends the program on a write error.
class KvtWriter : public TextWriter {
 public:
  // The level selection, wind units and variant come from `request`.
  KvtWriter(ScreenPager& pager, OutputFiles& files, const AccessRequest& request);

  // REQUIRES: station.entry is not null and station.index >= 0.
  void write(const Sounding& sounding, const StationRow& station) override;

 private:
  int32_t select_levels(const Sounding& sounding, int16_t* selected) const;
  SoundingHeader printed_header(const Sounding& sounding) const;
  void write_header_lines(const SoundingHeader& header, const StationRow& station,
                          int32_t selected_count);
  void write_station_line(const SoundingHeader& header, const StationRow& station);
  void write_level_lines(const Sounding& sounding, const int16_t* selected, int32_t selected_count);

  const bool full_variant_;
  const WindUnits wind_units_;
  const uint32_t kinds_;  // the selected level kinds, one bit per kind
  // The type 1 texts by catalogue row (filled as used): the synoptic sort takes the stations in
  // turn.
  std::vector<KvtStationText> station_texts_;
};

}  // namespace wxfetch
