// A request from the command line: the archive and station tables it reads, the AccessRequest
// and SelectedStations built from the selection options as the dialogue builds them from the
// same answers, and, for a request that can match nothing, the reason in one line. Each check
// returns "" when it passes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "database/archive_names.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch {

// What a request reads besides its options: the directories (each "" or ending in "/"), the
// years found under the archive and the station catalogue.
struct ArchiveTables {
  std::string database_directory;
  std::string support_directory;
  YearsPresent years;
  StationCatalogue catalogue;
};

// Finds the archive's years and loads both station tables from the support directory. Returns
// "" or an I/O error naming the directory or file and the system's reason.
std::string load_archive_tables(const SelectionOptions& options, ArchiveTables& tables);

// Sets the request's period, hours and station part and, for stations by number, the requested
// numbers in `selected`. Returns "" or the usage error (a date that does not exist, the period
// reversed, not exactly one station option, a box out of order, an unreadable list file).
std::string build_selection(const SelectionOptions& options, AccessRequest& request,
                            SelectedStations& selected);

// The requested numbers (stations by number) that no catalogue row holds, as "N, N" ("" when
// every number is known).
std::string unknown_numbers(const ArchiveTables& tables, const AccessRequest& request,
                            const SelectedStations& selected);

// After select_stations: why no station was selected, or "" when some were.
// `unknown`: unknown_numbers before the selection.
// When requested stations were in no period of the tables but the archive holds their files in
// the requested years: "; the archive holds files of ..." naming the years, the periods and how
// to rewrite the rows; "" otherwise.
std::string files_outside_periods(const ArchiveTables& tables, const AccessRequest& request,
                                  const std::vector<StationNumbers>& requested);

std::string empty_selection_reason(const ArchiveTables& tables, const AccessRequest& request,
                                   const SelectedStations& selected, const std::string& unknown);

// The station-year files of the selected stations in the request's years.
struct FilePlan {
  int first_year = 0;
  int year_count = 0;
  // present[s * year_count + y]: station s has a file for first_year + y.
  std::vector<uint8_t> present;
  int total = 0;
  // Files before station s (all years), and before year y (all stations).
  std::vector<int> before_station;
  std::vector<int> before_year;
};

// Looks for the files of the selected stations over the request's years.
FilePlan plan_files(const ArchiveTables& tables, const AccessRequest& request,
                    const SelectedStations& selected);

// Why the plan holds no file: no archive year in the period, or the selected stations have no
// file in it; "" when it holds some.
std::string empty_plan_reason(const ArchiveTables& tables, const AccessRequest& request,
                              const FilePlan& plan, const SelectedStations& selected);

// A request from the selection options, step by step.
struct Selection {
  std::unique_ptr<ArchiveTables> tables = std::make_unique<ArchiveTables>();
  AccessRequest request;
  std::unique_ptr<SelectedStations> selected = std::make_unique<SelectedStations>();
  std::string unknown;                    // requested numbers that no catalogue row holds
  std::vector<StationNumbers> requested;  // the numbers asked for, before the selection
  FilePlan plan;
};

// Loads the tables and builds the request and the requested numbers (status 2 on failure).
Outcome open_selection(const SelectionOptions& options, Selection& selection);
// Selects the stations (status 1 when none is); a warning on `err` names unknown numbers.
Outcome select_request_stations(Selection& selection, const std::string& program,
                                std::ostream& err);
// Looks for the selected stations' files (status 1 when there is none).
Outcome plan_request_files(Selection& selection);

// The selected stations as a table: WMO, WBAN, initials, name, state, country, latitude,
// longitude, elevation and period of record, one line per selected catalogue row.
std::string station_listing(const StationCatalogue& catalogue, const SelectedStations& selected);

}  // namespace wxfetch
