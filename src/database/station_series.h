// Station-series extraction (the climatological sort): the soundings station by station, each
// station in order of year, month, day and the stored order of the day's soundings. One
// database file is open at a time.
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

struct ProgramContext;

// Returns the number of soundings handed to the decoder since the last output file was started,
// or -1 when no database file could be opened at all.
int32_t extract_station_series(ProgramContext& ctx, const std::string& begin_date,
                               const std::string& end_date, int16_t hour_choice, int16_t level_type,
                               int16_t wind_units, int16_t output_format,
                               int16_t station_file_structure, int16_t output_location,
                               std::string& output_directory);

}  // namespace wxfetch
