#include "database/archive_names.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "records/station_entry.h"

namespace wxfetch {

namespace {

bool name_exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

std::string station_file_name(int year, int32_t wban) {
  return station_file_number(wban) + "_" + two_digit_year(year) + ".BUF";
}

std::string lower_case(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
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
  if (wban > INTERNATIONAL_WBAN_OFFSET) number[0] = 'I';
  return number;
}

std::string year_folder_name(const std::string& database_directory, int year) {
  return database_directory + "TEFA" + year_text(year);
}

std::string database_file_name(const std::string& database_directory, int year, int32_t wban) {
  return year_folder_name(database_directory, year) + "/" + station_file_name(year, wban);
}

YearFileNames year_file_names(const std::string& database_directory, const YearsPresent& years,
                              int year, int32_t wban) {
  YearFileNames found;
  found.names[found.count++] = database_file_name(database_directory, year, wban);
  const int year_index = year - FIRST_ARCHIVE_YEAR;
  if (year_index < 0 || year_index >= static_cast<int>(years.spelling.size()) ||
      years.spelling[year_index] == 0) {
    return found;
  }
  const std::string folder = database_directory +
                             YEAR_FOLDER_SPELLINGS[years.spelling[year_index]] + year_text(year) +
                             "/";
  const std::string file = station_file_name(year, wban);
  for (const std::string& name : {folder + file, folder + lower_case(file)}) {
    bool known = false;
    for (int i = 0; i < found.count; ++i) known = known || found.names[i] == name;
    if (!known) found.names[found.count++] = name;
  }
  return found;
}

std::string year_file_name_to_write(const std::string& database_directory,
                                    const YearsPresent& years, int year, int32_t wban) {
  const YearFileNames names = year_file_names(database_directory, years, year, wban);
  for (int i = 0; i < names.count; ++i) {
    if (name_exists(names.names[i])) return names.names[i];
  }
  const int year_index = year - FIRST_ARCHIVE_YEAR;
  if (year_index < 0 || year_index >= static_cast<int>(years.spelling.size()) ||
      years.spelling[year_index] == 0) {
    return names.names[0];
  }
  return database_directory + YEAR_FOLDER_SPELLINGS[years.spelling[year_index]] + year_text(year) +
         "/" + station_file_name(year, wban);
}

YearsPresent find_years(const std::string& database_directory) {
  YearsPresent years;
  for (int year = FIRST_ARCHIVE_YEAR; year <= LAST_ARCHIVE_YEAR; ++year) {
    for (uint8_t spelling = 1; spelling <= 3; ++spelling) {
      if (!name_exists(database_directory + YEAR_FOLDER_SPELLINGS[spelling] + year_text(year))) {
        continue;
      }
      years.spelling[year - FIRST_ARCHIVE_YEAR] = spelling;
      if (years.last < 0) years.first = static_cast<int16_t>(year);
      years.last = static_cast<int16_t>(year);
      break;
    }
  }
  return years;
}

}  // namespace wxfetch
