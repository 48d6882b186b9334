#include "output/kvt_writer.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/number_format.h"
#include "base/text.h"
#include "output/level_selection.h"
#include "output/output_stream.h"
#include "records/station_entry.h"

namespace wxfetch {

namespace {

// The 100-mb variant marks absent values with this instead of MISSING_VALUE.
constexpr int32_t ABSENT_100MB = 32767;

// Index 0 stands for a month outside 1 to 12, which only a damaged record can hold.
constexpr const char* MONTH_NAMES[13] = {" ???", " JAN", " FEB", " MAR", " APR", " MAY", " JUN",
                                         " JUL", " AUG", " SEP", " OCT", " NOV", " DEC"};

int32_t mark_absent(int32_t value) {
  return value == MISSING_VALUE ? ABSENT_100MB : value;
}

// Pressure in tenths of mb to whole mb, halves rounded up (the 100-mb variant's levels).
int32_t whole_mb_rounded(int32_t pressure) {
  if (pressure == MISSING_VALUE) return ABSENT_100MB;
  return static_cast<int32_t>((static_cast<int64_t>(pressure) + 5) / 10);
}

// Pressure in tenths of mb to whole mb, truncated, raised to `floor` (the 100-mb variant's
// reference pressures).
int32_t whole_mb_truncated(int32_t pressure, int32_t floor) {
  if (pressure == MISSING_VALUE) return ABSENT_100MB;
  const int32_t mb = pressure / 10;
  return mb < floor ? floor : mb;
}

// The type 1 line up to its release time: "%7d %6ld %6ld %6.2f%c%5.2f%c %5d " (with "% 6.2f" for
// a longitude under 100, which keeps the longitude six characters wide either way).
std::string station_columns(const StationColumns& c) {
  return c.longitude >= 100.0
             ? cformat("%7d %6ld %6ld %6.2f%c%5.2f%c %5d ", 1, c.wban, c.wmo, c.latitude,
                       c.lat_hemisphere, c.longitude, c.lon_hemisphere, c.elevation)
             : cformat("%7d %6ld %6ld %6.2f%c% 6.2f%c %5d ", 1, c.wban, c.wmo, c.latitude,
                       c.lat_hemisphere, c.longitude, c.lon_hemisphere, c.elevation);
}

// Writes a line of integer columns: the first 7 wide, the others 6 wide after a
// blank each, as "%7ld %6ld ...\n" would.
void write_integer_line(OutputStream& stream, std::initializer_list<int64_t> columns) {
  char* const line = stream.reserve(columns.size() * (MAX_INTEGER_TEXT + 1) + 8);
  char* end = line;
  int width = 7;
  for (const int64_t value : columns) {
    if (end != line) *end++ = ' ';
    end = put_right_aligned(end, value, width);
    width = 6;
  }
  *end++ = '\n';
  stream.commit(end);
}

// The most characters of one level line.
constexpr size_t LEVEL_LINE_ROOM = 8 * (MAX_INTEGER_TEXT + 1);

// Puts one level line at `out`, as "%7ld %6ld %6ld %6ld %6ld %6ld %6ld\n" would, and returns
// its end.
// REQUIRES: LEVEL_LINE_ROOM characters of room at `out`.
char* put_level_line(char* out, const SoundingLevel& level) {
  // The kind's seven columns are a blank and six columns, since every kind fits in six.
  *out++ = ' ';
  out = put_right_aligned_6(out, level.kind);
  for (const int32_t value : {level.pressure, level.height, level.temperature, level.dew_point,
                              level.wind_direction, level.wind_speed}) {
    *out++ = ' ';
    out = put_right_aligned_6(out, value);
  }
  *out++ = '\n';
  return out;
}

// A level as its line shows it: in the 100-mb variant pressures in whole mb and absent values
// marked; wind speeds in knots when asked.
SoundingLevel printed_level(SoundingLevel level, bool full_variant, WindUnits wind_units) {
  if (!full_variant) {
    level.pressure = whole_mb_rounded(level.pressure);
    level.height = mark_absent(level.height);
    level.temperature = mark_absent(level.temperature);
    level.dew_point = mark_absent(level.dew_point);
    level.wind_direction = mark_absent(level.wind_direction);
    level.wind_speed = mark_absent(level.wind_speed);
  }
  if (wind_units == WindUnits::KNOTS && level.wind_speed != MISSING_VALUE &&
      level.wind_speed != ABSENT_100MB) {
    level.wind_speed = static_cast<int32_t>(level.wind_speed * KNOTS_FACTOR + 0.5);
  }
  return level;
}

// Writes the type 3 line, as "%7d %13s %20ld %6s\n" would (or, without the sonde type,
// "%7d %13s %27s\n"): the units tag stays in the same columns.
void write_type_3_line(OutputStream& stream, std::string_view initials, const int32_t* sonde_type,
                       std::string_view units_tag) {
  char* const line = stream.reserve(64 + initials.size() + MAX_INTEGER_TEXT);
  char* end = put_right_aligned(line, 3, 7);
  *end++ = ' ';
  end = put_right_aligned_text(end, initials, 13);
  *end++ = ' ';
  if (sonde_type != nullptr) {
    end = put_right_aligned(end, *sonde_type, 20);
    *end++ = ' ';
    end = put_right_aligned_text(end, units_tag, 6);
  } else {
    end = put_right_aligned_text(end, units_tag, 27);
  }
  *end++ = '\n';
  stream.commit(end);
}

}  // namespace

KvtWriter::KvtWriter(ScreenPager& pager, OutputFiles& files, const AccessRequest& request)
    : TextWriter(pager, files, OutputFormat::KVT),
      full_variant_(request.above_100mb),
      wind_units_(request.wind_units),
      kinds_(selected_kinds(request.levels)) {}

// Puts the places of the selected levels into `selected`; returns how many there are.
int32_t KvtWriter::select_levels(const Sounding& sounding, int16_t* selected) const {
  int32_t level_count = std::clamp<int32_t>(sounding.level_count, 0, MAX_LEVELS);
  // The 100-mb variant ends the list before the first level under 100 mb (in whole mb, halves
  // rounded up); a level without pressure does not end it.
  if (!full_variant_) {
    for (int32_t i = 0; i < level_count; ++i) {
      if (whole_mb_rounded(sounding.levels[i].pressure) < 100) {
        level_count = i;
        break;
      }
    }
  }
  // Gathered without a branch per level: every place is written, and the count moves past it
  // only when the level is selected.
  int32_t selected_count = 0;
  for (int32_t i = 0; i < level_count; ++i) {
    selected[selected_count] = static_cast<int16_t>(i);
    selected_count += is_selected(sounding.levels[i].kind, kinds_);
  }
  return selected_count;
}

// The header as the lines show it: in the 100-mb variant reference pressures in whole mb and
// absent values marked. (A working copy: the sounding itself stays as decoded.)
SoundingHeader KvtWriter::printed_header(const Sounding& sounding) const {
  SoundingHeader header = sounding;
  if (!full_variant_) {
    header.reference_pressure_1 = whole_mb_truncated(header.reference_pressure_1, 100);
    header.reference_pressure_2 = whole_mb_truncated(header.reference_pressure_2, INT32_MIN);
    header.reference_pressure_3 = whole_mb_truncated(header.reference_pressure_3, 100);
    header.indicator_b = mark_absent(header.indicator_b);
    header.indicator_a = mark_absent(header.indicator_a);
    header.sonde_type = mark_absent(header.sonde_type);
    header.release_time = mark_absent(header.release_time);
  }
  return header;
}

// The type 1 line: "%7d %6ld %6ld %6.2f%c%5.2f%c %5d %6ld\n". All but the release time depend on
// the station alone, so that part is formatted once per catalogue row (and again only if the
// row changed).
void KvtWriter::write_station_line(const SoundingHeader& header, const StationRow& station) {
  const StationEntry& entry = *station.entry;
  const long wban = entry.wban > INTERNATIONAL_WBAN_OFFSET ? 99999 : entry.wban;
  const double latitude = entry.lat_hemisphere == 'S' ? -entry.latitude : entry.latitude;
  const double longitude = entry.lon_hemisphere == 'W' ? -entry.longitude : entry.longitude;
  KvtStationText& last = grown_to_hold(station_texts_, station.index);
  const StationColumns columns{
      wban,           entry.wmo, latitude, longitude, entry.lat_hemisphere, entry.lon_hemisphere,
      entry.elevation};
  if (!(columns == last.columns) || last.text.empty()) {
    last.columns = columns;
    last.text = station_columns(columns);
  }
  OutputStream& out = stream();
  char* const line = out.reserve(last.text.size() + MAX_INTEGER_TEXT + 2);
  char* end = std::copy(last.text.begin(), last.text.end(), line);
  end = put_right_aligned(end, header.release_time, 6);
  *end++ = '\n';
  out.commit(end);
}

void KvtWriter::write_header_lines(const SoundingHeader& header, const StationRow& station,
                                   int32_t selected_count) {
  const char* const month_name =
      header.month >= 1 && header.month <= 12 ? MONTH_NAMES[header.month] : MONTH_NAMES[0];
  OutputStream& out = stream();
  {
    // "%7d %6d %6d %8s %7d\n": the type, hour, day, month name and year.
    char* const line = out.reserve(64);
    char* end = put_right_aligned(line, 254, 7);
    *end++ = ' ';
    end = put_right_aligned(end, header.hour, 6);
    *end++ = ' ';
    end = put_right_aligned(end, header.day, 6);
    *end++ = ' ';
    end = put_right_aligned_text(end, month_name, 8);
    *end++ = ' ';
    end = put_right_aligned(end, header.year, 7);
    *end++ = '\n';
    out.commit(end);
  }
  pause();
  write_station_line(header, station);
  pause();
  // The fifth column counts the lines of the block; this line itself is not paged.
  write_integer_line(out, {2, header.reference_pressure_1, header.reference_pressure_3,
                           header.reference_pressure_2, selected_count + 4, header.indicator_b,
                           header.indicator_a});
  // Soundings before 1991 carry no sonde type.
  const StationEntry& entry = *station.entry;
  const std::string_view initials(entry.initials, strnlen(entry.initials, sizeof entry.initials));
  write_type_3_line(out, initials, header.year >= 1991 ? &header.sonde_type : nullptr,
                    wind_units_ == WindUnits::KNOTS ? "kt" : "ms");
  pause();
}

// The level lines are put in place all at once, or one at a time while the screen pages (which
// may stop within the block). Files are never paged.
void KvtWriter::write_level_lines(const Sounding& sounding, const int16_t* selected,
                                  int32_t selected_count) {
  OutputStream& out = stream();
  for (int32_t s = 0; s < selected_count;) {
    const bool paging = pager_.on();
    const int32_t lines = paging ? 1 : selected_count - s;
    char* end = out.reserve(static_cast<size_t>(lines) * LEVEL_LINE_ROOM);
    for (const int32_t last = s + lines; s < last; ++s) {
      end = put_level_line(end,
                           printed_level(sounding.levels[selected[s]], full_variant_, wind_units_));
    }
    out.commit(end);
    if (paging) pause();
    if (out.error()) check_output();
  }
}

void KvtWriter::write(const Sounding& sounding, const StationRow& station) {
  assert(station.entry != nullptr && station.index >= 0);
  int16_t selected[MAX_LEVELS];
  const int32_t selected_count = select_levels(sounding, selected);
  if (selected_count == 0) return;
  write_header_lines(printed_header(sounding), station, selected_count);
  write_level_lines(sounding, selected, selected_count);
}

}  // namespace wxfetch
