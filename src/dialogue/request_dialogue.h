// The request dialogue: the fixed sequence of questions that fills the AccessRequest, selects
// the stations, runs an extraction driver and offers to continue or to make another request.
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

struct ProgramContext;

// The answers of one request. One instance lives for the whole run; every field carries over as
// the default of the next request.
struct AccessRequest {
  std::string begin_date;  // YYYYMMDDHH text
  int32_t begin_value = 0;
  std::string end_date;
  int32_t end_value = 0;
  int16_t hour_choice = 0;      // 0 all, 1 0z and 12z, 2 0z, 3 12z
  int16_t access_type = 0;      // 0 numbers, 1 box, 2 North/Central America, 3 global
  int16_t station_id_type = 0;  // 0 WMO, 1 WBAN
  float lat_min = 10.0f;
  float lat_max = 50.0f;
  float lon_min = 100.0f;
  float lon_max = 120.0f;
  int16_t output_format = 0;  // 0 KVT, 1 FAA604
  bool above_100mb = true;
  int16_t level_type = 0;              // 0 all, 1 mandatory, 2 mandatory and significant
  int16_t wind_units = 0;              // 0 knots, 1 tenths of m/s
  int16_t sort_order = 1;              // 0 synoptic, 1 climatological
  int16_t output_location = 0;         // 0 screen, 1 files
  std::string output_directory;        // "" or ends in "/"
  int16_t time_file_structure = 0;     // 0 .. 5
  int16_t station_file_structure = 0;  // 0 .. 2
};

// Runs the dialogue until the user wants no more data; returns the result of the last
// extraction driver call (0 when none ran).
int32_t run_request_dialogue(ProgramContext& ctx);

}  // namespace wxfetch
