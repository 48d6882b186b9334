// Database files: one folder per year under the database directory ("TEFA" + year text) and in
// it one file per station ("<station file number>_<two-digit year>.BUF"). This header names
// them and finds the years present; it opens nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace wxfetch {

constexpr int FIRST_ARCHIVE_YEAR = 1900;
constexpr int LAST_ARCHIVE_YEAR = 2099;

// The years found under a database directory: for each year, which spelling of its folder was
// found (0 none, else an index into YEAR_FOLDER_SPELLINGS); the first and last year found
// (last < 0: none).
struct YearsPresent {
  std::array<uint8_t, LAST_ARCHIVE_YEAR - FIRST_ARCHIVE_YEAR + 1> spelling{};
  int16_t first = 0;
  int16_t last = -1;
};
inline constexpr const char* YEAR_FOLDER_SPELLINGS[] = {"", "tefa", "TEFA", "Tefa"};

// "93" for 1993, "5" for 1905, "1994" for 1994.
std::string year_text(int year);
// The year modulo 100 in two digits: "93", "05", "00".
std::string two_digit_year(int year);
// The WBAN number in decimal; above INTERNATIONAL_WBAN_OFFSET its first digit becomes "I"
// (910410 -> "I10410").
std::string station_file_number(int32_t wban);
// database_directory + "TEFA" + year text.
std::string year_folder_name(const std::string& database_directory, int year);
// database_directory + "TEFA" + year text + "/" + station file number + "_" + yy + ".BUF".
std::string database_file_name(const std::string& database_directory, int year, int32_t wban);

// The names a station-year file may have, in the order they are tried: the upper-case name
// first; then, on a file system that tells cases apart, the folder spelling that the year
// discovery found, with the file name in upper and in lower case. No name is given twice.
struct YearFileNames {
  std::string names[3];
  int count = 0;
};
YearFileNames year_file_names(const std::string& database_directory, const YearsPresent& years,
                              int year, int32_t wban);

// The name a writer gives the file of `wban` for `year`: the first of year_file_names that
// exists, so that a copy with lower-case names is added to, not split; else the upper-case file
// name in the year folder spelling that `years` found, or in "TEFA" when there is none.
std::string year_file_name_to_write(const std::string& database_directory,
                                    const YearsPresent& years, int year, int32_t wban);

// Finds the years present under `database_directory` (a year counts when a folder, or anything,
// of one of the three spellings exists). Prints nothing.
YearsPresent find_years(const std::string& database_directory);

}  // namespace wxfetch
