// Database files: one folder per year under the database directory ("TEFA" + year text) and in
// it one file per station ("<station file number>_<two-digit year>.BUF"). This header names
// them, finds the years present and opens a station-year file into a file slot.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace wxfetch {

struct ProgramContext;

// Enough slots for every station a request can select.
constexpr int MAX_FILE_SLOTS = 2000;
constexpr int FIRST_ARCHIVE_YEAR = 1900;
constexpr int LAST_ARCHIVE_YEAR = 2099;

// Open statuses of open_year_file.
constexpr int16_t CLOSE_FIRST = -1;     // on entry: close slot_to_close's stream first
constexpr int16_t FILE_ABSENT = 0;      // there is no such file
constexpr int16_t FILE_OPENED = 1;      // the file was opened
constexpr int16_t FILE_NOT_OPENED = 2;  // the file exists but could not be opened

// One open (or openable) database file and one month's per-day directory read from it.
struct FileSlot {
  std::FILE* stream = nullptr;
  std::string path;  // the name the stream was opened under (for messages)
  int32_t station_number = 0;
  std::array<int32_t, 32> day_offset{};  // index 1 .. 31
  std::array<int16_t, 32> day_count{};
  std::array<int16_t, 32> day_hour{};
};

// Which spelling of the year folder discovery found: 0 none, else an index into
// YEAR_FOLDER_SPELLINGS.
struct YearsPresent {
  std::array<uint8_t, LAST_ARCHIVE_YEAR - FIRST_ARCHIVE_YEAR + 1> spelling{};
};
inline constexpr const char* YEAR_FOLDER_SPELLINGS[] = {"", "tefa", "TEFA", "Tefa"};

// "93" for 1993, "5" for 1905, "1994" for 1994.
std::string year_text(int year);
// The year modulo 100 in two digits: "93", "05", "00".
std::string two_digit_year(int year);
// The WBAN number in decimal; above 900000 its first digit becomes "I" (910410 -> "I10410").
std::string station_file_number(int32_t wban);
// database_directory + "TEFA" + year text.
std::string year_folder_name(const std::string& database_directory, int year);
// database_directory + "TEFA" + year text + "/" + station file number + "_" + yy + ".BUF".
std::string database_file_name(const std::string& database_directory, int year, int32_t wban);

// Opens the file of `wban` for `year` into file_slots[slot] and sets `open_status`; with
// open_status CLOSE_FIRST on entry, first closes file_slots[slot_to_close]'s stream. Tries the
// upper-case name first, then the folder spelling discovery found with the file name in upper
// and lower case. A folder of the file's name is a file that cannot be opened (FILE_NOT_OPENED).
void open_year_file(ProgramContext& ctx, int year, int32_t wban, int16_t& open_status, int slot,
                    int slot_to_close);

// Closes every open stream of ctx.file_slots.
void close_database_files(ProgramContext& ctx);

// Finds the years present under ctx.database_directory, prints the NOTE lines and sets
// ctx.first_year and ctx.last_year. With no year present, runs the NO_FILES_AVAILABLE dialogue
// and ends the program (status 0).
void discover_years(ProgramContext& ctx);

}  // namespace wxfetch
