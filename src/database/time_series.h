// Time-series extraction (the synoptic sort): the soundings of the period in order of date and
// hour, and within one hour in the order of the selected stations. All files of a year are open
// at once; each file's directory is read once per month.
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

struct ProgramContext;

// Returns the number of soundings handed to the decoder since the last output file was started.
int32_t extract_time_series(ProgramContext& ctx, const std::string& begin_date,
                            const std::string& end_date, int16_t hour_choice, int16_t level_type,
                            int16_t wind_units, int16_t output_format, int16_t time_file_structure,
                            int16_t output_location, std::string& output_directory);

}  // namespace wxfetch
