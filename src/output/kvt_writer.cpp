#include "output/kvt_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "output/number_format.h"
#include "program.h"
#include "text.h"

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

// The kinds of level each level type selects, one bit per kind: surface and mandatory levels
// always; significant levels unless only mandatory levels are wanted; wind, tropopause and
// maximum-wind levels only when all levels are wanted.
uint32_t selected_kinds(int16_t level_type) {
  uint32_t kinds = 1u << SURFACE | 1u << MANDATORY;
  if (level_type != 1) kinds |= 1u << SIGNIFICANT;
  if (level_type == 0) kinds |= 1u << WIND | 1u << TROPOPAUSE | 1u << MAX_WIND;
  return kinds;
}

bool is_selected(int32_t kind, uint32_t kinds) {
  return kind >= 0 && kind < 32 && (kinds >> kind & 1) != 0;
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
SoundingLevel printed_level(SoundingLevel level, bool full_variant, int16_t wind_units) {
  if (!full_variant) {
    level.pressure = whole_mb_rounded(level.pressure);
    level.height = mark_absent(level.height);
    level.temperature = mark_absent(level.temperature);
    level.dew_point = mark_absent(level.dew_point);
    level.wind_direction = mark_absent(level.wind_direction);
    level.wind_speed = mark_absent(level.wind_speed);
  }
  if (wind_units == 0 && level.wind_speed != MISSING_VALUE && level.wind_speed != ABSENT_100MB) {
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

void write_kvt_sounding(ProgramContext& ctx, int16_t wind_units, int16_t level_type,
                        int16_t station_row) {
  const Sounding& sounding = ctx.sounding;
  const bool full_variant = ctx.request.above_100mb;
  const char* const units_tag = wind_units == 0 ? "kt" : "ms";

  int32_t level_count = sounding.level_count;
  if (level_count < 0) level_count = 0;
  if (level_count > MAX_LEVELS) level_count = MAX_LEVELS;

  // The 100-mb variant ends the list before the first level under 100 mb (in whole mb, halves
  // rounded up); a level without pressure does not end it.
  if (!full_variant) {
    for (int32_t i = 0; i < level_count; ++i) {
      if (whole_mb_rounded(sounding.levels[i].pressure) < 100) {
        level_count = i;
        break;
      }
    }
  }

  // The selected levels' places, gathered without a branch per level: every place is written,
  // and the count moves past it only when the level is selected.
  const uint32_t kinds = selected_kinds(level_type);
  int16_t selected[MAX_LEVELS];
  int32_t selected_count = 0;
  for (int32_t i = 0; i < level_count; ++i) {
    selected[selected_count] = static_cast<int16_t>(i);
    selected_count += is_selected(sounding.levels[i].kind, kinds);
  }
  if (selected_count == 0) return;

  // Working copy of the header; the sounding itself stays as decoded.
  SoundingHeader header = sounding;
  if (!full_variant) {
    header.reference_pressure_1 = whole_mb_truncated(header.reference_pressure_1, 100);
    header.reference_pressure_2 = whole_mb_truncated(header.reference_pressure_2, INT32_MIN);
    header.reference_pressure_3 = whole_mb_truncated(header.reference_pressure_3, 100);
    header.indicator_b = mark_absent(header.indicator_b);
    header.indicator_a = mark_absent(header.indicator_a);
    header.sonde_type = mark_absent(header.sonde_type);
    header.release_time = mark_absent(header.release_time);
  }

  const StationEntry& station = ctx.catalogue.entries[station_row];
  const long wban = station.wban > INTERNATIONAL_WBAN_OFFSET ? 99999 : station.wban;
  const double latitude = station.lat_hemisphere == 'S' ? -station.latitude : station.latitude;
  const double longitude = station.lon_hemisphere == 'W' ? -station.longitude : station.longitude;
  const char* const month_name =
      header.month >= 1 && header.month <= 12 ? MONTH_NAMES[header.month] : MONTH_NAMES[0];

  OutputStream& stream = ctx.output_stream;
  {
    // "%7d %6d %6d %8s %7d\n": the type, hour, day, month name and year.
    char* const line = stream.reserve(64);
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
    stream.commit(end);
  }
  screen_pause(ctx);
  {
    // "%7d %6ld %6ld %6.2f%c%5.2f%c %5d %6ld\n": all but the release time depend on the station
    // alone, so that part is formatted once per station (and again only if its row changed).
    // One text per catalogue row: the synoptic sort takes the stations in turn.
    if (ctx.kvt_station_texts.empty()) ctx.kvt_station_texts.resize(MAX_STATION_ROWS);
    KvtStationText& last = ctx.kvt_station_texts[static_cast<size_t>(station_row)];
    const StationColumns columns{wban,
                                 station.wmo,
                                 latitude,
                                 longitude,
                                 station.lat_hemisphere,
                                 station.lon_hemisphere,
                                 station.elevation};
    if (!(columns == last.columns) || last.text.empty()) {
      last.columns = columns;
      last.text = station_columns(columns);
    }
    char* const line = stream.reserve(last.text.size() + MAX_INTEGER_TEXT + 2);
    char* end = std::copy(last.text.begin(), last.text.end(), line);
    end = put_right_aligned(end, header.release_time, 6);
    *end++ = '\n';
    stream.commit(end);
  }
  screen_pause(ctx);
  // The fifth column counts the lines of the block; this line itself is not paged.
  write_integer_line(stream, {2, header.reference_pressure_1, header.reference_pressure_3,
                              header.reference_pressure_2, selected_count + 4, header.indicator_b,
                              header.indicator_a});
  // Soundings before 1991 carry no sonde type.
  const std::string_view initials(station.initials,
                                  strnlen(station.initials, sizeof station.initials));
  write_type_3_line(stream, initials, header.year >= 1991 ? &header.sonde_type : nullptr,
                    units_tag);
  screen_pause(ctx);

  // The level lines are put in place all at once, or one at a time while the screen pages
  // (which may stop within the block). Files are never paged.
  for (int32_t s = 0; s < selected_count;) {
    const int32_t lines = ctx.paging.paging_on ? 1 : selected_count - s;
    char* end = stream.reserve(static_cast<size_t>(lines) * LEVEL_LINE_ROOM);
    for (const int32_t last = s + lines; s < last; ++s) {
      end = put_level_line(end,
                           printed_level(sounding.levels[selected[s]], full_variant, wind_units));
    }
    stream.commit(end);
    if (ctx.paging.paging_on) screen_pause(ctx);
    if (stream.error()) check_write_error(ctx);
  }
}

}  // namespace wxfetch
