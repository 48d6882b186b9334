#include "plot/sounding_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

namespace wxfetch {

namespace {

constexpr long ABSENT_FULL = 99999;
constexpr long ABSENT_100MB = 32767;

// The lines of `text` without their line ends ("\n" or "\r\n").
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Reads one integer at `p` (a sign, then digits up to a blank or the end); returns the position
// after it, or nullptr when the word is not an integer. As strtol has it, a number past the
// range of long is taken as its limit.
const char* read_integer(const char* p, const char* end, long& value) {
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const char* digits = p;
  unsigned long magnitude = 0;
  bool overflow = false;
  for (; p != end && *p >= '0' && *p <= '9'; ++p) {
    overflow = overflow || magnitude > (ULONG_MAX - 9) / 10;
    magnitude = magnitude * 10 + static_cast<unsigned long>(*p - '0');
  }
  if (p == digits || (p != end && *p != ' ' && *p != '\t')) return nullptr;
  const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  if (overflow || magnitude > limit) magnitude = limit;
  value = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
  return p;
}

// Reads the blank-separated integers of `line` into `values`, the first N of them; returns how
// many there are, or -1 when a word is not an integer.
template <size_t N>
int integers(std::string_view line, std::array<long, N>& values) {
  int count = 0;
  const char* p = line.data();
  const char* const end = line.data() + line.size();
  while (true) {
    while (p != end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end) return count;
    long v = 0;
    p = read_integer(p, end, v);
    if (p == nullptr) return -1;
    if (count < static_cast<int>(N)) values[static_cast<size_t>(count)] = v;
    ++count;
  }
}

// The line type: the single integer in the first 7 columns, -1 when there is none.
long line_type(std::string_view line) {
  std::array<long, 1> type{};
  return integers(line.substr(0, std::min<size_t>(line.size(), 7)), type) == 1 ? type[0] : -1;
}

std::string problem(const std::string& name, size_t line, const std::string& what) {
  return name + ":" + std::to_string(line + 1) + ": " + what;
}

// The raw columns of one KVT block before its units are known.
struct KvtBlock {
  Profile profile;
  bool knots = true;
  std::vector<std::array<long, 7>> levels;
};

constexpr const char* MONTHS[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool parse_time_line(std::string_view line, Profile& p) {
  char month[8] = {};
  int type = 0;
  const std::string copy(line);
  if (std::sscanf(copy.c_str(), "%d %d %d %7s %d", &type, &p.hour, &p.day, month, &p.year) != 5 ||
      type != 254) {
    return false;
  }
  for (int m = 0; m < 12; ++m) {
    if (std::strcmp(month, MONTHS[m]) == 0) p.month = m + 1;
  }
  return p.month != 0;
}

bool parse_station_line(std::string_view line, StationInfo& s) {
  int type = 0, elevation = 0;
  char ns = 0, ew = 0;
  double lat = 0, lon = 0;
  const std::string copy(line);
  if (std::sscanf(copy.c_str(), "%d %ld %ld %lf%c%lf%c %d", &type, &s.wban, &s.wmo, &lat, &ns, &lon,
                  &ew, &elevation) != 8 ||
      type != 1) {
    return false;
  }
  s.latitude = ns == 'S' ? -lat : lat;
  s.longitude = ew == 'W' ? -lon : lon;
  s.elevation = elevation;
  return true;
}

// The type 3 line: initials in the 13 columns after the line type, wind units tag last.
bool parse_units_line(std::string_view line, KvtBlock& block) {
  if (line_type(line) != 3 || line.size() < 10) return false;
  std::string_view initials = line.substr(8, std::min<size_t>(13, line.size() - 8));
  while (!initials.empty() && initials.front() == ' ') initials.remove_prefix(1);
  while (!initials.empty() && initials.back() == ' ') initials.remove_suffix(1);
  block.profile.station.initials = std::string(initials);
  const std::string_view tag = line.substr(line.size() - 2);
  block.knots = tag == "kt";
  return tag == "kt" || tag == "ms";
}

// Converts the block's level columns once its variant is known and appends the sounding.
void finish_block(KvtBlock& block, ReadResult& result) {
  long highest = 0;
  for (const auto& c : block.levels) {
    if (c[1] != ABSENT_FULL && c[1] != ABSENT_100MB) highest = std::max(highest, c[1]);
  }
  const bool whole_mb = highest <= 1100;
  const auto value = [whole_mb](long v, double scale) {
    if (v == ABSENT_FULL || (whole_mb && v == ABSENT_100MB)) return ABSENT;
    return v * scale;
  };
  block.profile.levels.reserve(block.levels.size());
  for (const auto& c : block.levels) {
    ProfileLevel level;
    level.kind = static_cast<int32_t>(c[0]);
    level.pressure = value(c[1], whole_mb ? 1.0 : 0.1);
    level.height = value(c[2], 1.0);
    level.temperature = value(c[3], 0.1);
    level.dew_point = value(c[4], 0.1);
    level.wind_direction = value(c[5], 1.0);
    level.wind_speed = value(c[6], block.knots ? 1.0 : KNOTS_PER_MS / 10);
    block.profile.levels.push_back(level);
  }
  finish_profile(block.profile);
  result.soundings.push_back(std::move(block.profile));
}

// Reads the header lines of a block starting at line `i` (its 254 line); returns false, with a
// problem reported, when one is missing or damaged.
bool read_kvt_header(const std::vector<std::string_view>& lines, size_t i, KvtBlock& block,
                     const std::string& name, ReadResult& result) {
  const auto fail = [&](size_t at, const char* what) {
    result.problems.push_back(problem(name, at, what));
    return false;
  };
  if (!parse_time_line(lines[i], block.profile)) return fail(i, "bad time line (254)");
  if (i + 3 >= lines.size()) return fail(i, "block ends inside its header");
  if (!parse_station_line(lines[i + 1], block.profile.station)) {
    return fail(i + 1, "bad station line (1)");
  }
  std::array<long, 1> two{};
  if (integers(lines[i + 2], two) < 1 || two[0] != 2) return fail(i + 2, "bad line of type 2");
  if (!parse_units_line(lines[i + 3], block)) return fail(i + 3, "bad line of type 3");
  return true;
}

bool starts_block(std::string_view line) {
  return line_type(line) == 254;
}

}  // namespace

ReadResult read_kvt(std::string_view text, const std::string& name) {
  ReadResult result;
  const std::vector<std::string_view> lines = split_lines(text);
  size_t i = 0;
  while (i < lines.size()) {
    if (!starts_block(lines[i])) {
      if (lines[i].find_first_not_of(" \t") != std::string_view::npos) {
        result.problems.push_back(problem(name, i, "line outside a sounding block"));
      }
      ++i;
      continue;
    }
    KvtBlock block;
    const bool header_ok = read_kvt_header(lines, i, block, name, result);
    size_t j = i + (header_ok ? 4 : 1);
    bool levels_ok = header_ok;
    for (; j < lines.size() && !starts_block(lines[j]); ++j) {
      std::array<long, 7> columns{};
      if (levels_ok && integers(lines[j], columns) != 7) {
        result.problems.push_back(problem(name, j, "bad level line; sounding left out"));
        levels_ok = false;
      }
      if (levels_ok) block.levels.push_back(columns);
    }
    if (levels_ok) finish_block(block, result);
    i = j;
  }
  return result;
}

namespace {

// Reads one CSV record starting at `pos` (RFC 4180: quoted fields may hold commas, doubled
// quotes and line ends); advances `pos` past its line end and counts the lines it spans.
std::vector<std::string> csv_record(std::string_view text, size_t& pos, size_t& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (quoted) {
      if (c == '"' && pos < text.size() && text[pos] == '"') {
        fields.back() += '"';
        ++pos;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      ++line;
      break;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

// A number field: empty is absent; false when the text is not a number.
bool csv_number(const std::string& field, double& value) {
  if (field.empty()) {
    value = ABSENT;
    return true;
  }
  char* end = nullptr;
  value = std::strtod(field.c_str(), &end);
  return end == field.c_str() + field.size() && std::isfinite(value);
}

int32_t kind_of_word(const std::string& word) {
  for (int32_t kind = 0; kind < static_cast<int32_t>(std::size(LEVEL_KIND_WORDS)); ++kind) {
    if (!word.empty() && word == LEVEL_KIND_WORDS[kind]) return kind;
  }
  return NO_KIND;
}

bool parse_iso_time(const std::string& text, Profile& p) {
  int minute = 0;
  char zone = 0;
  return std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &p.year, &p.month, &p.day, &p.hour,
                     &minute, &zone) == 6 &&
         zone == 'Z';
}

// The column of each CSV field wxplot uses, -1 when the header lacks it.
struct CsvColumns {
  int wmo = -1, wban = -1, station = -1, time = -1, kind = -1, pressure = -1, height = -1,
      temperature = -1, dew_point = -1, direction = -1, speed = -1;
  double speed_to_knots = 1.0;
};

CsvColumns csv_columns(const std::vector<std::string>& header) {
  CsvColumns c;
  const std::pair<const char*, int*> names[] = {{"wmo", &c.wmo},
                                                {"wban", &c.wban},
                                                {"station", &c.station},
                                                {"time", &c.time},
                                                {"kind", &c.kind},
                                                {"pressure_hpa", &c.pressure},
                                                {"height_m", &c.height},
                                                {"temperature_c", &c.temperature},
                                                {"dew_point_c", &c.dew_point},
                                                {"wind_direction_deg", &c.direction},
                                                {"wind_speed_kt", &c.speed}};
  for (int i = 0; i < static_cast<int>(header.size()); ++i) {
    for (const auto& [column, index] : names) {
      if (header[i] == column) *index = i;
    }
    if (header[i] == "wind_speed_ms") {
      c.speed = i;
      c.speed_to_knots = KNOTS_PER_MS;
    }
  }
  return c;
}

// The record's field in column `i`, "" when the record is shorter or the column unknown.
std::string field_at(const std::vector<std::string>& fields, int i) {
  return i >= 0 && i < static_cast<int>(fields.size()) ? fields[static_cast<size_t>(i)] : "";
}

// Fills `level` from one record; false when a number field is damaged.
bool csv_level(const std::vector<std::string>& f, const CsvColumns& c, ProfileLevel& level) {
  const auto field = [&f](int i) { return field_at(f, i); };
  level.kind = kind_of_word(field(c.kind));
  const std::pair<int, double*> numbers[] = {
      {c.pressure, &level.pressure},        {c.height, &level.height},
      {c.temperature, &level.temperature},  {c.dew_point, &level.dew_point},
      {c.direction, &level.wind_direction}, {c.speed, &level.wind_speed}};
  for (const auto& [column, value] : numbers) {
    if (!csv_number(field(column), *value)) return false;
  }
  if (present(level.wind_speed)) level.wind_speed *= c.speed_to_knots;
  return true;
}

}  // namespace

ReadResult read_csv(std::string_view text, const std::string& name) {
  ReadResult result;
  size_t pos = 0, line = 0;
  const CsvColumns columns = csv_columns(csv_record(text, pos, line));
  if (columns.wmo < 0 || columns.time < 0 || columns.pressure < 0) {
    result.problems.push_back(problem(name, 0, "CSV header lacks wmo, time or pressure_hpa"));
    return result;
  }
  std::string key;  // wmo, wban and time of the sounding being read
  while (pos < text.size()) {
    const size_t record_line = line;
    const std::vector<std::string> f = csv_record(text, pos, line);
    if (f.size() == 1 && f[0].empty()) continue;
    Profile p;
    ProfileLevel level;
    const auto get = [&f](int i) { return field_at(f, i); };
    if (!parse_iso_time(get(columns.time), p) || !csv_level(f, columns, level)) {
      result.problems.push_back(problem(name, record_line, "bad CSV row; level left out"));
      continue;
    }
    const std::string row_key =
        get(columns.wmo) + "," + get(columns.wban) + "," + get(columns.time);
    if (row_key != key || result.soundings.empty()) {
      key = row_key;
      p.station.wmo = std::strtol(get(columns.wmo).c_str(), nullptr, 10);
      p.station.wban = std::strtol(get(columns.wban).c_str(), nullptr, 10);
      p.station.initials = get(columns.station);
      result.soundings.push_back(std::move(p));
    }
    result.soundings.back().levels.push_back(level);
  }
  for (Profile& profile : result.soundings) finish_profile(profile);
  return result;
}

ReadResult read_soundings(std::string_view text, const std::string& name) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start != std::string_view::npos && text.substr(start, 4) == "wmo,") {
    return read_csv(text.substr(start), name);
  }
  return read_kvt(text, name);
}

}  // namespace wxfetch
