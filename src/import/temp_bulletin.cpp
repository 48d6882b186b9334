#include "import/temp_bulletin.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <istream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "import/checks.h"
#include "import/line_reader.h"

namespace wxfetch {
namespace pack {

namespace {

// Part names in the order their levels are gathered.
enum class PartName { TTAA, TTBB, PPBB, TTCC, TTDD, PPDD };
constexpr std::array<const char*, 6> PART_NAMES = {"TTAA", "TTBB", "PPBB", "TTCC", "TTDD", "PPDD"};

struct Word {
  std::string text;
  long line = 0;
};

struct Part {
  PartName name = PartName::TTAA;
  long line = 0;
  std::vector<Word> groups;  // YYGGI, IIiii, then the part's groups
};

// A group that does not parse; ends the decoding of its sounding.
struct Fault {
  long line;
  std::string what;
};

[[noreturn]] void fault(const Word& word, const std::string& what) {
  throw Fault{word.line, "group \"" + word.text + "\": " + what};
}

// `value` rounded to the nearest whole number, for `word`; a value beyond what rounds into 32
// bits is a fault (the few digits of a group never make one, but nothing is rounded unchecked).
int32_t whole(double value, const Word& word) {
  const std::optional<int32_t> result = rounded(value);
  if (!result) fault(word, "value out of range");
  return *result;
}

bool digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

int number(std::string_view text) {
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// 21212, 31313, 41414 and the regional 51515 to 59595 open sections.
bool section_marker(const std::string& text) {
  if (text == "21212" || text == "31313" || text == "41414") return true;
  return text.size() == 5 && text[0] == '5' && text[2] == '5' && text[4] == '5' &&
         text[1] == text[3] && text[1] >= '1' && text[1] <= '9';
}

// The groups of a part, read in turn from the third (after YYGGI and the station).
class Groups {
 public:
  explicit Groups(const Part& part) : part_(part) {}
  bool more() const { return at_ < part_.groups.size(); }
  const Word* peek(size_t ahead = 0) const {
    return at_ + ahead < part_.groups.size() ? &part_.groups[at_ + ahead] : nullptr;
  }
  // The next group. `after` (the group it belongs to) is named when the part ends first.
  const Word& take(const Word& after) {
    if (!more()) fault(after, "the part ends before the groups that belong to it");
    return part_.groups[at_++];
  }
  const Word& take() { return part_.groups[at_++]; }

 private:
  const Part& part_;
  size_t at_ = 2;
};

// TTTDD: temperature (tenths digit even above zero, odd below) and dew-point depression (00 to
// 50 tenths, 56 to 99 whole degrees + 50; 51 to 55 read as tenths, as some writers use them).
void read_temperature(const Word& word, PackLevel& level) {
  const std::string& t = word.text;
  if (t.size() != 5) fault(word, "a temperature group has five characters");
  if (t.compare(0, 3, "///") != 0) {
    if (!digits(t.substr(0, 3))) fault(word, "not a temperature group");
    const int tenths = number(t.substr(0, 3));
    level.temperature = tenths % 2 == 0 ? tenths : -tenths;
  }
  int32_t depression = ABSENT;
  if (t[3] == '-' && std::isdigit(static_cast<unsigned char>(t[4]))) {
    depression = -(t[4] - '0');  // a dew point above the temperature, written by some writers
  } else if (digits(t.substr(3, 2))) {
    const int dd = number(t.substr(3, 2));
    depression = dd <= 55 ? dd : (dd - 50) * 10;
  } else if (t.compare(3, 2, "//") != 0) {
    fault(word, "not a temperature group");
  }
  if (level.temperature != ABSENT && depression != ABSENT) {
    level.dew_point = level.temperature - depression;
  }
}

// dddff: direction to 5 degrees, its units digit carrying the hundreds of the speed.
void read_wind(const Word& word, bool knots, PackLevel& level) {
  const std::string& w = word.text;
  if (w.size() != 5) fault(word, "a wind group has five characters");
  if (w.find('/') != std::string::npos) return;
  if (!digits(w)) fault(word, "not a wind group");
  int direction = number(w.substr(0, 3));
  const int speed = number(w.substr(3, 2)) + direction % 5 * 100;
  direction -= direction % 5;
  if (direction > 360) fault(word, "wind direction above 360 degrees");
  level.wind_direction = direction;
  level.wind_speed = knots ? whole(speed * TENTHS_MS_PER_KNOT, word) : speed * 10;
}

// The whole sounding while its parts are decoded.
struct Decoded {
  std::optional<PackLevel> surface_a, surface_b, surface_wind;
  std::vector<PackLevel> levels;  // all others, in the order of the parts
  int32_t sonde_type = ABSENT;
  int32_t release_time = ABSENT;
};

// The groups after 31313: srrarasasa (the sonde) and 8GGgg (also GGgg/, as the FAA604 writer
// puts it), the launch time.
void read_sonde_groups(Groups& groups, const Word& marker, Decoded& decoded) {
  const Word& system = groups.take(marker);
  if (system.text.size() == 5 && digits(system.text.substr(1, 2))) {
    const int type = number(system.text.substr(1, 2));
    try {
      sonde_type_raw(type);
      decoded.sonde_type = type;
    } catch (const std::invalid_argument&) {  // a sonde the archive has no code for
    }
  }
  const Word* launch = groups.peek();
  if (launch == nullptr || launch->text.size() != 5) return;
  const std::string& l = launch->text;
  const std::string hhmm = l[0] == '8' && digits(l) ? l.substr(1)
                           : l[4] == '/'            ? l.substr(0, 4)
                                                    : "";
  if (digits(hhmm) && number(hhmm) / 100 < 24 && number(hhmm) % 100 < 60) {
    decoded.release_time = number(hhmm);
    groups.take();
  }
}

// 31313 with its groups; 41414 NhCLhCMCH; regional sections from 51515 on end what is read of
// the part.
void read_closing_sections(Groups& groups, Decoded& decoded) {
  while (groups.more()) {
    const Word& marker = groups.take();
    if (marker.text == "31313") {
      read_sonde_groups(groups, marker, decoded);
    } else if (marker.text == "41414") {
      groups.take(marker);
    } else if (section_marker(marker.text) && marker.text != "21212") {
      return;  // regional groups
    } else {
      fault(marker, "does not belong here");
    }
  }
}

struct Slot {
  const char* code;
  int hpa;
  int reference;  // metres near which the height lies
};
constexpr std::array<Slot, 11> PART_A_SLOTS = {{{"00", 1000, 100},
                                                {"92", 925, 500},
                                                {"85", 850, 1500},
                                                {"70", 700, 3000},
                                                {"50", 500, 5574},
                                                {"40", 400, 7185},
                                                {"30", 300, 9164},
                                                {"25", 250, 10363},
                                                {"20", 200, 11784},
                                                {"15", 150, 13608},
                                                {"10", 100, 16180}}};
constexpr std::array<Slot, 5> PART_C_SLOTS = {{{"70", 70, 18442},
                                               {"50", 50, 20576},
                                               {"30", 30, 23849},
                                               {"20", 20, 26481},
                                               {"10", 10, 31055}}};

// The height of a standard level from hhh: metres modulo 1000 at 700 mb and below (500 plus
// the magnitude of a negative height at 1000 mb), else decametres modulo 1000.
int32_t standard_height(const Word& word, const Slot& slot) {
  const std::string hhh = word.text.substr(2);
  if (hhh == "///") return ABSENT;
  if (!digits(hhh)) fault(word, "not a height group");
  const int n = number(hhh);
  if (slot.hpa == 1000) return n >= 500 ? 500 - n : n;
  const bool metres = slot.hpa >= 700;
  const int value = metres ? n : n * 10;
  const int period = metres ? 1000 : 10000;
  return value + whole(static_cast<double>(slot.reference - value) / period, word) * period;
}

// Id: the last standard level (hPa) whose wind is given; 0 for none.
int last_wind_level(char id, bool part_c) {
  if (id == '/') return 100000;
  if (!std::isdigit(static_cast<unsigned char>(id))) return 0;
  const int digit = id - '0';
  if (part_c) return digit * 10;
  return digit == 0 ? 1000 : digit == 9 ? 925 : digit == 8 ? 850 : digit * 100;
}

template <size_t N>
void read_standard_levels(Groups& groups, const std::array<Slot, N>& slots, int wind_limit,
                          bool knots, Decoded& decoded) {
  size_t next = 0;
  while (const Word* word = groups.peek()) {
    size_t s = next;
    while (s < N && (word->text.size() != 5 || word->text.compare(0, 2, slots[s].code) != 0)) ++s;
    if (s == N) return;
    next = s + 1;
    groups.take();
    PackLevel level;
    level.kind = 4;
    level.pressure = slots[s].hpa * 10;
    level.height = standard_height(*word, slots[s]);
    read_temperature(groups.take(*word), level);
    const Word* wind = groups.peek();
    if (slots[s].hpa >= wind_limit || (wind != nullptr && wind->text == "/////")) {
      read_wind(groups.take(*word), knots, level);
    }
    const bool empty = level.height == ABSENT && level.temperature == ABSENT &&
                       level.dew_point == ABSENT && level.wind_speed == ABSENT;
    if (!empty) decoded.levels.push_back(level);  // a slot the sounding lacks stores nothing
  }
}

// The pressure (tenths of mb) of PPP: whole mb in parts A and B (1000 added below 100), tenths
// of mb above 100 mb.
int32_t pressure_of(const Word& word, size_t from, bool above_100) {
  const std::string ppp = word.text.substr(from, 3);
  if (!digits(ppp)) fault(word, "no pressure");
  const int n = number(ppp);
  if (above_100) return n;
  return (n < 100 ? n + 1000 : n) * 10;
}

// 88PPP TTTDD dddff (tropopause) and 77PPP or 66PPP dddff (4vbva) (maximum wind; the FAA604
// writer puts a temperature group before the wind).
// True when the group after a maximum-wind level's pressure (`second`, or none) is not its wind
// shear, a section marker or the next level, but a temperature group that some stations add.
bool maximum_wind_has_temperature(const Word* second) {
  if (second == nullptr || section_marker(second->text) || second->text[0] == '4') return false;
  const std::string prefix = second->text.substr(0, 2);
  return prefix != "88" && prefix != "77" && prefix != "66";
}

void read_tropopause_and_wind(Groups& groups, bool above_100, bool knots, Decoded& decoded) {
  while (const Word* word = groups.peek()) {
    const std::string& t = word->text;
    const std::string prefix = t.substr(0, 2);
    if (t.size() != 5 || (prefix != "88" && prefix != "77" && prefix != "66")) return;
    groups.take();
    if (t.compare(2, 3, "999") == 0) continue;
    PackLevel level;
    level.kind = prefix == "88" ? 7 : 8;
    level.pressure = pressure_of(*word, 2, above_100);
    if (prefix == "88" || maximum_wind_has_temperature(groups.peek(1))) {
      read_temperature(groups.take(*word), level);
    }
    read_wind(groups.take(*word), knots, level);
    const Word* shear = groups.peek();
    if (level.kind == 8 && shear != nullptr && shear->text[0] == '4' && shear->text != "41414") {
      groups.take();
    }
    decoded.levels.push_back(level);
  }
}

// nnPPP TTTDD levels (nn 00 is the surface in part B), then the 21212 wind section.
void read_significant_levels(Groups& groups, bool above_100, bool knots, Decoded& decoded) {
  bool winds = false;
  while (const Word* word = groups.peek()) {
    const std::string& t = word->text;
    if (section_marker(t)) {
      if (t != "21212" || winds) return;
      winds = true;
      groups.take();
      continue;
    }
    if (t.size() != 5 || !std::isdigit(static_cast<unsigned char>(t[0])) || t[0] != t[1]) {
      fault(*word, "not a level group nnPPP");
    }
    groups.take();
    PackLevel level;
    level.pressure = pressure_of(*word, 2, above_100);
    const bool surface = !above_100 && t[0] == '0';
    if (winds) {
      level.kind = 6;
      read_wind(groups.take(*word), knots, level);
      if (surface)
        decoded.surface_wind = level;
      else
        decoded.levels.push_back(level);
    } else {
      level.kind = surface ? 9 : 5;
      read_temperature(groups.take(*word), level);
      if (surface)
        decoded.surface_b = level;
      else
        decoded.levels.push_back(level);
    }
  }
}

// 9tnu1u2u3 and a wind group per height: (10 t + u) units of height.
void read_wind_part(Groups& groups, bool above_100, bool knots, int unit_metres, Decoded& decoded) {
  while (groups.more()) {
    const Word& word = groups.take();
    const std::string& t = word.text;
    if (section_marker(t)) return;
    if (t.size() != 5 || t[0] != '9' || !std::isdigit(static_cast<unsigned char>(t[1]))) {
      fault(word, "not a height group 9tnuuu");
    }
    for (size_t i = 2; i < 5; ++i) {
      if (t[i] == '/') continue;
      if (!std::isdigit(static_cast<unsigned char>(t[i]))) fault(word, "not a height group 9tnuuu");
      const int units = (t[1] - '0') * 10 + (t[i] - '0');
      PackLevel level;
      level.kind = 6;
      read_wind(groups.take(word), knots, level);
      if (units == 0 && !above_100) {
        decoded.surface_wind = level;
        continue;
      }
      level.height = unit_metres > 0 ? units * unit_metres : whole(units * 304.8, word);
      decoded.levels.push_back(level);
    }
  }
}

void decode_part(const Part& part, const TempOptions& options, Decoded& decoded) {
  const std::string& yyggi = part.groups[0].text;
  const bool knots = number(yyggi.substr(0, 2)) > 50;
  const bool above_100 = part.name >= PartName::TTCC;
  Groups groups(part);
  switch (part.name) {
    case PartName::TTAA: {
      const Word* surface = groups.peek();
      if (surface == nullptr || surface->text.size() != 5 ||
          surface->text.compare(0, 2, "99") != 0) {
        fault(surface ? *surface : part.groups[1], "part A begins with the surface group 99PPP");
      }
      groups.take();
      PackLevel level;
      level.kind = 9;
      level.pressure = pressure_of(*surface, 2, false);
      read_temperature(groups.take(*surface), level);
      read_wind(groups.take(*surface), knots, level);
      decoded.surface_a = level;
      read_standard_levels(groups, PART_A_SLOTS, last_wind_level(yyggi[4], false), knots, decoded);
      read_tropopause_and_wind(groups, false, knots, decoded);
      break;
    }
    case PartName::TTCC:
      read_standard_levels(groups, PART_C_SLOTS, last_wind_level(yyggi[4], true), knots, decoded);
      read_tropopause_and_wind(groups, true, knots, decoded);
      break;
    case PartName::TTBB:
    case PartName::TTDD:
      read_significant_levels(groups, above_100, knots, decoded);
      break;
    case PartName::PPBB:
    case PartName::PPDD:
      read_wind_part(groups, above_100, knots, options.ppbb_unit_metres, decoded);
      break;
  }
  read_closing_sections(groups, decoded);
}

// Pressure of the standard atmosphere at `metres` (tenths of mb).
double standard_pressure_at(double metres) {
  if (metres < 11000) return 10132.5 * std::pow(1 - 2.25577e-5 * metres, 5.25588);
  return 2263.2 * std::exp(-(metres - 11000) / 6341.6);
}

// The order of levels: by decreasing pressure; a level known by its height alone takes the
// pressure that the levels known by both give at its height (log-linear between them).
std::vector<PackLevel> in_pressure_order(std::vector<PackLevel> levels, const PackLevel& surface) {
  std::vector<std::pair<double, double>> known;  // height, log pressure
  for (const PackLevel& l : levels) {
    if (l.pressure != ABSENT && l.height != ABSENT)
      known.emplace_back(l.height, std::log(l.pressure));
  }
  if (surface.pressure != ABSENT && surface.height != ABSENT) {
    known.emplace_back(surface.height, std::log(surface.pressure));
  }
  std::sort(known.begin(), known.end());
  known.erase(std::unique(known.begin(), known.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              known.end());
  auto pressure_at = [&known](double h) {
    if (known.size() < 2) return standard_pressure_at(h);
    size_t i = 1;
    while (i + 1 < known.size() && known[i].first < h) ++i;
    const auto& [h0, p0] = known[i - 1];
    const auto& [h1, p1] = known[i];
    return std::exp(p0 + (p1 - p0) * (h - h0) / (h1 - h0));
  };
  auto key = [&](const PackLevel& l) {
    if (l.pressure != ABSENT) return static_cast<double>(l.pressure);
    return l.height != ABSENT ? pressure_at(l.height) : 0.0;
  };
  std::vector<std::pair<double, PackLevel>> keyed;
  for (const PackLevel& l : levels) keyed.emplace_back(key(l), l);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<PackLevel> ordered;
  for (const auto& entry : keyed) ordered.push_back(entry.second);
  return ordered;
}

// The surface from part A, else part B, completed from the other and from the wind parts.
std::optional<PackLevel> surface_of(const Decoded& decoded, std::optional<int32_t> elevation) {
  std::optional<PackLevel> surface = decoded.surface_a ? decoded.surface_a : decoded.surface_b;
  if (!surface) return surface;
  if (decoded.surface_a && decoded.surface_b && surface->temperature == ABSENT) {
    surface->temperature = decoded.surface_b->temperature;
    surface->dew_point = decoded.surface_b->dew_point;
  }
  if (decoded.surface_wind && surface->wind_speed == ABSENT) {
    surface->wind_direction = decoded.surface_wind->wind_direction;
    surface->wind_speed = decoded.surface_wind->wind_speed;
  }
  surface->kind = 9;
  surface->height = elevation ? *elevation : ABSENT;
  return surface;
}

// The parts of one station, day and hour.
struct Gathered {
  int32_t wmo = 0;
  int day = 0, hour = 0;
  std::map<PartName, Part> parts;
};

void import_sounding(const Gathered& g, const std::string& file, const StationTable& stations,
                     const TempOptions& options, ImportRun& run) {
  const long first_line = g.parts.begin()->second.line;
  if (!real_date_hour(options.year, options.month, g.day, g.hour)) {
    run.skip(file, first_line,
             no_such_date(options.year, options.month, g.day, g.hour) +
                 cformat("; sounding of %05d skipped", g.wmo));
    return;
  }
  Decoded decoded;
  try {
    for (const auto& [name, part] : g.parts) decode_part(part, options, decoded);
  } catch (const Fault& f) {
    run.skip(
        file, f.line,
        f.what + cformat("; sounding of %05d day %02d %02d UTC skipped", g.wmo, g.day, g.hour));
    return;
  }
  const StationFacts facts =
      stations.facts(g.wmo, options.year * 10000 + options.month * 100 + g.day);
  PackSounding s;
  s.wban = facts.wban;
  s.year = options.year;
  s.month = options.month;
  s.day = g.day;
  s.hour = g.hour;
  s.sonde_type = decoded.sonde_type;
  s.release_time = decoded.release_time;
  const std::optional<PackLevel> surface = surface_of(decoded, facts.elevation);
  if (surface) s.levels.push_back(*surface);
  for (const PackLevel& l : in_pressure_order(decoded.levels, surface.value_or(PackLevel{}))) {
    s.levels.push_back(l);
  }
  run.add(std::move(s), file, first_line);
}

std::optional<PartName> part_name(const std::string& word) {
  for (size_t i = 0; i < PART_NAMES.size(); ++i) {
    if (word == PART_NAMES[i]) return static_cast<PartName>(i);
  }
  return std::nullopt;
}

bool code_group(std::string_view word) {
  return !word.empty() && word.find_first_not_of("0123456789/-") == std::string_view::npos;
}

// Splits the text into parts: a part name, then code groups up to "=", the next part name or a
// word that is no code group.
std::vector<Part> parts_of(std::istream& in) {
  std::vector<Part> parts;
  bool open = false;
  LineReader reader(in);
  std::string_view line;
  while (reader.next(line)) {
    std::istringstream words{std::string(line)};
    std::string word;
    while (words >> word) {
      if (const auto name = part_name(word)) {
        parts.push_back({*name, reader.line_number(), {}});
        open = true;
        continue;
      }
      if (!open) continue;
      const size_t end = word.find('=');
      const std::string group = word.substr(0, end);
      if (code_group(group)) parts.back().groups.push_back({group, reader.line_number()});
      if (end != std::string::npos || !code_group(group)) open = false;
    }
  }
  return parts;
}

}  // namespace

void read_temp_bulletins(std::istream& in, const std::string& file, const StationTable& stations,
                         const TempOptions& options, ImportRun& run) {
  std::vector<Gathered> soundings;
  std::map<std::tuple<int32_t, int, int>, size_t> index;
  for (Part& part : parts_of(in)) {
    if (part.groups.size() < 2) continue;  // "TTAA NIL" and the like
    const std::string& yygg = part.groups[0].text;
    const std::string& station = part.groups[1].text;
    if (yygg.size() != 5 || !digits(yygg.substr(0, 4)) || station.size() != 5 || !digits(station) ||
        number(yygg.substr(0, 2)) % 50 < 1 || number(yygg.substr(0, 2)) % 50 > 31 ||
        number(yygg.substr(2, 2)) > 23) {
      run.skip(file, part.groups[0].line,
               std::string(PART_NAMES[static_cast<size_t>(part.name)]) +
                   " without day, hour and station (YYGGI IIiii)");
      continue;
    }
    const int day = number(yygg.substr(0, 2)) % 50, hour = number(yygg.substr(2, 2));
    const int32_t wmo = number(station);
    auto [at, fresh] = index.try_emplace({wmo, day, hour}, soundings.size());
    if (fresh) soundings.push_back({wmo, day, hour, {}});
    auto& parts = soundings[at->second].parts;
    if (parts.count(part.name) > 0) {
      run.notice(file, part.line,
                 cformat("%s of %05d day %02d %02d UTC again; the last is kept",
                         PART_NAMES[static_cast<size_t>(part.name)], wmo, day, hour));
    }
    parts[part.name] = std::move(part);
  }
  for (const Gathered& g : soundings) import_sounding(g, file, stations, options, run);
}

}  // namespace pack
}  // namespace wxfetch
