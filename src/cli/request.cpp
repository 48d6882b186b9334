#include "cli/request.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <set>

#include "base/input_file.h"
#include "base/text.h"
#include "database/year_files.h"
#include "extraction/period.h"
#include "records/request_defaults.h"

namespace wxfetch {

namespace {

constexpr size_t NAMED_STATIONS = 10;

// Appends the rows of the table `name` in the support directory with `load`.
template <typename Load>
std::string load_table(const std::string& directory, const char* name, Load load,
                       StationCatalogue& catalogue) {
  const std::string path = directory + name;
  const std::unique_ptr<InputFile> file = InputFile::open(path);
  if (!file) return file_error(path, errno);
  bool overflow = false;
  load(*file, catalogue, overflow);
  return "";
}

// True when the ten digits name an hour of a day of the archive's years.
bool valid_date(const std::string& text) {
  const DateHour d = parse_date_hour(text);
  if (d.year < FIRST_ARCHIVE_YEAR || d.year > LAST_ARCHIVE_YEAR) return false;
  if (d.month < 1 || d.month > 12 || d.hour > 23 || d.day < 1) return false;
  return d.day <= days_in_month(d.year, d.month);
}

// "1999-03-01" of a YYYYMMDDHH value.
std::string day_text(int32_t date) {
  return cformat("%04d-%02d-%02d", date / 1000000, date / 10000 % 100, date / 100 % 100);
}

std::string read_station_list(const std::string& path, SelectedStations& selected, int& count) {
  const std::unique_ptr<InputFile> file = InputFile::open(path);
  if (!file) return file_error(path, errno);
  std::string line;
  for (int number = 1; std::getline(*file, line); ++number) {
    const std::string_view word = first_word(line);
    if (word.empty() || word[0] == '#') continue;
    std::vector<int32_t> numbers;
    if (word.find(',') != std::string_view::npos || !parse_number_list(word, numbers)) {
      return cformat("%s:%d: '", path.c_str(), number) + std::string(word) +
             "' is not a station number";
    }
    grown_to_hold(selected.stations, count++).wmo = numbers[0];
  }
  return "";
}

// The requested numbers into `selected`: typed, or read from the list file.
std::string requested_numbers(const SelectionOptions& options, SelectedStations& selected) {
  int count = 0;
  if (options.stations == StationOption::FILE) {
    const std::string error = read_station_list(options.stations_file, selected, count);
    if (!error.empty()) return error;
    if (count == 0) return options.stations_file + ": no station number in the file";
  } else {
    const bool wban = options.stations == StationOption::WBAN;
    for (const int32_t number : options.numbers) {
      StationNumbers& element = grown_to_hold(selected.stations, count++);
      element = StationNumbers{};
      (wban ? element.wban : element.wmo) = number;
    }
  }
  selected.station_count = count;
  return "";
}

std::string set_stations(const SelectionOptions& options, AccessRequest& request,
                         SelectedStations& selected) {
  const float(&b)[4] = options.box;
  // Every access but by number names stations by WBAN number, as the dialogue does.
  request.station_id_type = StationIdType::WBAN;
  switch (options.stations) {
    case StationOption::NONE:
      return "choose the stations: --wmo, --wban, --stations-file, --box, --region or "
             "--all-stations";
    case StationOption::WMO:
    case StationOption::FILE:
      request.station_id_type = StationIdType::WMO;
      [[fallthrough]];
    case StationOption::WBAN:
      request.access = StationAccess::BY_NUMBER;
      return requested_numbers(options, selected);
    case StationOption::BOX:
      if (!(b[0] >= -90 && b[0] <= b[1] && b[1] <= 90 && b[2] >= -180 && b[2] <= b[3] &&
            b[3] <= 180)) {
        return "--box: SOUTH <= NORTH within -90..90 and WEST <= EAST within -180..180";
      }
      request.access = StationAccess::BOX;
      request.lat_min = b[0], request.lat_max = b[1], request.lon_min = b[2],
      request.lon_max = b[3];
      return "";
    case StationOption::REGION:
      request.access = StationAccess::NORTH_CENTRAL_AMERICA;
      request.lat_min = 0, request.lat_max = 90, request.lon_min = -180, request.lon_max = -50;
      return "";
    case StationOption::ALL:
      request.access = StationAccess::GLOBAL;
      request.lat_min = -90, request.lat_max = 90, request.lon_min = -180, request.lon_max = 180;
      return "";
  }
  return "";
}

// True when some catalogue row lies in the request's box, whatever its period.
bool any_row_in_box(const StationCatalogue& catalogue, const AccessRequest& request) {
  for (int j = 0; j < catalogue.count; ++j) {
    const StationEntry& row = catalogue.entries[j];
    if (request.lat_min <= row.latitude && row.latitude <= request.lat_max &&
        request.lon_min <= row.longitude && row.longitude <= request.lon_max) {
      return true;
    }
  }
  return false;
}

std::string period_text(const AccessRequest& request) {
  return "from " + day_text(request.begin_value) + " to " + day_text(request.end_value);
}

}  // namespace

std::string load_archive_tables(const SelectionOptions& options, ArchiveTables& tables) {
  if (options.archive.empty()) return "--archive DIR is needed (or WXFETCH_ARCHIVE)";
  struct stat info {};
  if (::stat(options.archive.c_str(), &info) != 0) return file_error(options.archive, errno);
  if (!S_ISDIR(info.st_mode)) return file_error(options.archive, ENOTDIR);
  tables.database_directory = options.archive;
  append_separator(tables.database_directory);
  tables.support_directory = options.support;
  append_separator(tables.support_directory);
  tables.years = find_years(tables.database_directory);
  // The programs without the dialogue keep every row of the tables, however many.
  tables.catalogue.count = 0;
  tables.catalogue.capacity = ANY_NUMBER_OF_ROWS;
  std::string error =
      load_table(tables.support_directory, "stat2000.txt", load_history_rows, tables.catalogue);
  if (error.empty()) {
    error = load_table(tables.support_directory, "international_sites.txt", load_international_rows,
                       tables.catalogue);
  }
  return error.empty() ? error : support_error(error, options.support_source);
}

std::string build_selection(const SelectionOptions& options, AccessRequest& request,
                            SelectedStations& selected) {
  if (options.from.empty()) return "--from YYYYMMDDHH is needed";
  const std::string to = options.to.empty() ? options.from : options.to;
  for (const std::string* date : {&options.from, &to}) {
    if (!valid_date(*date)) return "no such date and hour: " + *date;
  }
  if (to < options.from) return "--to " + to + " lies before --from " + options.from;
  if (options.station_options > 1) {
    return "give only one of --wmo, --wban, --stations-file, --box, --region and "
           "--all-stations";
  }
  request.set_period(options.from, to);
  // One date and hour asks for no hours, as in the dialogue.
  request.hours = settled_choices(request, selected.station_count)
                      .hours.value_or(options.hours.value_or(SoundingHours::ALL));
  request.levels = options.levels;
  return set_stations(options, request, selected);
}

std::string unknown_numbers(const ArchiveTables& tables, const AccessRequest& request,
                            const SelectedStations& selected) {
  if (request.access != StationAccess::BY_NUMBER) return "";
  const bool wban = request.station_id_type == StationIdType::WBAN;
  const StationCatalogue& catalogue = tables.catalogue;
  std::set<int32_t> named;
  std::string text;
  for (int k = 0; k < selected.station_count; ++k) {
    const int32_t number = wban ? selected.stations[k].wban : selected.stations[k].wmo;
    const auto holds = [&](const StationEntry& row) {
      return (wban ? row.wban : row.wmo) == number;
    };
    const auto rows = catalogue.entries.begin();
    if (std::any_of(rows, rows + catalogue.count, holds) || !named.insert(number).second) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(number);
  }
  return text;
}

namespace {

// The years from `first` to `last` in which the archive holds a file of `wban`, as "Y" or
// "Y1 to Y2" (first and last found); "" for none.
std::string years_with_files(const ArchiveTables& tables, int32_t wban, int first, int last) {
  int found_first = 0, found_last = 0;
  for (int year = std::max(first, FIRST_ARCHIVE_YEAR); year <= std::min(last, LAST_ARCHIVE_YEAR);
       ++year) {
    if (!year_file_exists(tables.database_directory, tables.years, year, wban)) continue;
    if (found_first == 0) found_first = year;
    found_last = year;
  }
  if (found_first == 0) return "";
  return found_first == found_last ? std::to_string(found_first)
                                   : cformat("%d to %d", found_first, found_last);
}

}  // namespace

std::string files_outside_periods(const ArchiveTables& tables, const AccessRequest& request,
                                  const std::vector<StationNumbers>& requested) {
  if (request.access != StationAccess::BY_NUMBER) return "";
  const bool by_wban = request.station_id_type == StationIdType::WBAN;
  const StationCatalogue& catalogue = tables.catalogue;
  std::string text;
  std::set<int32_t> told;
  for (const StationNumbers& asked : requested) {
    for (int r = 0; r < catalogue.count; ++r) {
      const StationEntry& row = catalogue.entries[r];
      if ((by_wban ? row.wban : row.wmo) != (by_wban ? asked.wban : asked.wmo)) continue;
      if (!told.insert(row.wban).second) continue;
      const std::string years = years_with_files(tables, row.wban, request.begin_value / 1000000,
                                                 request.end_value / 1000000);
      if (years.empty()) continue;
      text += cformat(
          "; the archive holds files of WMO %d (WBAN %d) for %s, outside its period "
          "%d to %d in the station tables",
          row.wmo, row.wban, years.c_str(), row.period_begin, row.period_end);
    }
  }
  if (text.empty()) return "";
  return text +
         ": rewrite its rows (wxpack --from igra2-stations gives a station still reporting an "
         "open period, 99991231) or correct them in the support folder";
}

std::string empty_selection_reason(const ArchiveTables& tables, const AccessRequest& request,
                                   const SelectedStations& selected, const std::string& unknown) {
  if (selected.station_count > 0) return "";
  const std::string not_in_service =
      " in service " + period_text(request) + " (their periods of record in the station tables)";
  switch (request.access) {
    case StationAccess::BY_NUMBER:
      if (unknown.empty()) return "no requested station was" + not_in_service;
      return "station numbers not in the station tables: " + unknown;
    case StationAccess::BOX:
      if (!any_row_in_box(tables.catalogue, request)) {
        return cformat("no station of the station tables lies in the box %g,%g,%g,%g",
                       static_cast<double>(request.lat_min), static_cast<double>(request.lat_max),
                       static_cast<double>(request.lon_min), static_cast<double>(request.lon_max));
      }
      return "no station of the box was" + not_in_service;
    case StationAccess::NORTH_CENTRAL_AMERICA:
      if (!any_row_in_box(tables.catalogue, request)) {
        return "no station of the station tables lies in North or Central America";
      }
      return "no North or Central American station was" + not_in_service;
    case StationAccess::GLOBAL:
      return "no station of the station tables was" + not_in_service;
  }
  return "";
}

FilePlan plan_files(const ArchiveTables& tables, const AccessRequest& request,
                    const SelectedStations& selected) {
  FilePlan plan;
  plan.first_year = request.begin_value / 1000000;
  plan.year_count = request.end_value / 1000000 - plan.first_year + 1;
  const int stations = selected.station_count;
  plan.present.assign(static_cast<size_t>(stations * plan.year_count), 0);
  plan.before_station.assign(static_cast<size_t>(stations) + 1, 0);
  plan.before_year.assign(static_cast<size_t>(plan.year_count) + 1, 0);
  std::vector<int> in_year(static_cast<size_t>(plan.year_count), 0);
  for (int s = 0; s < stations; ++s) {
    int of_station = 0;
    for (int y = 0; y < plan.year_count; ++y) {
      const int year = plan.first_year + y;
      if (tables.years.spelling[year - FIRST_ARCHIVE_YEAR] == 0) continue;
      if (!year_file_exists(tables.database_directory, tables.years, year,
                            selected.stations[s].wban)) {
        continue;
      }
      plan.present[static_cast<size_t>(s * plan.year_count + y)] = 1;
      ++of_station;
      ++in_year[static_cast<size_t>(y)];
    }
    plan.before_station[static_cast<size_t>(s) + 1] = plan.before_station[s] + of_station;
  }
  for (int y = 0; y < plan.year_count; ++y) {
    plan.before_year[static_cast<size_t>(y) + 1] = plan.before_year[y] + in_year[y];
  }
  plan.total = plan.before_station.back();
  return plan;
}

namespace {

// When the archive holds international-site files (I<WMO>) of selected stations that the tables
// file under a WBAN number: a note that says so and how to file them where they are looked for.
std::string international_files_note(const ArchiveTables& tables, const FilePlan& plan,
                                     const SelectedStations& selected) {
  std::string found;
  for (int s = 0; s < selected.station_count; ++s) {
    const StationNumbers& station = selected.stations[s];
    if (station.wban >= INTERNATIONAL_WBAN_OFFSET || station.wmo <= 0) continue;
    const int32_t site = INTERNATIONAL_WBAN_OFFSET + station.wmo;
    for (int year = plan.first_year; year < plan.first_year + plan.year_count; ++year) {
      if (!year_file_exists(tables.database_directory, tables.years, year, site)) continue;
      found += (found.empty() ? "" : ", ") + station_file_number(site);
      break;
    }
  }
  if (found.empty()) return "";
  return "; but it holds files of them as international sites (" + found +
         "), imported without the station table: import them again with --support DIR (the "
         "folder of stat2000.txt) to file them under their WBAN numbers";
}

}  // namespace

std::string empty_plan_reason(const ArchiveTables& tables, const AccessRequest& request,
                              const FilePlan& plan, const SelectedStations& selected) {
  if (plan.total > 0) return "";
  const YearsPresent& years = tables.years;
  const int last_year = plan.first_year + plan.year_count - 1;
  bool any_year = false;
  for (int year = plan.first_year; year <= last_year; ++year) {
    any_year = any_year || years.spelling[year - FIRST_ARCHIVE_YEAR] != 0;
  }
  if (!any_year) {
    const std::string holds =
        years.last < 0 ? "no year folder" : cformat("the years %d to %d", years.first, years.last);
    return cformat("the archive holds no year from %d to %d (it holds ", plan.first_year,
                   last_year) +
           holds + ")";
  }
  std::string stations;
  for (int s = 0; s < selected.station_count; ++s) {
    if (static_cast<size_t>(s) == NAMED_STATIONS) {
      stations += ", ...";
      break;
    }
    stations += (s == 0 ? "" : ", ") + std::to_string(selected.stations[s].wmo);
  }
  return "the selected stations (WMO " + stations + ") have no file in the archive " +
         period_text(request) + international_files_note(tables, plan, selected);
}

std::string station_listing(const StationCatalogue& catalogue, const SelectedStations& selected) {
  std::string text =
      "  WMO   WBAN INIT    NAME                           ST CY    LAT     LON"
      "  ELEV    BEGIN      END\n";
  for (int r = 0; r < selected.row_count; ++r) {
    const StationEntry& e = catalogue.entries[selected.rows[r]];
    text += cformat("%5d %6d %-7.7s %-30.30s %-2.2s %-2.2s %6.2f %7.2f %5d %8d %8d\n", e.wmo,
                    e.wban, e.initials, e.name, e.state, e.country, static_cast<double>(e.latitude),
                    static_cast<double>(e.longitude), e.elevation, e.period_begin, e.period_end);
  }
  return text;
}

Outcome open_selection(const SelectionOptions& options, Selection& selection) {
  std::string error = load_archive_tables(options, *selection.tables);
  if (error.empty()) error = build_selection(options, selection.request, *selection.selected);
  return error.empty() ? Outcome{} : Outcome{2, error};
}

Outcome select_request_stations(Selection& selection, const std::string& program,
                                std::ostream& err) {
  selection.unknown = unknown_numbers(*selection.tables, selection.request, *selection.selected);
  const SelectedStations& asked = *selection.selected;
  selection.requested.assign(asked.stations.begin(), asked.stations.begin() + asked.station_count);
  select_stations(selection.tables->catalogue, selection.request, *selection.selected);
  std::string reason = empty_selection_reason(*selection.tables, selection.request,
                                              *selection.selected, selection.unknown);
  if (!reason.empty() && selection.unknown.empty()) {
    reason += files_outside_periods(*selection.tables, selection.request, selection.requested);
  }
  if (!reason.empty()) return Outcome{1, reason};
  if (!selection.unknown.empty()) {
    err << program << ": warning: station numbers not in the station tables: " << selection.unknown
        << "\n";
  }
  return Outcome{};
}

Outcome plan_request_files(Selection& selection) {
  selection.plan = plan_files(*selection.tables, selection.request, *selection.selected);
  const std::string reason =
      empty_plan_reason(*selection.tables, selection.request, selection.plan, *selection.selected);
  return reason.empty() ? Outcome{} : Outcome{1, reason};
}

}  // namespace wxfetch
