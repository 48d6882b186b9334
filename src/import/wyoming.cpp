#include "import/wyoming.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <utility>
#include <vector>

#include "base/text.h"
#include "import/checks.h"
#include "import/line_reader.h"
#include "import/site_rows.h"
#include "records/sounding.h"

namespace wxfetch {
namespace pack {

namespace {

// The columns a listing row is read for, in this order.
enum Column { PRES, HGHT, TEMP, DWPT, DRCT, SPEED, COLUMNS };
constexpr std::array<const char*, COLUMNS> COLUMN_NAMES = {"PRES", "HGHT", "TEMP",
                                                           "DWPT", "DRCT", "speed"};
// A row's values in the units a level stores (tenths of mb and of degrees, metres, degrees,
// tenths of m/s); ABSENT for a blank field.
using Row = std::array<int32_t, COLUMNS>;

std::string_view trimmed(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

bool digit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number as the listings write it: an optional minus sign, then digits with at most
// one decimal point among or before them. Plus signs, exponents, "nan" and "inf" are none.
bool plain_decimal(std::string_view text) {
  size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  bool digits = false, point = false;
  for (; at < text.size(); ++at) {
    if (digit(text[at])) {
      digits = true;
    } else if (text[at] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

// Reads the field of `column` (speeds in knots when `knots`, else in m/s) into `value`, in the
// unit a level stores; ABSENT for a blank field. Returns the fault ("does not parse (...)",
// "has ..., out of range"), or "" when it was read.
std::string read_field(std::string_view text, int column, bool knots, int32_t& value) {
  static constexpr std::array<double, COLUMNS> SCALES = {10, 1, 10, 10, 1, 10};
  text = trimmed(text);
  value = ABSENT;
  if (text.empty()) return "";
  const std::string copy(text.substr(0, 40));
  if (!plain_decimal(text)) {
    return cformat("does not parse (%s \"%s\")", COLUMN_NAMES[column], copy.c_str());
  }
  const double scale = column == SPEED && knots ? TENTHS_MS_PER_KNOT : SCALES[column];
  const std::optional<int32_t> stored =
      rounded(std::strtod(std::string(text).c_str(), nullptr) * scale);
  if (!stored) return cformat("has %s %s, out of range", COLUMN_NAMES[column], copy.c_str());
  value = *stored;
  return "";
}

// The levels of a listing's rows.
std::vector<PackLevel> levels_of(const std::vector<Row>& rows) {
  std::vector<PackLevel> levels;
  bool surface_seen = false;
  for (const Row& row : rows) {
    PackLevel level;
    level.pressure = row[PRES];
    level.height = row[HGHT];
    level.temperature = row[TEMP];
    level.dew_point = row[DWPT];
    level.wind_direction = row[DRCT];
    level.wind_speed = row[SPEED];
    if (level.wind_direction == ABSENT) level.wind_speed = ABSENT;
    if (level.wind_speed == ABSENT) level.wind_direction = ABSENT;
    if (!surface_seen && level.temperature != ABSENT) {
      level.kind = 9;
      surface_seen = true;
    } else if (!surface_seen || is_mandatory_pressure(level.pressure)) {
      level.kind = 4;  // below the ground (height only) or at a standard pressure
    } else if (level.temperature == ABSENT && level.wind_speed != ABSENT) {
      level.kind = 6;
    } else {
      level.kind = 5;
    }
    levels.push_back(level);
  }
  return levels;
}

// A listing's sounding while it is read.
struct Listing {
  PackSounding sounding;  // station and time set; levels come from `rows`
  int32_t wmo = -1;
  long line = 0;
  bool knots = true;
  bool faulty = false;
  std::vector<Row> rows;
  std::vector<size_t> column_ends;       // end of each header word
  std::array<int, COLUMNS> column_of{};  // header word index of each column, -1 if none
  bool in_table = false;
  WyomingStation facts;       // from the title, the position line and the station information block
  bool name_follows = false;  // a newer title: the station's name is on the next line
  std::string title_fault;    // why the title gives no sounding (wmo is then -1)
};

void hand_over(Listing& listing, const std::string& file, const StationTable& stations,
               ImportRun& run) {
  if (listing.wmo < 0 || listing.faulty) return;
  PackSounding& s = listing.sounding;
  s.wban = stations.facts(listing.wmo, s.year * 10000 + s.month * 100 + s.day).wban;
  s.levels = levels_of(listing.rows);
  if (s.levels.empty()) {
    run.skip(file, listing.line, "a listing without level rows");
    return;
  }
  // A surface row without a height stands at the station's elevation.
  for (PackLevel& level : s.levels) {
    if (level.kind == 9 && level.height == ABSENT && listing.facts.elevation) {
      level.height = rounded(*listing.facts.elevation).value_or(ABSENT);
    }
  }
  run.add(std::move(s), file, listing.line);
}

int month_number(const std::string& name) {
  static const char* const NAMES[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) {
    if (name.compare(0, 3, NAMES[i]) == 0) return i + 1;
  }
  return 0;
}

// A whole number of at most nine digits filling `text`.
bool whole_number(std::string_view text, int& value) {
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), digit)) {
    return false;
  }
  value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return true;
}

// Reads the time at the end of a title ("12Z 22 May 2011" or "12 UTC 23 Feb 2023") into `s`;
// false when a part of it is missing or no number.
bool read_title_time(std::istream& words, PackSounding& s) {
  std::string hour_text, unit, day_text, month_text, year_text;
  if (!(words >> hour_text)) return false;
  if (hour_text.back() == 'Z') {
    hour_text.pop_back();
  } else {
    words >> unit;  // "UTC"
  }
  if (!(words >> day_text >> month_text >> year_text)) return false;
  s.month = month_number(month_text);
  return s.month > 0 && whole_number(hour_text, s.hour) && whole_number(day_text, s.day) &&
         whole_number(year_text, s.year);
}

// Sets the station's name from the words of a title between the number and "Observations"; an
// older title puts the station's identifier first ("OUN Norman").
void take_identifier(std::string name, WyomingStation& facts) {
  const size_t blank = name.find(' ');
  if (blank != std::string::npos && blank <= 4 &&
      std::all_of(name.begin(), name.begin() + static_cast<long>(blank),
                  [](unsigned char c) { return std::isupper(c) || std::isdigit(c); })) {
    facts.identifier = name.substr(0, blank);
    name.erase(0, blank + 1);
  }
  facts.name = name;
}

// Reads a title line ("72357 OUN Norman Observations at 12Z 22 May 2011" or "Observations for
// Station 83779 at 12 UTC 23 Feb 2023"); false when the line is no title.
bool read_title(std::string_view line, Listing& listing) {
  const size_t old_at = line.find(" Observations at ");
  const bool newer = trimmed(line).rfind("Observations for Station ", 0) == 0;
  if (old_at == std::string_view::npos && !newer) return false;
  std::istringstream words{std::string(line)};
  std::string word;
  if (newer) words >> word >> word >> word;  // Observations for Station
  long wmo = -1;
  words >> wmo;
  std::string name;  // the words between the number and "Observations" (older pages)
  while (words >> word && word != "at") {
    if (word != "Observations") name += (name.empty() ? "" : " ") + word;
  }
  take_identifier(name, listing.facts);
  listing.name_follows = newer;
  PackSounding& s = listing.sounding;
  if (!read_title_time(words, s) || wmo <= 0 || wmo > 99999) {
    listing.title_fault = "title line without station or time";
  } else if (!real_date_hour(s.year, s.month, s.day, s.hour)) {
    listing.title_fault = no_such_date(s.year, s.month, s.day, s.hour);
  } else {
    listing.wmo = static_cast<int32_t>(wmo);
  }
  return true;
}

// Reads the column header line ("PRES HGHT TEMP DWPT ... SKNT ..."): where each word ends.
void read_column_header(std::string_view line, Listing& listing) {
  static const char* const NAMES[COLUMNS] = {"PRES", "HGHT", "TEMP", "DWPT", "DRCT", "SKNT"};
  listing.column_of.fill(-1);
  listing.column_ends.clear();
  size_t at = 0;
  while ((at = line.find_first_not_of(' ', at)) != std::string_view::npos) {
    const size_t end = std::min(line.find(' ', at), line.size());
    const std::string_view name = line.substr(at, end - at);
    for (int c = 0; c < COLUMNS; ++c) {
      if (name == NAMES[c] || (c == SPEED && name == "SPED")) {
        listing.column_of[c] = static_cast<int>(listing.column_ends.size());
      }
    }
    if (name == "SPED") listing.knots = false;
    listing.column_ends.push_back(end);
    at = end;
  }
}

// Reads the fields of a row (`field(c)` gives the text of column c) into `row`. Returns the
// fault, or "" when the row was read.
template <typename Field>
std::string read_row(Field field, const char* what, bool knots, Row& row) {
  for (int c = 0; c < COLUMNS; ++c) {
    const std::string fault = read_field(field(c), c, knots, row[c]);
    if (!fault.empty()) return std::string(what) + " " + fault;
  }
  if (row[PRES] == ABSENT) return std::string(what) + " without a pressure";
  return "";
}

// The text of column `c` in a line of the fixed-column table (below its header word).
std::string_view table_field(std::string_view line, const Listing& listing, int c) {
  const int word = listing.column_of[c];
  if (word < 0) return {};
  const size_t begin = word == 0 ? 0 : listing.column_ends[word - 1];
  if (begin >= line.size()) return {};
  return line.substr(begin, listing.column_ends[word] - begin);
}

// Reads a line of the fixed-column table into `row`; returns the fault, or "".
std::string read_table_row(std::string_view line, const Listing& listing, Row& row) {
  auto field = [&](int c) { return table_field(line, listing, c); };
  return read_row(field, "table row", listing.knots, row);
}

// A number after `label` in `text` ("Station latitude: 35.18"); nullopt when the label is not
// there or its value is none ("******", -9999.0).
std::optional<double> labelled_number(std::string_view text, std::string_view label) {
  const size_t at = text.find(label);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string rest(text.substr(at + label.size()));
  char* end = nullptr;
  const double value = std::strtod(rest.c_str(), &end);
  if (end == rest.c_str() || !std::isfinite(value) || value <= -9999) return std::nullopt;
  return value;
}

// Reads a line that tells where the station is: the station information block, or the newer
// pages' "Latitude: -23.520 Longitude: -46.630" and the station's name on the line after the
// title. False when the line is none of them.
bool read_station_fact(std::string_view text, bool name_line, Listing& listing) {
  WyomingStation& facts = listing.facts;
  if (text.rfind("Station identifier:", 0) == 0) {
    facts.identifier = trimmed(text.substr(19));
  } else if (text.rfind("Station latitude:", 0) == 0) {
    facts.latitude = labelled_number(text, "latitude:");
  } else if (text.rfind("Station longitude:", 0) == 0) {
    facts.longitude = labelled_number(text, "longitude:");
  } else if (text.rfind("Station elevation:", 0) == 0) {
    facts.elevation = labelled_number(text, "elevation:");
    if (facts.elevation && std::fabs(*facts.elevation) >= 10000) facts.elevation.reset();
  } else if (text.rfind("Latitude:", 0) == 0) {
    facts.latitude = labelled_number(text, "Latitude:");
    facts.longitude = labelled_number(text, "Longitude:");
  } else if (name_line && !text.empty() && std::isalpha(static_cast<unsigned char>(text[0])) &&
             text.rfind("PRES", 0) != 0) {
    facts.name = text;
  } else {
    return false;
  }
  return true;
}

bool letter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// Text within or after a table that is no row: markup, or words (the units line "hPa m C ...",
// "Station information and sounding indices"), told from a damaged row ("nan 1219 ...",
// "nan nan 23.2 ...") by its first two words both beginning with a letter and no column of the
// table holding a number.
bool prose(std::string_view line, std::string_view text, const Listing& listing) {
  if (text[0] == '<') return true;
  const size_t gap = text.find_first_of(" \t");
  const size_t second = text.find_first_not_of(" \t", gap);
  if (!letter(text[0]) || second == std::string_view::npos || !letter(text[second])) return false;
  for (int c = 0; c < COLUMNS; ++c) {
    if (plain_decimal(trimmed(table_field(line, listing, c)))) return false;
  }
  return true;
}

// Reads a line below the column header: a row while the table lasts; prose ends the table (the
// units line before the first row is passed over). A line after the table's end that reads as
// a whole row means that prose cut the table: a fault, as its rows would be lost. Returns the
// fault (the listing is then faulty and reads no more rows), or "".
std::string read_table_line(std::string_view line, std::string_view text, Listing& listing) {
  Row row;
  if (listing.in_table && !prose(line, text, listing)) {
    std::string fault = read_table_row(line, listing, row);
    if (fault.empty()) listing.rows.push_back(row);
    listing.faulty = !fault.empty();
    return fault;
  }
  if (listing.rows.empty()) return "";
  if (!listing.in_table && read_table_row(line, listing, row).empty()) {
    listing.faulty = true;
    return "table row after the end of its table";
  }
  listing.in_table = false;  // the indices block or the page's end
  return "";
}

// Reads a line of a listing after its title: a station fact, the column header or a line of
// the table. Returns the fault of a row that cannot be read, or "".
std::string read_listing_line(std::string_view line, Listing& listing) {
  const std::string_view text = trimmed(line);
  const bool name_line = std::exchange(listing.name_follows, false);
  if (listing.wmo < 0) return "";
  if (!text.empty() && letter(text[0]) && read_station_fact(text, name_line, listing)) {
    if (!listing.rows.empty()) listing.in_table = false;
    return "";
  }
  if (listing.faulty || text.empty() || text.find_first_not_of('-') == std::string_view::npos) {
    return "";
  }
  if (text.rfind("PRES", 0) == 0 && text.find("HGHT") != std::string_view::npos) {
    read_column_header(line, listing);
    listing.in_table = listing.column_of[PRES] >= 0;
    return "";
  }
  return read_table_line(line, text, listing);
}

void read_text_list(LineReader& reader, std::string_view line, const std::string& file,
                    const StationTable& stations, ImportRun& run) {
  Listing listing;
  do {
    Listing next;
    if (read_title(line, next)) {
      hand_over(listing, file, stations, run);
      listing = std::move(next);
      listing.line = reader.line_number();
      if (!listing.title_fault.empty()) run.skip(file, listing.line, listing.title_fault);
      continue;
    }
    const std::string fault = read_listing_line(line, listing);
    if (!fault.empty()) run.skip(file, reader.line_number(), fault);
  } while (reader.next(line));
  hand_over(listing, file, stations, run);
}

std::vector<std::string> csv_fields(std::string_view line) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (;;) {
    const size_t comma = std::min(line.find(',', at), line.size());
    fields.emplace_back(trimmed(line.substr(at, comma - at)));
    if (comma == line.size()) return fields;
    at = comma + 1;
  }
}

// Finds the columns of a CSV header row; returns the index of the time column, or -1.
int read_csv_header(std::string_view header, Listing& listing) {
  static const char* const NAMES[COLUMNS] = {"pressure_hPa",          "geopotential height_m",
                                             "temperature_C",         "dew point temperature_C",
                                             "wind direction_degree", "wind speed_m/s"};
  listing.knots = false;
  listing.column_of.fill(-1);
  const std::vector<std::string> names = csv_fields(header);
  int time_column = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    for (int c = 0; c < COLUMNS; ++c) {
      if (names[i] == NAMES[c]) listing.column_of[c] = static_cast<int>(i);
    }
    if (names[i] == "wind speed_knot") {
      listing.column_of[SPEED] = static_cast<int>(i);
      listing.knots = true;
    }
    if (names[i] == "time") time_column = static_cast<int>(i);
  }
  return time_column;
}

// The release time hhmm of a launch time "2010-12-09 11:06:00"; ABSENT when it gives none.
int32_t release_time_of(std::string_view time) {
  int hours = 0, minutes = 0;
  if (time.size() < 16 || !whole_number(time.substr(11, 2), hours) ||
      !whole_number(time.substr(14, 2), minutes) || hours > 23 || minutes > 59) {
    return ABSENT;
  }
  return hours * 100 + minutes;
}

void read_csv(LineReader& reader, std::string_view header, const std::string& file,
              const StationTable& stations, const CsvSounding& csv, ImportRun& run) {
  Listing listing;
  listing.wmo = csv.wmo;
  listing.line = reader.line_number();
  const int time_column = read_csv_header(header, listing);
  if (listing.column_of[PRES] < 0) {
    run.skip(file, listing.line, "CSV header without a pressure_hPa column");
    return;
  }
  if (!real_date_hour(csv.year, csv.month, csv.day, csv.hour)) {
    run.skip(file, listing.line, no_such_date(csv.year, csv.month, csv.day, csv.hour));
    return;
  }
  PackSounding& s = listing.sounding;
  s.year = csv.year, s.month = csv.month, s.day = csv.day, s.hour = csv.hour;
  std::string_view line;
  while (reader.next(line)) {
    if (trimmed(line).empty()) continue;
    const std::vector<std::string> fields = csv_fields(line);
    auto field = [&](int c) {
      const int i = listing.column_of[c];
      return i >= 0 && static_cast<size_t>(i) < fields.size() ? std::string_view(fields[i])
                                                              : std::string_view();
    };
    // The time column holds the launch time, the same on every row.
    if (time_column >= 0 && listing.rows.empty() &&
        static_cast<size_t>(time_column) < fields.size()) {
      s.release_time = release_time_of(fields[time_column]);
    }
    Row row;
    const std::string fault = read_row(field, "CSV row", listing.knots, row);
    if (!fault.empty()) {
      run.skip(file, reader.line_number(), fault);
      return;
    }
    listing.rows.push_back(row);
  }
  hand_over(listing, file, stations, run);
}

}  // namespace

void read_wyoming(std::istream& in, const std::string& file, const StationTable& stations,
                  const std::optional<CsvSounding>& csv, ImportRun& run) {
  LineReader reader(in);
  std::string_view line;
  while (reader.next(line) && trimmed(line).empty()) {
  }
  if (trimmed(line).empty()) {
    run.skip(file, reader.line_number(), "no listing in the file");
  } else if (line.find(',') == std::string_view::npos) {
    read_text_list(reader, line, file, stations, run);
  } else if (!csv) {
    run.skip(file, reader.line_number(), "a CSV listing needs --station and --time");
  } else {
    read_csv(reader, line, file, stations, *csv, run);
  }
}

void collect_wyoming_stations(std::istream& in, WyomingStations& seen) {
  LineReader reader(in);
  std::string_view line;
  Listing listing;
  auto keep = [&] {
    if (listing.wmo <= 0) return;
    WyomingStation& station = seen[listing.wmo];
    const WyomingStation& facts = listing.facts;
    if (!facts.identifier.empty()) station.identifier = facts.identifier;
    if (!facts.name.empty()) station.name = facts.name;
    if (facts.latitude) station.latitude = facts.latitude;
    if (facts.longitude) station.longitude = facts.longitude;
    if (facts.elevation) {
      station.elevation = facts.elevation;
    } else if (!station.elevation) {
      // The surface row (the first with a temperature) stands at the station's elevation.
      const auto surface = std::find_if(listing.rows.begin(), listing.rows.end(),
                                        [](const Row& row) { return row[TEMP] != ABSENT; });
      if (surface != listing.rows.end() && (*surface)[HGHT] != ABSENT) {
        station.elevation = (*surface)[HGHT];
      }
    }
    const int year = listing.sounding.year;
    if (station.first_year == 0 || year < station.first_year) station.first_year = year;
    station.last_year = std::max(station.last_year, year);
  };
  while (reader.next(line)) {
    Listing next;
    if (read_title(line, next)) {
      keep();
      listing = std::move(next);
    } else {
      read_listing_line(line, listing);
    }
  }
  keep();
}

long write_wyoming_station_rows(const WyomingStations& seen, const StationTable& stations,
                                std::ostream& out, std::ostream& messages) {
  std::vector<std::string> rows;
  long faults = 0;
  for (const auto& [wmo, station] : seen) {
    if (stations.holds(wmo)) continue;
    if (!station.latitude || !station.longitude || std::fabs(*station.latitude) > 90 ||
        std::fabs(*station.longitude) > 360) {
      messages << "wxpack: station " << wmo << ": the listings give no position; no row\n";
      ++faults;
      continue;
    }
    InternationalSite site;
    site.wmo = wmo;
    site.initials = station.identifier;
    site.name = station.name;
    site.latitude = *station.latitude;
    site.longitude = *station.longitude;
    site.elevation = station.elevation.value_or(0);
    site.first_year = station.first_year;
    site.last_year = station.last_year;
    rows.push_back(international_site_row(site, "UWYO"));
  }
  write_international_sites(rows, out);
  return faults;
}

}  // namespace pack
}  // namespace wxfetch
