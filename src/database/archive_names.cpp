#include "database/archive_names.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "dialogue/keyword_help.h"
#include "program.h"
#include "text.h"

namespace wxfetch {

namespace {

constexpr int32_t INTERNATIONAL_WBAN = 900000;

bool name_exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

bool is_folder(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_directory(name, error);
}

std::string station_file_name(int year, int32_t wban) {
  return station_file_number(wban) + "_" + two_digit_year(year) + ".BUF";
}

std::string lower_case(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The directory as the messages show it.
std::string shown_directory(const ProgramContext& ctx) {
  return ctx.database_directory.empty() ? "<current directory>" : ctx.database_directory;
}

}  // namespace

std::string year_text(int year) {
  return cformat("%d", year <= 1993 ? year - 1900 : year);
}

std::string two_digit_year(int year) {
  return cformat("%02d", ((year % 100) + 100) % 100);
}

std::string station_file_number(int32_t wban) {
  std::string number = cformat("%d", wban);
  if (wban > INTERNATIONAL_WBAN) number[0] = 'I';
  return number;
}

std::string year_folder_name(const std::string& database_directory, int year) {
  return database_directory + "TEFA" + year_text(year);
}

std::string database_file_name(const std::string& database_directory, int year, int32_t wban) {
  return year_folder_name(database_directory, year) + "/" + station_file_name(year, wban);
}

void open_year_file(ProgramContext& ctx, int year, int32_t wban, int16_t& open_status, int slot,
                    int slot_to_close) {
  if (open_status == CLOSE_FIRST) {
    FileSlot& closing = ctx.file_slots[slot_to_close];
    if (closing.stream != nullptr) std::fclose(closing.stream);
    closing.stream = nullptr;
  }
  FileSlot& target = ctx.file_slots[slot];
  // A stream still open in the slot would be lost when it is overwritten.
  if (target.stream != nullptr) std::fclose(target.stream);
  target.stream = nullptr;

  // The upper-case name first; then, on a file system that tells cases apart, the folder
  // spelling that the year discovery found, with the file name in upper and in lower case.
  std::string names[3] = {database_file_name(ctx.database_directory, year, wban)};
  int name_count = 1;
  const int year_index = year - FIRST_ARCHIVE_YEAR;
  if (year_index >= 0 && year_index < static_cast<int>(ctx.years.spelling.size()) &&
      ctx.years.spelling[year_index] != 0) {
    const std::string folder = ctx.database_directory +
                               YEAR_FOLDER_SPELLINGS[ctx.years.spelling[year_index]] +
                               year_text(year) + "/";
    const std::string file = station_file_name(year, wban);
    for (const std::string& name : {folder + file, folder + lower_case(file)}) {
      bool known = false;
      for (int i = 0; i < name_count; ++i) known = known || names[i] == name;
      if (!known) names[name_count++] = name;
    }
  }

  const std::string* existing = nullptr;
  for (int i = 0; i < name_count; ++i) {
    target.stream = std::fopen(names[i].c_str(), "rb");
    if (target.stream != nullptr && is_folder(names[i])) {
      // A folder opens for reading here but has no bytes to read: it exists and cannot be read.
      std::fclose(target.stream);
      target.stream = nullptr;
    }
    if (target.stream != nullptr) {
      target.path = names[i];
      open_status = FILE_OPENED;
      return;
    }
    if (existing == nullptr && name_exists(names[i])) existing = &names[i];
  }
  target.path = existing != nullptr ? *existing : names[0];
  open_status = existing != nullptr ? FILE_NOT_OPENED : FILE_ABSENT;
}

void close_database_files(ProgramContext& ctx) {
  for (FileSlot& slot : ctx.file_slots) {
    if (slot.stream != nullptr) std::fclose(slot.stream);
    slot.stream = nullptr;
  }
}

void discover_years(ProgramContext& ctx) {
  ctx.last_year = -1;
  ctx.years = YearsPresent{};
  for (int year = FIRST_ARCHIVE_YEAR; year <= LAST_ARCHIVE_YEAR; ++year) {
    for (uint8_t spelling = 1; spelling <= 3; ++spelling) {
      if (!name_exists(ctx.database_directory + YEAR_FOLDER_SPELLINGS[spelling] +
                       year_text(year))) {
        continue;
      }
      ctx.years.spelling[year - FIRST_ARCHIVE_YEAR] = spelling;
      if (ctx.last_year < 0) {
        ctx.out << "    NOTE: Tefa data from the directory: " << shown_directory(ctx) << "\n"
                << cformat("\t    is available for the years:  %d thru ", year);
        ctx.first_year = static_cast<int16_t>(year);
      }
      ctx.last_year = static_cast<int16_t>(year);
      break;
    }
  }
  if (ctx.last_year >= 0) {
    ctx.out << cformat("%d\n", ctx.last_year);
    return;
  }

  // No year at all: offer the help section, then leave.
  std::string reply;
  do {
    ctx.out << " ERROR:  No tefa data could be found in the directory: " << shown_directory(ctx)
            << "\n\n"
            << "\tEnter HELP for more information \n"
            << "\tEnter <return> to exit the database\n"
            << "    Your choice? ";
    read_reply(ctx, reply);
  } while (KeywordHelp(ctx, reply, "NO_FILES_AVAILABLE") == 1);
  ctx.out << "\n\tExiting tefa database ...\n";
  ctx.end_program(0);
}

}  // namespace wxfetch
