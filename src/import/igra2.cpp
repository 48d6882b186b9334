#include "import/igra2.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <istream>
#include <ostream>
#include <vector>

#include "analysis/thermo.h"
#include "base/text.h"
#include "import/checks.h"
#include "import/line_reader.h"
#include "import/site_rows.h"

namespace wxfetch {
namespace pack {

namespace {

constexpr int32_t REMOVED = -8888;  // removed by quality control
constexpr int32_t MISSING = -9999;

// A value of a level or header column: absent for blanks-free -8888 and -9999.
bool value_at(std::string_view line, size_t first, size_t last, int32_t& value) {
  if (!column_number(line, first, last, value)) return false;
  if (value == REMOVED || value == MISSING) value = ABSENT;
  return true;
}

struct Header {
  std::string_view id;
  int32_t year = 0, month = 0, day = 0, hour = 0, release = 0, level_count = 0;
};

// Reads a header line; returns the fault, or "" when it parsed.
std::string read_header(std::string_view line, Header& header) {
  header.id = column_text(line, 2, 12);
  if (header.id.size() != 11) return "header line too short";
  if (!column_number(line, 14, 17, header.year) || !column_number(line, 19, 20, header.month) ||
      !column_number(line, 22, 23, header.day) || !column_number(line, 25, 26, header.hour) ||
      !column_number(line, 28, 31, header.release) ||
      !column_number(line, 33, 36, header.level_count) || header.level_count < 0) {
    return "header line does not parse (YEAR, MONTH, DAY, HOUR, RELTIME or NUMLEV)";
  }
  if (header.hour == 99 && header.release >= 0 && header.release / 100 < 24) {
    header.hour = header.release / 100;  // no nominal hour: the launch hour stands for it
  }
  if (header.hour == 99) return "no hour (HOUR and RELTIME missing)";
  if (!real_date_hour(header.year, header.month, header.day, header.hour)) {
    return no_such_date(header.year, header.month, header.day, header.hour);
  }
  return "";
}

// Release time hhmm, absent when missing, when its minutes are missing (HH99) or when it is no
// time of day.
int32_t release_of(int32_t reltime) {
  if (reltime < 0 || reltime / 100 > 23 || reltime % 100 > 59) return ABSENT;
  return reltime;
}

// The kind of a level of types LVLTYP1 (0 to 3: unknown, standard pressure, other pressure,
// non-pressure level) and LVLTYP2 (0 to 2: other, surface, tropopause); false for other types.
bool kind_of(char type1, char type2, int32_t& kind) {
  if (type1 < '0' || type1 > '3' || type2 < '0' || type2 > '2') return false;
  static constexpr int32_t BY_TYPE1[] = {5, 4, 5, 6};  // unknown, mandatory, significant, wind
  kind = type2 == '1' ? 9 : type2 == '2' ? 7 : BY_TYPE1[type1 - '0'];
  return true;
}

// The dew point (tenths of degrees C) of a level: temperature less the depression, else from
// the relative humidity (tenths of %) over water, never above the temperature; absent when
// neither gives it. `from_humidity` tells which.
int32_t dew_point_of(int32_t temperature, int32_t depression, int32_t humidity,
                     bool& from_humidity) {
  from_humidity = false;
  if (temperature == ABSENT) return ABSENT;
  if (depression != ABSENT) return temperature - depression;
  if (humidity == ABSENT || humidity <= 0 || humidity > 1000) return ABSENT;
  const double kelvin = temperature / 10.0 + ZERO_CELSIUS;
  const double dew_point = dew_point_from_relative_humidity(kelvin, humidity / 10.0);
  from_humidity = true;
  return std::min(temperature, static_cast<int32_t>(std::lround((dew_point - ZERO_CELSIUS) * 10)));
}

// Reads a level line; returns the fault, or "" when it parsed. `from_humidity` tells whether
// the dew point came from the relative humidity.
std::string read_level(std::string_view line, PackLevel& level, bool& from_humidity) {
  const char type1 = line.empty() ? ' ' : line[0];
  const char type2 = line.size() < 2 ? ' ' : line[1];
  if (!kind_of(type1, type2, level.kind)) {
    return "level type \"" + std::string(line.substr(0, 2)) +
           "\" is not one of LVLTYP1 0 to 3 with LVLTYP2 0 to 2";
  }
  int32_t press = 0, temperature = 0, humidity = 0, depression = 0;
  if (!value_at(line, 10, 15, press) || !value_at(line, 17, 21, level.height) ||
      !value_at(line, 23, 27, temperature) || !value_at(line, 29, 33, humidity) ||
      !value_at(line, 35, 39, depression) || !value_at(line, 41, 45, level.wind_direction) ||
      !value_at(line, 47, 51, level.wind_speed)) {
    return "level line does not parse (PRESS, GPH, TEMP, RH, DPDP, WDIR or WSPD)";
  }
  level.pressure = press == ABSENT ? ABSENT : (press + 5) / 10;  // Pa to tenths of mb, rounded
  level.temperature = temperature;
  level.dew_point = dew_point_of(temperature, depression, humidity, from_humidity);
  return "";
}

// The sounding being read and what became of it.
struct Reading {
  PackSounding sounding;
  long line = 0;           // of the header
  int32_t levels_due = 0;  // NUMLEV
  bool active = false;     // a sounding to be imported is being read
  bool faulty = false;     // its lines are being passed over
};

void hand_over(Reading& reading, const std::string& file, ImportRun& run) {
  if (!reading.active || reading.faulty) return;
  reading.active = false;
  const auto got = static_cast<int32_t>(reading.sounding.levels.size());
  if (got != reading.levels_due) {
    run.skip(file, reading.line,
             cformat("NUMLEV says %d levels, %d level lines follow", reading.levels_due, got));
    return;
  }
  run.add(std::move(reading.sounding), file, reading.line);
}

// Reads the position, elevation, name and years of a station list line into `site`; false when
// they do not parse or lie outside their ranges.
bool read_station_line(std::string_view line, InternationalSite& site) {
  double latitude = 0, longitude = 0, elevation = 0;
  const std::string numbers(column_text(line, 13, 37));
  if (std::sscanf(numbers.c_str(), "%lf %lf %lf", &latitude, &longitude, &elevation) != 3 ||
      !column_number(line, 73, 76, site.first_year) ||
      !column_number(line, 78, 81, site.last_year)) {
    return false;
  }
  if (!(latitude >= -90 && latitude <= 90) || !(longitude >= -180 && longitude <= 360) ||
      site.first_year < FIRST_YEAR || site.last_year > LAST_YEAR ||
      site.first_year > site.last_year) {
    return false;
  }
  site.latitude = latitude;
  site.longitude = longitude;
  // -998.8 and -999.9: unknown; a value that is no number is none either.
  site.elevation = elevation < -998 || !std::isfinite(elevation) ? 0 : elevation;
  site.name = column_text(line, 42, 71);
  site.country = column_text(line, 1, 2);
  return true;
}

}  // namespace

int32_t igra2_wmo_number(std::string_view id) {
  if (id.size() != 11 || id[2] != 'M' || id.substr(3, 3) != "000") return -1;
  int32_t wmo = 0;
  for (char c : id.substr(6)) {
    if (c < '0' || c > '9') return -1;
    wmo = wmo * 10 + (c - '0');
  }
  return wmo;
}

void read_igra2(std::istream& in, const std::string& file, const StationTable& stations,
                ImportRun& run) {
  LineReader reader(in);
  std::string_view line;
  Reading reading;
  std::string passed_over_id;  // the last station without WMO number that was reported
  while (reader.next(line)) {
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;  // a blank line
    if (!line.empty() && line[0] == '#') {
      hand_over(reading, file, run);
      reading = Reading{};
      reading.line = reader.line_number();
      Header header;
      const std::string fault = read_header(line, header);
      if (!fault.empty()) {
        run.skip(file, reading.line, fault);
        reading.faulty = true;
        continue;
      }
      const int32_t wmo = igra2_wmo_number(header.id);
      if (wmo < 0) {
        if (header.id != passed_over_id) {
          passed_over_id = std::string(header.id);
          run.skip(file, reading.line,
                   "station " + passed_over_id + " has no WMO number; its soundings are skipped");
        }
        reading.faulty = true;
        continue;
      }
      const StationFacts facts =
          stations.facts(wmo, header.year * 10000 + header.month * 100 + header.day);
      PackSounding& s = reading.sounding;
      s.wban = facts.wban;
      s.year = header.year;
      s.month = header.month;
      s.day = header.day;
      s.hour = header.hour;
      s.release_time = release_of(header.release);
      s.levels.reserve(static_cast<size_t>(header.level_count));
      reading.levels_due = header.level_count;
      reading.active = true;
    } else if (reading.active && !reading.faulty) {
      PackLevel level;
      bool from_humidity = false;
      const std::string fault = read_level(line, level, from_humidity);
      if (!fault.empty()) {
        run.skip(file, reader.line_number(), fault);
        reading.faulty = true;
        continue;
      }
      if (from_humidity) run.count_humidity_dew_point();
      reading.sounding.levels.push_back(level);
    } else if (!reading.faulty && line.find_first_not_of(" \t") != std::string_view::npos) {
      run.skip(file, reader.line_number(), "a level line before the first header line");
      reading.faulty = true;
    }
  }
  hand_over(reading, file, run);
}

long write_igra2_station_rows(std::istream& in, const std::string& file,
                              const StationTable& stations, std::ostream& out,
                              std::ostream& messages, const StationRowsChoice& choice) {
  LineReader reader(in);
  std::string_view line;
  std::vector<InternationalSite> sites;
  long faults = 0;
  int latest_year = 0;  // the list's own date, as far as its last years tell
  while (reader.next(line)) {
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    InternationalSite site;
    site.wmo = igra2_wmo_number(column_text(line, 1, 11));
    if (site.wmo < 0 || stations.holds(site.wmo)) continue;
    if (!read_station_line(line, site)) {
      messages << file << ":" << reader.line_number() << ": station line does not parse\n";
      ++faults;
      continue;
    }
    latest_year = std::max(latest_year, site.last_year);
    if (choice.held != nullptr && choice.held->count(site.wmo) == 0) continue;
    sites.push_back(site);
  }
  std::vector<std::string> rows;
  for (InternationalSite& site : sites) {
    // A station that reported in the list's last year is still reporting: its period is open.
    if (site.last_year == latest_year) site.last_year = 9999;
    rows.push_back(international_site_row(site, "IGRA"));
  }
  write_international_sites(rows, out);
  if (choice.written != nullptr) *choice.written = static_cast<long>(rows.size());
  return faults;
}

}  // namespace pack
}  // namespace wxfetch
