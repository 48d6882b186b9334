// The archive builder: writes station-year database files in the archive's layout (34-byte
// header, month-by-day directory, records back to back in hour order with 83-bit levels) from
// plain descriptions of soundings. It is the source of the sample archive and of every test
// archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wxfetch::pack {

constexpr int32_t ABSENT = 99999;

// One level as the decoder gives it back. `kind` is a level kind 4 to 9 (stored as its flag
// 2, 16, 32, 4, 8, 1); any other value is stored unchanged as the 7-bit flag, to make levels
// of no known kind.
struct PackLevel {
  int32_t kind = 4;
  int32_t pressure = ABSENT;     // tenths of mb
  int32_t height = ABSENT;       // metres; stored so that the decoder gives these metres back
  int32_t temperature = ABSENT;  // tenths of degrees C
  int32_t dew_point = ABSENT;    // tenths of degrees C
  int32_t wind_direction = ABSENT;
  int32_t wind_speed = ABSENT;   // tenths of m/s
};

// One sounding as the decoder gives it back.
struct PackSounding {
  int32_t wban = 0;
  int year = 1999;
  int month = 1;
  int day = 1;
  int hour = 0;
  int32_t release_time = ABSENT;  // hhmm
  int32_t sonde_type = ABSENT;    // decoded code: 45, 46, 49, 51, 37, 52, 61, 63, 0 or 9 to 14
  int32_t indicator_a = ABSENT;   // 0 to 6
  int32_t indicator_b = ABSENT;   // 0 to 14
  // 1-based indices of the levels whose pressures become the reference pressures; 0 or ABSENT
  // for none.
  int32_t level_reference_1 = ABSENT;
  int32_t level_reference_2 = ABSENT;
  int32_t level_reference_3 = ABSENT;
  // Number of 5-byte entries of the optional block; -1 for a record without it.
  int optional_entries = -1;
  std::vector<PackLevel> levels;
};

// Returns one record's bytes. Throws std::invalid_argument for a value its field cannot hold.
std::vector<uint8_t> build_record(const PackSounding& sounding);

// Returns a whole station-year file holding `soundings` (all of one station and year; they are
// stored in order of date and hour).
std::vector<uint8_t> build_station_year_file(const std::vector<PackSounding>& soundings);

// Writes the files of `soundings` (any stations and years) under `database_directory`, each at
// database_file_name(database_directory, year, wban), creating the year folders.
void write_archive(const std::filesystem::path& database_directory,
                   const std::vector<PackSounding>& soundings);

}  // namespace wxfetch::pack
