// What an archive holds, from the month-by-day directories of its station-year files alone:
// per station, year and month the number of soundings, how many at 00, 06, 12, 18 and other
// hours, the first and the last. Records are never read, so a listing costs about what reading
// the directories costs. A damaged directory (one that leaves the file, an hour past 23, a
// sounding filed under a day the month lacks, a sounding that lies outside the file) is counted
// as far as it can be and its first problem kept; the scan goes on with the next file.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "database/archive_names.h"

namespace wxfetch {

// Soundings of a station over a month or a year.
struct SoundingCounts {
  long soundings = 0;
  std::array<long, 5> hours{};  // at 00, 06, 12, 18 and other hours
  int32_t first = 0;            // YYYYMMDDHH of the first sounding (0: none)
  int32_t last = 0;

  // Counts a sounding at `date_hour`; soundings come in time order.
  void add(int32_t date_hour);
  void add(const SoundingCounts& other);
};

// One station-year file: its counts by month (index 0 for January) and its problem ("" when
// its directory is sound).
struct StationYear {
  std::array<SoundingCounts, 12> months;
  std::string problem;
  SoundingCounts year() const;
};

// The archive by station (WBAN number as the file names give it) and year.
using Inventory = std::map<int32_t, std::map<int, StationYear>>;

// Reads the directory of the station-year file at `path` (of `year`). Only looks at the bytes
// the file holds.
StationYear scan_station_year(const std::string& path, int year);

// The WBAN number a station file name gives ("23062_99.BUF" 23062, "I03808_99.buf" 903808) when
// the name ends in "_" and the two digits of `year` and ".BUF" (either case); 0 otherwise.
int32_t station_of_file_name(const std::string& name, int year);

// Scans every station-year file of the years found under `database_directory` ("" or ending
// in "/"). Files of other names are passed over.
Inventory scan_archive(const std::string& database_directory, const YearsPresent& years);

// The WBAN numbers of the stations that have any file in the archive, from the file names alone.
std::vector<int32_t> stations_in_archive(const std::string& database_directory,
                                         const YearsPresent& years);

}  // namespace wxfetch
