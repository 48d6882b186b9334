#include "commands/wxls.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <ostream>

#include "base/text.h"
#include "cli/options.h"
#include "cli/request.h"
#include "database/inventory.h"
#include "output/level_columns.h"
#include "output/level_text.h"

namespace wxfetch {

namespace {

constexpr const char* USAGE =
    "Usage: wxls [-a] ARCHIVE [-s DIR] [-w WMO | --wban WBAN | --find TEXT] [-f table|csv|json]\n"
    "Lists what an upper-air archive holds: per station and year the soundings, the hours\n"
    "observed and the first and last sounding (--wmo, --wban: one station by month); --find\n"
    "searches the station tables by name, initials, state or country.\n"
    "  -a, --archive DIR  the archive (also as the operand; default: $WXFETCH_ARCHIVE)\n"
    "  -s, --support DIR  the folder of stat2000.txt and international_sites.txt (default:\n"
    "                     $WXFETCH_SUPPORT, else the installed support folder)\n"
    "  -w, --wmo WMO      one station by WMO number (--station WMO is the same)\n"
    "  -q, --quiet, -h, --help, --version\n"
    "Exit status: 0 listed, 1 nothing to list, 2 usage or I/O error.\n";

struct LsOptions {
  SelectionOptions directories;  // the archive and the support folder
  int32_t wmo = 0;               // --wmo WMO
  int32_t wban = 0;              // --wban WBAN
  std::string find;              // --find TEXT
  bool find_given = false;
  ListingFormat format = ListingFormat::TABLE;
  CommonFlags flags;
};

enum LsCode : int { STATION = FIRST_PROGRAM_OPTION, FIND };

std::string apply_ls_option(int code, std::string_view value, LsOptions& o) {
  switch (code) {
    case OPTION_ARCHIVE:
      o.directories.archive = value;
      return "";
    case OPTION_SUPPORT:
      o.directories.support = value;
      return "";
    case OPTION_WMO:
    case STATION:
      return parse_one_number(code == STATION ? "station" : "wmo", value, o.wmo);
    case OPTION_WBAN:
      return parse_one_number("wban", value, o.wban);
    case FIND:
      o.find = value;
      o.find_given = true;
      return "";
    case OPTION_FORMAT:
      if (value == "table" || value == "csv" || value == "json") {
        o.format = value == "table" ? ListingFormat::TABLE
                   : value == "csv" ? ListingFormat::CSV
                                    : ListingFormat::JSON;
        return "";
      }
      return "--format: '" + std::string(value) + "' is not table, csv or json";
  }
  return apply_common_flag(code, o.flags) ? "" : "unknown option";
}

std::string parse_ls_options(const std::vector<std::string>& args, LsOptions& o) {
  std::vector<option> table =
      vocabulary_options({OPTION_ARCHIVE, OPTION_SUPPORT, OPTION_WMO, OPTION_WBAN, OPTION_FORMAT,
                          OPTION_QUIET, OPTION_HELP, OPTION_VERSION});
  table.insert(table.end(), {{"station", required_argument, nullptr, STATION},
                             {"find", required_argument, nullptr, FIND}});
  std::vector<std::string> operands;
  const std::string error = parse_long_options(
      args, table,
      [&](int code, std::string_view value) { return apply_ls_option(code, value, o); }, &operands);
  if (!error.empty() || o.flags.help || o.flags.version) return error;
  if (operands.size() > 1) return "give one ARCHIVE directory";
  if (operands.size() == 1 && !o.directories.archive.empty()) {
    return "give the archive once: ARCHIVE or --archive DIR";
  }
  if (operands.size() == 1) o.directories.archive = operands[0];
  apply_directory_defaults(o.directories);
  if (o.directories.archive.empty()) return "give the ARCHIVE directory (or WXFETCH_ARCHIVE)";
  if ((o.wmo != 0) + (o.wban != 0) + o.find_given > 1) {
    return "--wmo, --wban and --find exclude each other";
  }
  return "";
}

Listing::Cell text_cell(std::string value) {
  return Listing::Cell{std::move(value), false};
}
Listing::Cell number_cell(long value) {
  return Listing::Cell{std::to_string(value), true};
}
// Written unquoted, as a number is: JSON's true or false.
Listing::Cell boolean_cell(bool value) {
  return Listing::Cell{value ? "true" : "false", true};
}
// The numeric WMO number and its five-digit text ("03808"); both absent for a station without
// one (0).
std::vector<Listing::Cell> wmo_cells(int32_t wmo) {
  if (wmo <= 0 || wmo > 99999) return {{}, {}};
  return {number_cell(wmo), text_cell(wmo_id_text(wmo))};
}
// A YYYYMMDD date of the station tables as "1973-01-01"; absent for the open end of a period
// (99991231) and for a value that is no date.
Listing::Cell date_cell(int32_t date) {
  const int32_t year = date / 10000, month = date / 100 % 100, day = date % 100;
  if (year < 1 || year >= 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
  return text_cell(cformat("%04d-%02d-%02d", year, month, day));
}
Listing::Cell time_cell(int32_t date_hour) {
  if (date_hour == 0) return {};
  return text_cell(iso_time(date_hour / 1000000, date_hour / 10000 % 100, date_hour / 100 % 100,
                            date_hour % 100));
}

// A field of a catalogue row without the blanks that pad it.
std::string field_text(const char* field, size_t capacity) {
  std::string text(field, strnlen(field, capacity));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The catalogue row of `wban` valid on `day`, else its last row; null when the tables hold none.
const StationEntry* row_of(const StationCatalogue& catalogue, int32_t wban, int32_t day) {
  const StationEntry* found = nullptr;
  for (int j = 0; j < catalogue.count; ++j) {
    const StationEntry& row = catalogue.entries[j];
    if (row.wban != wban) continue;
    if (found == nullptr || (row.period_begin <= day && day <= row.period_end)) found = &row;
  }
  return found;
}

// The station's cells: wmo, wban, initials and name (from the tables when they know it).
std::vector<Listing::Cell> station_cells(const StationCatalogue& catalogue, int32_t wban,
                                         int32_t day) {
  const StationEntry* row = row_of(catalogue, wban, day);
  const bool international = wban > INTERNATIONAL_WBAN_OFFSET;
  std::vector<Listing::Cell> cells = wmo_cells(row != nullptr  ? row->wmo
                                               : international ? wban - INTERNATIONAL_WBAN_OFFSET
                                                               : 0);
  cells.push_back(number_cell(wban));
  if (row == nullptr) {
    cells.resize(cells.size() + 2);
    return cells;
  }
  cells.push_back(text_cell(field_text(row->initials, sizeof row->initials)));
  cells.push_back(text_cell(field_text(row->name, sizeof row->name)));
  return cells;
}

void add_count_row(Listing& listing, std::vector<Listing::Cell> cells, const SoundingCounts& c,
                   const std::string& problem) {
  cells.push_back(number_cell(c.soundings));
  for (const long hours : c.hours) cells.push_back(number_cell(hours));
  cells.push_back(time_cell(c.first));
  cells.push_back(time_cell(c.last));
  cells.push_back(problem.empty() ? Listing::Cell{} : text_cell("damaged: " + problem));
  listing.rows.push_back(std::move(cells));
}

const std::vector<std::string> COUNT_COLUMNS = {"soundings", "h00",   "h06",  "h12",    "h18",
                                                "other",     "first", "last", "problem"};

// Per station and year (or, with `station_wbans`, per month of those stations).
Listing count_listing(const Inventory& inventory, const StationCatalogue& catalogue,
                      const std::vector<int32_t>* station_wbans) {
  Listing listing;
  listing.columns = {"wmo", "wmo_id", "wban", "station", "name", "year"};
  if (station_wbans != nullptr) listing.columns.push_back("month");
  listing.columns.insert(listing.columns.end(), COUNT_COLUMNS.begin(), COUNT_COLUMNS.end());
  for (const auto& [wban, years] : inventory) {
    if (station_wbans != nullptr &&
        std::find(station_wbans->begin(), station_wbans->end(), wban) == station_wbans->end()) {
      continue;
    }
    for (const auto& [year, counts] : years) {
      auto cells = station_cells(catalogue, wban, year * 10000 + 701);
      cells.push_back(number_cell(year));
      if (station_wbans == nullptr) {
        add_count_row(listing, std::move(cells), counts.year(), counts.problem);
        continue;
      }
      for (int month = 1; month <= 12; ++month) {
        const SoundingCounts& c = counts.months[static_cast<size_t>(month - 1)];
        if (c.soundings == 0) continue;
        auto month_cells = cells;
        month_cells.push_back(number_cell(month));
        add_count_row(listing, std::move(month_cells), c, "");
      }
      if (!counts.problem.empty()) {
        auto problem_cells = cells;
        problem_cells.push_back({});
        add_count_row(listing, std::move(problem_cells), SoundingCounts{}, counts.problem);
      }
    }
  }
  // By WMO number (stations the tables do not know last), then by WBAN number and date.
  std::stable_sort(listing.rows.begin(), listing.rows.end(), [](const auto& a, const auto& b) {
    const auto key = [](const std::vector<Listing::Cell>& r) {
      return r[0].text.empty() ? 1000000L : std::stol(r[0].text);
    };
    return key(a) < key(b);
  });
  return listing;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The rows of the station tables whose name, initials, state or country hold `text`.
Listing find_listing(const StationCatalogue& catalogue, const std::vector<int32_t>& in_archive,
                     const std::string& text) {
  Listing listing;
  listing.columns = {"wmo",   "wmo_id",  "wban",  "station", "name",
                     "state", "country", "begin", "end",     "in_archive"};
  const std::string wanted = lower(text);
  for (int j = 0; j < catalogue.count; ++j) {
    const StationEntry& e = catalogue.entries[j];
    // The tables give an international site the state 99: it has none.
    std::string state = field_text(e.state, sizeof e.state);
    if (state == "99") state.clear();
    const std::string fields[] = {field_text(e.name, sizeof e.name),
                                  field_text(e.initials, sizeof e.initials), state,
                                  field_text(e.country, sizeof e.country)};
    if (std::none_of(std::begin(fields), std::end(fields), [&](const std::string& field) {
          return lower(field).find(wanted) != std::string::npos;
        })) {
      continue;
    }
    const bool held = std::binary_search(in_archive.begin(), in_archive.end(), e.wban);
    std::vector<Listing::Cell> cells = wmo_cells(e.wmo);
    cells.insert(cells.end(),
                 {number_cell(e.wban), text_cell(fields[1]), text_cell(fields[0]),
                  text_cell(fields[2]), text_cell(fields[3]), date_cell(e.period_begin),
                  date_cell(e.period_end), boolean_cell(held)});
    listing.rows.push_back(std::move(cells));
  }
  return listing;
}

// The WBAN numbers of the station the options name: --wban's, or those the tables give --wmo's
// number, and its international site.
std::vector<int32_t> station_wbans(const LsOptions& o, const StationCatalogue& catalogue) {
  if (o.wban != 0) return {o.wban};
  std::vector<int32_t> wbans;
  for (int j = 0; j < catalogue.count; ++j) {
    if (catalogue.entries[j].wmo == o.wmo) wbans.push_back(catalogue.entries[j].wban);
  }
  wbans.push_back(INTERNATIONAL_WBAN_OFFSET + o.wmo);
  return wbans;
}

// For a WBAN station without files: a note when the archive holds the files of its WMO number
// as an international site (imported without the station table).
std::string international_note(const LsOptions& o, const ArchiveTables& tables,
                               const Inventory& inventory) {
  if (o.wban == 0) return "";
  for (int j = 0; j < tables.catalogue.count; ++j) {
    const StationEntry& row = tables.catalogue.entries[j];
    if (row.wban != o.wban || row.wmo <= 0) continue;
    const int32_t site = INTERNATIONAL_WBAN_OFFSET + row.wmo;
    if (inventory.count(site) == 0) continue;
    return "; but it holds " + station_file_number(site) +
           " files of its WMO number as an international site, imported without the station "
           "table: import them again with --support DIR to file them under WBAN " +
           std::to_string(o.wban);
  }
  return "";
}

// The counts per station and year, or per month of the one station asked for.
Outcome count_archive(const LsOptions& o, const ArchiveTables& tables, Listing& listing) {
  const Inventory inventory = scan_archive(tables.database_directory, tables.years);
  const bool one = o.wmo != 0 || o.wban != 0;
  const std::vector<int32_t> wbans = station_wbans(o, tables.catalogue);
  listing = count_listing(inventory, tables.catalogue, one ? &wbans : nullptr);
  if (!listing.rows.empty()) return Outcome{};
  const std::string& archive = o.directories.archive;
  if (!one) return Outcome{1, archive + " holds no station file"};
  return Outcome{1,
                 (o.wban != 0 ? cformat("WBAN station %d", o.wban) : cformat("station %d", o.wmo)) +
                     " has no file in " + archive + international_note(o, tables, inventory)};
}

Outcome list_archive(const LsOptions& o, std::ostream& out) {
  const SelectionOptions& directories = o.directories;
  auto tables = std::make_unique<ArchiveTables>();
  const std::string error = load_archive_tables(directories, *tables);
  // Without tables the counts are listed without names, unless a WMO number or the search needs
  // them, or the tables were asked for by name.
  const bool tables_needed = o.wmo != 0 || o.find_given;
  if (!error.empty() && (tables_needed || tables->database_directory.empty() ||
                         directories.support_source != DirectorySource::INSTALLED)) {
    return Outcome{2, error};
  }
  if (tables->years.last < 0) return Outcome{1, directories.archive + " holds no year folder"};
  Listing listing;
  if (o.find_given) {
    listing = find_listing(tables->catalogue,
                           stations_in_archive(tables->database_directory, tables->years), o.find);
    if (listing.rows.empty()) {
      return Outcome{1, "no station of the tables matches '" + o.find + "'"};
    }
  } else {
    const Outcome counted = count_archive(o, *tables, listing);
    if (counted.status != 0) return counted;
  }
  write_listing(listing, o.format, out);
  return Outcome{};
}

// CSV (RFC 4180) with a header row.
void write_csv(const Listing& listing, std::ostream& out) {
  const size_t columns = listing.columns.size();
  for (size_t c = 0; c < columns; ++c) out << (c ? "," : "") << listing.columns[c];
  out << "\n";
  for (const auto& row : listing.rows) {
    for (size_t c = 0; c < columns; ++c) out << (c ? "," : "") << csv_field(row[c].text);
    out << "\n";
  }
}

// One JSON object per row; an empty cell is null.
void write_json_lines(const Listing& listing, std::ostream& out) {
  const size_t columns = listing.columns.size();
  for (const auto& row : listing.rows) {
    for (size_t c = 0; c < columns; ++c) {
      const Listing::Cell& cell = row[c];
      out << (c ? "," : "{") << json_string(listing.columns[c]) << ":"
          << (cell.text.empty() ? "null"
              : cell.number     ? cell.text
                                : json_string(cell.text));
    }
    out << "}\n";
  }
}

// One line of the aligned table: each cell padded to its column's width, numbers to the right,
// columns two blanks apart, no blank at the end.
std::string table_line(const std::vector<std::string>& cells, const std::vector<bool>& right,
                       const std::vector<size_t>& width) {
  std::string text;
  for (size_t c = 0; c < cells.size(); ++c) {
    const std::string pad(width[c] - cells[c].size(), ' ');
    text += (c ? "  " : "") + (right[c] ? pad + cells[c] : cells[c] + pad);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text + "\n";
}

// An aligned table with a header line; an empty cell shows as "-".
void write_table(const Listing& listing, std::ostream& out) {
  const size_t columns = listing.columns.size();
  std::vector<size_t> width(columns);
  for (size_t c = 0; c < columns; ++c) {
    width[c] = listing.columns[c].size();
    for (const auto& row : listing.rows) width[c] = std::max(width[c], row[c].text.size());
  }
  out << table_line(listing.columns, std::vector<bool>(columns, false), width);
  for (const auto& row : listing.rows) {
    std::vector<std::string> cells;
    std::vector<bool> right;
    for (const Listing::Cell& cell : row) {
      cells.push_back(cell.text.empty() ? std::string("-") : cell.text);
      right.push_back(cell.number);
    }
    out << table_line(cells, right, width);
  }
}

}  // namespace

void write_listing(const Listing& listing, ListingFormat format, std::ostream& out) {
  if (format == ListingFormat::CSV) {
    write_csv(listing, out);
  } else if (format == ListingFormat::JSON) {
    write_json_lines(listing, out);
  } else {
    write_table(listing, out);
  }
}

int run_wxls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  LsOptions options;
  // Parsed first: the flags it sets are read by answer_usage.
  const std::string usage_error = parse_ls_options(args, options);
  const int status = answer_usage("wxls", usage_error, options.flags, USAGE, out, err);
  if (status >= 0) return status;
  return finish_program("wxls", list_archive(options, out), out, err);
}

}  // namespace wxfetch
