// The request: every choice of one access to the archive as a value. The dialogue fills it from
// the user's answers (and keeps it as the defaults of the next request); a program without the
// dialogue fills it itself. The drivers and the writers read it and nothing else of the dialogue.
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

// Each choice keeps the number the dialogue's menu shows for it.
enum class SoundingHours : int16_t { ALL = 0, ZERO_AND_TWELVE = 1, ZERO = 2, TWELVE = 3 };
enum class StationAccess : int16_t {
  BY_NUMBER = 0,
  BOX = 1,
  NORTH_CENTRAL_AMERICA = 2,
  GLOBAL = 3
};
enum class StationIdType : int16_t { WMO = 0, WBAN = 1 };
enum class OutputFormat : int16_t { KVT = 0, FAA604 = 1 };
enum class LevelSelection : int16_t { ALL = 0, MANDATORY = 1, MANDATORY_AND_SIGNIFICANT = 2 };
enum class WindUnits : int16_t { KNOTS = 0, TENTHS_MS = 1 };
enum class SortOrder : int16_t { SYNOPTIC = 0, CLIMATOLOGICAL = 1 };
enum class OutputLocation : int16_t { SCREEN = 0, FILES = 1 };
// The synoptic sort starts a new file at each step named here (ONE_FILE: never).
enum class TimeFileStructure : int16_t {
  ONE_FILE = 0,
  PER_YEAR = 1,
  PER_MONTH = 2,
  PER_DAY = 3,
  PER_HOUR = 4,
  PER_SOUNDING = 5,
};
enum class StationFileStructure : int16_t { ONE_FILE = 0, PER_STATION = 1, PER_SOUNDING = 2 };

struct AccessRequest {
  std::string begin_date;  // YYYYMMDDHH text
  int32_t begin_value = 0;
  std::string end_date;
  int32_t end_value = 0;
  SoundingHours hours = SoundingHours::ALL;
  StationAccess access = StationAccess::BY_NUMBER;
  StationIdType station_id_type = StationIdType::WMO;
  float lat_min = 10.0f;
  float lat_max = 50.0f;
  float lon_min = 100.0f;
  float lon_max = 120.0f;
  OutputFormat output_format = OutputFormat::KVT;
  bool above_100mb = true;  // KVT only: false writes the 100-mb variant
  LevelSelection levels = LevelSelection::ALL;
  WindUnits wind_units = WindUnits::KNOTS;  // KVT only; FAA604 always writes knots
  SortOrder sort_order = SortOrder::CLIMATOLOGICAL;
  OutputLocation output_location = OutputLocation::SCREEN;
  std::string output_directory;  // "" or ends in "/"
  TimeFileStructure time_file_structure = TimeFileStructure::ONE_FILE;
  StationFileStructure station_file_structure = StationFileStructure::ONE_FILE;

  // Sets both dates, as texts and as values (YYYYMMDDHH).
  void set_period(const std::string& begin, const std::string& end);
  // True when the request writes output files (a new file is started as the file structure of
  // its sort order says); false for the screen.
  bool to_files() const { return output_location == OutputLocation::FILES; }
  // True when every sounding of the request goes to one file (the structure of its sort order).
  bool one_file() const {
    return sort_order == SortOrder::SYNOPTIC
               ? time_file_structure == TimeFileStructure::ONE_FILE
               : station_file_structure == StationFileStructure::ONE_FILE;
  }
};

}  // namespace wxfetch
