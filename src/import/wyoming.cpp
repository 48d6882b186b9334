#include "import/wyoming.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "import/line_reader.h"
#include "import/site_rows.h"
#include "records/sounding.h"

namespace wxfetch {
namespace pack {

namespace {

// The columns a listing row is read for, in this order.
enum Column { PRES, HGHT, TEMP, DWPT, DRCT, SPEED, COLUMNS };
using Row = std::array<std::optional<double>, COLUMNS>;

std::string_view trimmed(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// A decimal number filling the whole (trimmed) text; nullopt for a blank text. Sets `bad` for
// anything else.
std::optional<double> decimal(std::string_view text, bool& bad) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) bad = true;
  return value;
}

int32_t tenths(const std::optional<double>& value, double scale = 10) {
  return value ? static_cast<int32_t>(std::lround(*value * scale)) : ABSENT;
}

// The levels of a listing's rows. `knots`: speeds are in knots, else in m/s.
std::vector<PackLevel> levels_of(const std::vector<Row>& rows, bool knots) {
  std::vector<PackLevel> levels;
  bool surface_seen = false;
  for (const Row& row : rows) {
    PackLevel level;
    level.pressure = tenths(row[PRES]);
    level.height = row[HGHT] ? static_cast<int32_t>(std::lround(*row[HGHT])) : ABSENT;
    level.temperature = tenths(row[TEMP]);
    level.dew_point = tenths(row[DWPT]);
    level.wind_direction = row[DRCT] ? static_cast<int32_t>(std::lround(*row[DRCT])) : ABSENT;
    level.wind_speed = tenths(row[SPEED], knots ? TENTHS_MS_PER_KNOT : 10);
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
};

void hand_over(Listing& listing, const std::string& file, const StationTable& stations,
               ImportRun& run) {
  if (listing.wmo < 0 || listing.faulty) return;
  PackSounding& s = listing.sounding;
  s.wban = stations.facts(listing.wmo, s.year * 10000 + s.month * 100 + s.day).wban;
  s.levels = levels_of(listing.rows, listing.knots);
  if (s.levels.empty()) {
    run.skip(file, listing.line, "a listing without level rows");
    return;
  }
  // A surface row without a height stands at the station's elevation.
  for (PackLevel& level : s.levels) {
    if (level.kind == 9 && level.height == ABSENT && listing.facts.elevation) {
      level.height = static_cast<int32_t>(std::lround(*listing.facts.elevation));
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
  // The older title puts the station's identifier before its name ("72357 OUN Norman").
  const size_t blank = name.find(' ');
  if (blank != std::string::npos && blank <= 4 &&
      std::all_of(name.begin(), name.begin() + static_cast<long>(blank),
                  [](unsigned char c) { return std::isupper(c) || std::isdigit(c); })) {
    listing.facts.identifier = name.substr(0, blank);
    name.erase(0, blank + 1);
  }
  listing.facts.name = name;
  listing.name_follows = newer;
  std::string hour_text, day_text, month_text;
  int year = 0;
  words >> hour_text;
  if (hour_text.back() != 'Z') words >> word;  // "UTC"
  words >> day_text >> month_text >> year;
  PackSounding& s = listing.sounding;
  s.hour = std::atoi(hour_text.c_str());
  s.day = std::atoi(day_text.c_str());
  s.month = month_number(month_text);
  s.year = year;
  listing.wmo = words && wmo > 0 && wmo <= 99999 && s.month > 0 ? static_cast<int32_t>(wmo) : -2;
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

// Reads a table row; false when it does not parse.
bool read_row(std::string_view line, Listing& listing) {
  Row row;
  bool bad = false;
  for (int c = 0; c < COLUMNS; ++c) {
    const int word = listing.column_of[c];
    if (word < 0) continue;
    const size_t begin = word == 0 ? 0 : listing.column_ends[word - 1];
    if (begin >= line.size()) continue;
    row[c] = decimal(line.substr(begin, listing.column_ends[word] - begin), bad);
  }
  if (bad || !row[PRES]) return false;
  listing.rows.push_back(row);
  return true;
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
bool read_station_fact(std::string_view text, Listing& listing) {
  WyomingStation& facts = listing.facts;
  const bool name_line = listing.name_follows;
  listing.name_follows = false;
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

// Reads a line of a listing after its title: a station fact, the column header or a table row.
// False when a table row does not parse; the listing is then faulty and reads no more rows.
bool read_listing_line(std::string_view line, Listing& listing) {
  const std::string_view text = trimmed(line);
  if (listing.wmo < 0) return true;
  const bool row_like = !text.empty() && (std::isdigit(text[0]) || text[0] == '-');
  if (!row_like && read_station_fact(text, listing)) {
    if (!listing.rows.empty()) listing.in_table = false;
    return true;
  }
  if (listing.faulty) return true;
  if (text.rfind("PRES", 0) == 0 && text.find("HGHT") != std::string_view::npos) {
    read_column_header(line, listing);
    listing.in_table = listing.column_of[PRES] >= 0;
  } else if (listing.in_table && row_like) {
    if (text[0] == '-' && text.find_first_not_of('-') == std::string_view::npos) return true;
    if (!read_row(line, listing)) {
      listing.faulty = true;
      return false;
    }
  } else if (!listing.rows.empty()) {
    listing.in_table = false;  // the indices block or the page's end
  }
  return true;
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
      if (listing.wmo == -2) run.skip(file, listing.line, "title line without station or time");
      continue;
    }
    if (!read_listing_line(line, listing)) {
      run.skip(file, reader.line_number(), "table row does not parse");
    }
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

void read_csv(LineReader& reader, std::string_view header, const std::string& file,
              const StationTable& stations, const CsvSounding& csv, ImportRun& run) {
  static const char* const NAMES[COLUMNS] = {"pressure_hPa",          "geopotential height_m",
                                             "temperature_C",         "dew point temperature_C",
                                             "wind direction_degree", "wind speed_m/s"};
  Listing listing;
  listing.wmo = csv.wmo;
  listing.line = reader.line_number();
  listing.knots = false;
  listing.column_of.fill(-1);
  const std::vector<std::string> names = csv_fields(header);
  int time_column = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    for (int c = 0; c < COLUMNS; ++c) {
      if (names[i] == NAMES[c]) listing.column_of[c] = static_cast<int>(i);
    }
    if (names[i] == "wind speed_knot")
      listing.column_of[SPEED] = static_cast<int>(i), listing.knots = true;
    if (names[i] == "time") time_column = static_cast<int>(i);
  }
  if (listing.column_of[PRES] < 0) {
    run.skip(file, listing.line, "CSV header without a pressure_hPa column");
    return;
  }
  PackSounding& s = listing.sounding;
  s.year = csv.year, s.month = csv.month, s.day = csv.day, s.hour = csv.hour;
  std::string_view line;
  while (reader.next(line)) {
    if (trimmed(line).empty()) continue;
    const std::vector<std::string> fields = csv_fields(line);
    Row row;
    bool bad = false;
    for (int c = 0; c < COLUMNS; ++c) {
      const int i = listing.column_of[c];
      if (i >= 0 && static_cast<size_t>(i) < fields.size()) row[c] = decimal(fields[i], bad);
    }
    if (bad || !row[PRES]) {
      run.skip(file, reader.line_number(), "CSV row does not parse");
      return;
    }
    // The time column holds the launch time ("2010-12-09 11:06:00").
    if (time_column >= 0 && listing.rows.empty() &&
        fields.size() > static_cast<size_t>(time_column) && fields[time_column].size() >= 16) {
      const std::string& t = fields[time_column];
      s.release_time =
          std::atoi(t.substr(11, 2).c_str()) * 100 + std::atoi(t.substr(14, 2).c_str());
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
                                        [](const Row& row) { return row[TEMP].has_value(); });
      if (surface != listing.rows.end()) station.elevation = (*surface)[HGHT];
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
