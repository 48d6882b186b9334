// Helpers of the importer tests: what an import wrote, record by record.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "database/archive_names.h"
#include "database/archive_writer.h"

namespace wxfetch::pack::testing {

// The records of the station-year file of `wban` and `year` under `directory` (none when the
// file is missing).
inline std::vector<StoredRecord> records_in(const std::filesystem::path& directory, int year,
                                            int32_t wban) {
  std::ifstream in(database_file_name(directory.string() + "/", year, wban), std::ios::binary);
  if (!in) return {};
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  return read_station_year_records(bytes);
}

// A sounding with nothing known but its station, date and hour (as importers make them).
inline PackSounding bare_sounding(int32_t wban, int year, int month, int day, int hour) {
  PackSounding s;
  s.wban = wban;
  s.year = year;
  s.month = month;
  s.day = day;
  s.hour = hour;
  return s;
}

}  // namespace wxfetch::pack::testing
