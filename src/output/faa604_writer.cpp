#include "output/faa604_writer.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "output/kvt_writer.h"
#include "output/output_files.h"
#include "output/output_stream.h"
#include "output/screen_pager.h"

namespace wxfetch {

namespace {

// Part A's standard-level slots: codes 00 (1000 mb), 92 (925 mb), 85 ... 10 (100 mb) and the
// surface slot 99, whose standard pressure (990 mb) no level has.
constexpr int32_t SLOT_CODES[] = {0, 92, 85, 70, 50, 40, 30, 25, 20, 15, 10, 99};
constexpr int SLOT_925 = 1;
constexpr int SURFACE_SLOT = 11;

constexpr int GROUPS_PER_LINE = 10;
constexpr int32_t BAND_DEPTH_FEET = 10000;
constexpr int32_t LAST_BAND_BASE_FEET = 70000;

// The standard pressure in mb of a slot code (00 stands for 1000, 92 for 925).
int32_t standard_pressure(int32_t code) {
  if (code == 0) return 1000;
  if (code == 92) return 925;
  return code * 10;
}

// The decimal text of `value` with zeros put in front of it up to `width` characters.
std::string padded(int width, long value) {
  std::string text = std::to_string(value);
  pad_digits(width, text);
  return text;
}

// A slot code or part B level number as its two-character prefix ("00" for 0).
std::string code_prefix(int32_t code) {
  return code == 0 ? std::string("00") : std::to_string(code);
}

// Returns the index of the first level of `kind` at `from` or later, or -1.
int32_t find_level(const Faa604Levels& levels, int32_t from, int32_t kind) {
  for (int32_t i = from < 0 ? 0 : from; i < levels.count; ++i) {
    if (levels.sounding->levels[i].kind == kind) return i;
  }
  return -1;
}

// A mandatory level that carries a value must lie at the standard pressure of its slot.
bool fits_slot(const Faa604Levels& levels, int32_t index, int32_t code) {
  return levels.sounding->levels[index].kind != MANDATORY ||
         levels.pressure[index] == standard_pressure(code);
}

// The part B level numbers: 00 for the surface, then 11, 22 ... 99 and again 11.
int32_t next_level_number(int32_t number) {
  return number == 0 || number == 99 ? 11 : number + 11;
}

// Where the lines of a message go: the output stream, checked for write errors and paged after
// every line.
struct LineSink {
  OutputStream& stream;
  OutputFiles& files;
  ScreenPager& pager;

  // Writes one line with its line end, checks the output and counts the line for paging.
  void write_line(const std::string& text) {
    stream.write(text);
    stream.write("\n");
    files.check();
    pager.count_line();
  }
};

// The coded lines of one part: groups are gathered into a line that is written as soon as it
// holds ten items (the leading items of the part's first line count too).
class CodedLines {
 public:
  CodedLines(LineSink& sink, std::string leading, int leading_items)
      : sink_(sink), line_(std::move(leading)), count_(leading_items) {}

  void add(const std::string& group) {
    line_ += group;
    if (++count_ == GROUPS_PER_LINE) write_pending();
  }

  // Writes what the line holds (possibly nothing) with its line end.
  void write_pending() {
    sink_.write_line(line_);
    line_.clear();
    count_ = 0;
  }

 private:
  LineSink& sink_;
  std::string line_;
  int count_;
};

// The station's heading texts.
struct StationTexts {
  std::string initials;
  std::string number;  // wmo padded to five digits
};

StationTexts station_texts(const StationEntry* entry) {
  StationTexts texts;
  int32_t wmo = 0;
  if (entry != nullptr) {
    texts.initials.assign(entry->initials, strnlen(entry->initials, sizeof entry->initials));
    wmo = entry->wmo;
  }
  texts.number = padded(5, wmo);
  return texts;
}

// The wind indicator Id: hundreds digit of the pressure of the last mandatory level with a wind
// (0 when there is none; 1000 mb gives 0, 850 gives 8, 100 gives 1).
int32_t wind_indicator(const Faa604Levels& levels) {
  int32_t id = 0;
  for (int32_t i = 0; i < levels.count; ++i) {
    const SoundingLevel& level = levels.sounding->levels[i];
    if (level.kind == MANDATORY && level.wind_direction != MISSING_VALUE &&
        level.wind_speed != MISSING_VALUE) {
      id = levels.pressure[i] / 100 % 10;
    }
  }
  return id;
}

bool has_mandatory_925(const Faa604Levels& levels) {
  for (int32_t i = 0; i < levels.count; ++i) {
    if (levels.sounding->levels[i].kind == MANDATORY && levels.pressure[i] == 925) return true;
  }
  return false;
}

// The level kinds part A encodes, each with the same three groups.
enum class PartAWalk { SURFACE, MANDATORY, TROPOPAUSE, MAX_WIND };

int32_t part_a_kind(PartAWalk walk) {
  switch (walk) {
    case PartAWalk::SURFACE:
      return SURFACE;
    case PartAWalk::TROPOPAUSE:
      return TROPOPAUSE;
    case PartAWalk::MAX_WIND:
      return MAX_WIND;
    default:
      return MANDATORY;
  }
}

// Adds the groups of the first level of the walk's kind at `position` or later: the level (or
// height) group, the temperature group and the wind group, stopping at the first that fails.
// Returns true when all three were added.
bool add_part_a_groups(const Faa604Levels& levels, PartAWalk walk, int32_t code, int32_t position,
                       CodedLines& lines) {
  const int32_t kind = part_a_kind(walk);
  std::string group;
  const bool found = walk == PartAWalk::MANDATORY
                         ? encode_height_group(levels, code, position, kind, group)
                         : encode_level_group(levels, code, position, kind, group);
  if (!found) return false;
  lines.add(group);
  if (!encode_temperature_group(levels, code, position, kind, group)) return false;
  lines.add(group);
  if (!encode_wind_group(levels, code, position, kind, group)) return false;
  lines.add(group);
  return true;
}

// True when `pressure` (whole mb) is the standard pressure of one of part A's slots.
bool is_slot_pressure(int32_t pressure) {
  for (int slot = 0; slot < SURFACE_SLOT; ++slot) {
    if (standard_pressure(SLOT_CODES[slot]) == pressure) return true;
  }
  return false;
}

// The index of the first mandatory level at `from` or later that lies at a slot's standard
// pressure, or -1. Mandatory levels at other standard pressures (350 mb) have no slot.
int32_t next_slot_level(const Faa604Levels& levels, int32_t from) {
  for (int32_t i = find_level(levels, from, MANDATORY); i >= 0;
       i = find_level(levels, i + 1, MANDATORY)) {
    if (is_slot_pressure(levels.pressure[i])) return i;
  }
  return -1;
}

// The standard levels of part A, slot by slot from 1000 mb (925 mb only when the sounding has
// it) to 100 mb. A slot takes the next mandatory level in stored order when it lies at the
// slot's pressure; when that level lies higher, the sounding lacks the slot, which is written as
// its code with "///" and two "/////" groups (a station above the 1000-mb surface, a missing
// 400-mb level). A level stored out of order (below the slot) is passed over. The standard
// levels end when no mandatory level is left.
void add_standard_levels(const Faa604Levels& levels, CodedLines& lines) {
  const bool use_925 = has_mandatory_925(levels);
  int32_t position = 0;
  for (int slot = 0; slot < SURFACE_SLOT; ++slot) {
    if (slot == SLOT_925 && !use_925) continue;
    const int32_t code = SLOT_CODES[slot];
    const int32_t pressure = standard_pressure(code);
    int32_t index = next_slot_level(levels, position);
    while (index >= 0 && levels.pressure[index] > pressure) {
      index = next_slot_level(levels, index + 1);
    }
    if (index < 0) return;
    position = index;
    if (levels.pressure[index] < pressure) {
      lines.add(code_prefix(code) + "/// ");
      lines.add("///// ");
      lines.add("///// ");
      continue;
    }
    if (!add_part_a_groups(levels, PartAWalk::MANDATORY, code, index, lines)) return;
    position = index + 1;
  }
}

// Part A: the heading line, then the surface, the standard levels slot by slot, the tropopause
// (or "88999") and the maximum wind (or "77999").
void write_part_a(LineSink& sink, const Faa604Levels& levels, const StationTexts& station,
                  int32_t day, int32_t hour) {
  sink.write_line(station.initials + "MAN" + station.initials);
  const long yyggid = (day + 50) * 1000L + hour * 10L + wind_indicator(levels);
  CodedLines lines(
      sink, station.number + " TTAA  " + std::to_string(yyggid) + " " + station.number + " ", 4);
  // The tropopause and maximum-wind groups carry their own prefixes (88, 77): the slot code
  // passed with them is not written.
  add_part_a_groups(levels, PartAWalk::SURFACE, SLOT_CODES[SURFACE_SLOT], 0, lines);
  add_standard_levels(levels, lines);
  if (!add_part_a_groups(levels, PartAWalk::TROPOPAUSE, SLOT_CODES[SURFACE_SLOT], 0, lines)) {
    lines.add("88999 ");
  }
  if (!add_part_a_groups(levels, PartAWalk::MAX_WIND, SLOT_CODES[SURFACE_SLOT], 0, lines)) {
    lines.add("77999 ");
  }
  lines.write_pending();
}

// Adds the level group of the first level of `kind` at `position` or later, numbered `number`,
// and its temperature group when it has one; `position` moves to that level. Returns false when
// there is no such level.
bool add_part_b_level(const Faa604Levels& levels, int32_t number, int32_t& position, int32_t kind,
                      std::string& group, CodedLines& lines) {
  if (!encode_level_group(levels, number, position, kind, group)) return false;
  lines.add(group);
  if (encode_temperature_group(levels, number, position, kind, group)) lines.add(group);
  return true;
}

// The 31313 section: its indicator group, the sonde type and the release time.
void add_section_31313(const Faa604Levels& levels, std::string& group, CodedLines& lines) {
  for (const int32_t kind : {GROUP_31313, GROUP_SONDE_TYPE, GROUP_RELEASE_TIME}) {
    int32_t position = 0;  // these groups are not made of levels
    encode_level_group(levels, 0, position, kind, group);
    lines.add(group);
  }
}

// Part B: the surface and the significant levels with their temperature groups, numbered 00,
// 11 ... 99, 11 ..., then for 1991 and later (with sonde type and release time known) the 31313
// section. The coded lines are written only when a significant level was written.
void write_part_b(LineSink& sink, const Faa604Levels& levels, const StationTexts& station,
                  int32_t day, int32_t hour) {
  sink.write_line(station.initials + "SGL" + station.initials);
  const long yygg = (day + 50) * 100L + hour;
  CodedLines lines(
      sink, station.number + " TTBB  " + std::to_string(yygg) + "/ " + station.number + " ", 4);
  const Sounding& sounding = *levels.sounding;
  const bool has_31313 = sounding.year >= 1991 && sounding.sonde_type != MISSING_VALUE &&
                         sounding.release_time != MISSING_VALUE;

  std::string group;
  int32_t number = 0;
  int32_t position = 0;
  add_part_b_level(levels, number, position, SURFACE, group, lines);
  int significant_written = 0;
  for (;;) {
    ++position;
    number = next_level_number(number);
    if (!add_part_b_level(levels, number, position, SIGNIFICANT, group, lines)) break;
    ++significant_written;
  }
  if (has_31313) add_section_31313(levels, group, lines);
  if (significant_written > 0) lines.write_pending();
}

// The wind part: the surface and the wind levels by bands of 10000 feet, each band's levels in
// threes behind a height group 9b + one digit per level (thousands of feet above the band base).
// The coded lines are written only when some band selected a wind level.
void write_wind_part(LineSink& sink, const Faa604Levels& levels, const StationTexts& station,
                     int32_t day, int32_t hour) {
  const long yygg0 = (day + 50) * 1000L + hour * 10L;
  CodedLines lines(sink, "PPBB  " + std::to_string(yygg0) + " " + station.number + " ", 3);
  const Sounding& sounding = *levels.sounding;

  // Each level is selected at most once, so the list never outgrows the levels.
  std::array<int32_t, MAX_LEVELS> selected{};
  bool wind_level_selected = false;
  int32_t position = 0;
  std::string group;
  for (int32_t base = 0; base <= LAST_BAND_BASE_FEET; base += BAND_DEPTH_FEET) {
    int32_t count = 0;
    if (base == 0) selected[count++] = 0;  // the surface
    for (int32_t i = position; i < levels.count; ++i) {
      const SoundingLevel& level = sounding.levels[i];
      if (level.kind == WIND && level.height != MISSING_VALUE &&
          level.height * FEET_FACTOR < base + BAND_DEPTH_FEET) {
        selected[count++] = i;
        wind_level_selected = true;
      }
    }

    for (int32_t first = 0; first < count; first += 3) {
      const int32_t last = first + 3 < count ? first + 3 : count;
      std::string heights(1, '9');
      heights += std::to_string(base / BAND_DEPTH_FEET);
      for (int32_t k = first; k < first + 3; ++k) {
        if (k >= last) {
          heights += "/";
        } else if (sounding.levels[selected[k]].kind == SURFACE) {
          heights += "0";
        } else {
          const double above_base = sounding.levels[selected[k]].height * FEET_FACTOR - base;
          heights += std::to_string(static_cast<int32_t>(above_base * 0.001));
        }
      }
      lines.add(heights + " ");
      for (int32_t k = first; k < last; ++k) {
        int32_t index = selected[k];
        if (encode_wind_group(levels, 0, index, sounding.levels[index].kind, group)) {
          lines.add(group);
        }
      }
      position = selected[last - 1] + 1;
    }
  }
  if (wind_level_selected) lines.write_pending();
}

}  // namespace

void pad_digits(int width, std::string& text) {
  if (width > 0 && text.size() < static_cast<size_t>(width)) {
    text.insert(0, static_cast<size_t>(width) - text.size(), '0');
  }
}

void prepare_faa604_levels(const Sounding& sounding, Faa604Levels& levels) {
  levels.sounding = &sounding;
  levels.count = sounding.level_count;
  if (levels.count < 0) levels.count = 0;
  if (levels.count > MAX_LEVELS) levels.count = MAX_LEVELS;
  for (int32_t i = 0; i < levels.count; ++i) {
    const int32_t pressure = sounding.levels[i].pressure;
    levels.pressure[i] = pressure == MISSING_VALUE ? MISSING_VALUE : pressure / 10;
  }
}

bool encode_level_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                        std::string& group) {
  group.clear();
  // The 31313 section is not made of levels: these kinds never match one.
  switch (kind) {
    case GROUP_31313:
      group = "31313 ";
      return true;
    case GROUP_SONDE_TYPE:
      group = padded(3, levels.sounding->sonde_type) + "// ";
      return true;
    case GROUP_RELEASE_TIME:
      group = padded(4, levels.sounding->release_time) + "/=";
      return true;
    default:
      break;
  }
  const int32_t index = find_level(levels, position, kind);
  if (index < 0) return false;
  const int32_t pressure = levels.pressure[index];
  if (pressure == MISSING_VALUE) {
    group = "/////";
  } else {
    if (kind == TROPOPAUSE) {
      group = "88";
    } else if (kind == MAX_WIND) {
      group = "77";
    } else {
      group = code_prefix(code);
    }
    group += padded(3, pressure >= 1000 ? pressure - 1000 : pressure);
  }
  group += " ";
  position = index;
  return true;
}

bool encode_height_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                         std::string& group) {
  group.clear();
  const int32_t index = find_level(levels, position, kind);
  if (index < 0) return false;
  const int32_t pressure = levels.pressure[index];
  const int32_t height = levels.sounding->levels[index].height;
  group = code == 0 ? std::string("00") : std::to_string(pressure / 10);
  if (height == MISSING_VALUE) {
    group += "///";
  } else {
    int32_t digits = 0;
    if (pressure == 1000 && height < 0) {
      digits = 500 - height;  // 500 plus the depth below sea level
    } else if (pressure >= 700) {
      digits = height - height / 1000 * 1000;  // metres without the thousands
    } else if (height < 10000) {
      digits = height / 10;  // decametres
    } else {
      digits = (height - height / 10000 * 10000) / 10;  // decametres without the ten-thousands
    }
    group += padded(3, digits);
  }
  group += " ";
  position = index;
  return true;
}

bool encode_temperature_group(const Faa604Levels& levels, int32_t code, int32_t& position,
                              int32_t kind, std::string& group) {
  group.clear();
  const int32_t index = find_level(levels, position, kind);
  if (index < 0) return false;
  const SoundingLevel& level = levels.sounding->levels[index];
  const int32_t t = level.temperature;
  if (t == MISSING_VALUE) {
    group = "/////";
  } else {
    if (!fits_slot(levels, index, code)) return false;
    // Tenths of a degree; an even tenths digit means above zero, an odd one below.
    int32_t ttt = 0;
    if (t >= 0) {
      ttt = t % 2 == 0 ? t : t + 1;
    } else {
      ttt = -t % 2 == 1 ? -t : 1 - t;
    }
    group = padded(3, ttt);
    if (level.dew_point == MISSING_VALUE) {
      group += "//";
    } else {
      const int32_t depression = t - level.dew_point;
      const int32_t dd = depression < 56 ? depression : depression / 10 + 50;
      group += dd > 99 ? std::string("//") : padded(2, dd);
    }
  }
  group += " ";
  position = index;
  return true;
}

bool encode_wind_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                       std::string& group) {
  group.clear();
  const int32_t index = find_level(levels, position, kind);
  if (index < 0) return false;
  const SoundingLevel& level = levels.sounding->levels[index];
  if (level.wind_direction == MISSING_VALUE || level.wind_speed == MISSING_VALUE) {
    group = "/////";
  } else {
    if (!fits_slot(levels, index, code)) return false;
    int32_t knots = static_cast<int32_t>(level.wind_speed * KNOTS_FACTOR + 0.5);
    int32_t direction = level.wind_direction - level.wind_direction % 5;
    // Speeds of 100 knots and more add 1 to the direction (its last digit is 0 or 5 otherwise).
    if (knots >= 100) {
      direction += 1;
      knots %= 100;
    }
    group = padded(3, direction) + padded(2, knots);
  }
  group += " ";
  position = index;
  return true;
}

int32_t faa604_level_count(const Sounding& sounding) {
  // A level without pressure (a wind level) is kept when it lies below the last level at 100 mb
  // or more but does not extend the message: winds above 100 mb would keep every level up to
  // them, and with them mandatory and significant levels above 100 mb, which the coded parts
  // cannot express.
  const int32_t count = std::clamp<int32_t>(sounding.level_count, 0, MAX_LEVELS);
  for (int32_t i = count - 1; i >= 0; --i) {
    const int32_t pressure = sounding.levels[i].pressure;
    if (pressure >= 1000 && pressure != MISSING_VALUE) return i + 1;
  }
  return 0;
}

Faa604Writer::Faa604Writer(ScreenPager& pager, OutputFiles& files, const AccessRequest& request)
    : TextWriter(pager, files, OutputFormat::FAA604), levels_(request.levels) {}

void Faa604Writer::write(const Sounding& sounding, const StationRow& station) {
  assert(station.entry != nullptr);
  const int32_t count = faa604_level_count(sounding);
  if (enough_levels(count)) write_levels(sounding, count, station);
}

void Faa604Writer::write_message(const Sounding& sounding, const StationRow& station) {
  write_levels(sounding, sounding.level_count, station);
}

void Faa604Writer::write_levels(const Sounding& sounding, int32_t count,
                                const StationRow& station) {
  Faa604Levels levels;
  prepare_faa604_levels(sounding, levels);
  levels.count = std::min(levels.count, count);
  LineSink sink{stream(), files_, pager_};

  if (levels.count > 0 && sounding.levels[0].kind == SURFACE) {
    const StationTexts texts = station_texts(station.entry);
    write_part_a(sink, levels, texts, sounding.day, sounding.hour);
    if (levels_ != LevelSelection::MANDATORY) {
      write_part_b(sink, levels, texts, sounding.day, sounding.hour);
    }
    if (levels_ == LevelSelection::ALL) {
      write_wind_part(sink, levels, texts, sounding.day, sounding.hour);
    }
  }
  // The empty line that closes the message is not counted for paging.
  stream().write("\n");
  check_output();
}

}  // namespace wxfetch
