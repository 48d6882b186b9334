#include "output/open_format_writers.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "base/text.h"
#include "output/level_selection.h"
#include "output/level_text.h"
#include "output/output_files.h"
#include "output/output_stream.h"

namespace wxfetch {

namespace {

// The level columns, in order; the wind speed's name depends on the units.
constexpr const char* LEVEL_COLUMNS[] = {"pressure_hpa", "height_m", "temperature_c", "dew_point_c",
                                         "wind_direction_deg"};

const char* wind_speed_column(bool knots) {
  return knots ? "wind_speed_kt" : "wind_speed_ms";
}

// One level's six values in column order, each with whether it is printed in tenths.
struct LevelValues {
  int32_t value[6];
  static constexpr bool TENTHS[6] = {true, false, true, true, false, true};
};

LevelValues values_of(const SoundingLevel& level, bool knots) {
  return LevelValues{{level.pressure, level.height, level.temperature, level.dew_point,
                      level.wind_direction, wind_speed_tenths(level.wind_speed, knots)}};
}

char* put_value(char* out, int32_t value, bool tenths) {
  return tenths ? put_tenths(out, value) : put_integer(out, value);
}

char* put_text(char* out, std::string_view text) {
  return std::copy(text.begin(), text.end(), out);
}

// The most characters the level part of a CSV row or JSON object takes.
constexpr size_t LEVEL_ROOM = 256;
// A CSV row's station and time fields up to this length are copied in one move.
constexpr size_t PREFIX_ROOM = 64;

// The wmo, wban and initials of a row as the open formats print them.
std::string_view initials_of(const StationEntry& entry) {
  return std::string_view(entry.initials, strnlen(entry.initials, sizeof entry.initials));
}

// Puts one level column's value of `level` at `out` and returns its end: the kind's word, an
// archive value, or a value of `derived`; nothing when it is absent.
char* put_level_cell(char* out, Column column, const SoundingLevel& level, bool knots,
                     const DerivedValues& derived) {
  if (column == Column::KIND) return put_text(out, kind_word(level.kind));
  if (column <= Column::WIND_SPEED) {
    const int32_t value = archive_level_value(column, level, knots);
    return value == MISSING_VALUE ? out : put_value(out, value, in_tenths(column));
  }
  return put_fixed(out, derived[column], column_decimals(column));
}

// Which derived values the chosen columns need.
struct DerivedNeed {
  bool any = false;
  bool theta_e = false;
  explicit DerivedNeed(const ColumnList& columns) {
    for (const Column column : columns) {
      any = any || column >= Column::RELATIVE_HUMIDITY;
      theta_e = theta_e || column == Column::EQUIVALENT_POTENTIAL_TEMPERATURE;
    }
  }
  DerivedValues of(const SoundingLevel& level, bool knots) const {
    return any ? derived_values(level, knots, theta_e) : DerivedValues{};
  }
};

// The text of a station or time column of a CSV row.
std::string csv_station_cell(Column column, const StationEntry& entry, const Sounding& sounding) {
  char text[40];
  switch (column) {
    case Column::WMO:
      return std::to_string(entry.wmo);
    case Column::WBAN:
      return std::to_string(entry.wban);
    case Column::STATION:
      return csv_field(initials_of(entry));
    case Column::TIME:
      return iso_time(sounding.year, sounding.month, sounding.day, sounding.hour);
    case Column::WMO_ID:
      return wmo_id_text(entry.wmo);
    case Column::LATITUDE:
    case Column::LONGITUDE:
      return std::string(
          text, put_fixed(text, column == Column::LATITUDE ? entry.latitude : entry.longitude, 2));
    default:
      return std::to_string(entry.elevation);
  }
}

// The most characters one chosen column of a level takes, with its name in JSON.
constexpr size_t CELL_ROOM = 80;

}  // namespace

bool OpenFormatWriter::chosen(Column column) const {
  return std::find(columns_.begin(), columns_.end(), column) != columns_.end();
}

void OpenFormatWriter::begin(const AccessRequest& request) {
  files_.start_run();
  kinds_ = selected_kinds(request.levels);
  sort_ = request.sort_order;
  one_file_ = request.one_file();
  begin_date_ = request.begin_value;
  header_due_ = true;
}

void OpenFormatWriter::start_file(int32_t date_hour, const StationRow& station) {
  assert(station.entry != nullptr);
  files_.open_file(file_name(date_hour, *station.entry));
  header_due_ = true;
}

std::string OpenFormatWriter::file_name(int32_t date_hour, const StationEntry& station) const {
  std::string name =
      output_file_name(OutputFormat::KVT, sort_, one_file_, date_hour, begin_date_, station);
  return name.replace(name.size() - 4, 4, extension_);  // the KVT name ends in ".txt"
}

void OpenFormatWriter::end() {
  files_.close_file();
}

int32_t OpenFormatWriter::select_levels(const Sounding& sounding, int16_t* selected) const {
  const int32_t level_count = std::clamp<int32_t>(sounding.level_count, 0, MAX_LEVELS);
  int32_t count = 0;
  for (int32_t i = 0; i < level_count; ++i) {
    selected[count] = static_cast<int16_t>(i);
    count += is_selected(sounding.levels[i].kind, kinds_);
  }
  return count;
}

OutputStream& OpenFormatWriter::stream_for_sounding() {
  OutputStream& out = files_.stream();
  if (header_due_) {
    out.write(header());
    header_due_ = false;
  }
  return out;
}

const std::string& OpenFormatWriter::cached_station_text(const StationRow& station) {
  assert(station.entry != nullptr && station.index >= 0);
  std::string& text = grown_to_hold(station_texts_, station.index);
  if (text.empty()) text = station_text(*station.entry);
  return text;
}

void OpenFormatWriter::check_output() {
  files_.check();
}

std::string CsvWriter::header() const {
  if (!columns().empty()) {
    std::string text;
    for (const Column column : columns()) {
      text += (text.empty() ? "" : ",") + column_name(column, knots());
    }
    return text + "\n";
  }
  std::string text = "wmo,wban,station,time,kind";
  for (const char* column : LEVEL_COLUMNS) text += std::string(",") + column;
  return text + "," + wind_speed_column(knots()) + "\n";
}

std::string CsvWriter::station_text(const StationEntry& entry) const {
  return cformat("%d,%d,", entry.wmo, entry.wban) + csv_field(initials_of(entry)) + ",";
}

// One row per level: the station's fields and the time (the same for every row of the
// sounding), the kind, and the six values, an absent one as an empty field. (Runs once per
// level: kept in one piece.)
void CsvWriter::write(const Sounding& sounding, const StationRow& station) {
  int16_t selected[MAX_LEVELS];
  const int32_t count = select_levels(sounding, selected);
  if (count == 0) return;
  if (!columns().empty()) {
    write_chosen(sounding, *station.entry, selected, count);
    return;
  }
  const std::string prefix = cached_station_text(station) +
                             iso_time(sounding.year, sounding.month, sounding.day, sounding.hour) +
                             ",";
  OutputStream& out = stream_for_sounding();
  char* end = out.reserve(static_cast<size_t>(count) * (prefix.size() + LEVEL_ROOM));
  for (int32_t s = 0; s < count; ++s) {
    const SoundingLevel& level = sounding.levels[selected[s]];
    end = put_text(end, prefix);
    end = put_text(end, kind_word(level.kind));
    const LevelValues values = values_of(level, knots());
    for (int v = 0; v < 6; ++v) {
      *end++ = ',';
      if (values.value[v] != MISSING_VALUE) {
        end = put_value(end, values.value[v], LevelValues::TENTHS[v]);
      }
    }
    *end++ = '\n';
  }
  out.commit(end);
  if (out.error()) check_output();
}

void CsvWriter::write_chosen(const Sounding& sounding, const StationEntry& entry,
                             const int16_t* selected, int32_t count) {
  const ColumnList& chosen = columns();
  std::vector<std::string> fixed(chosen.size());
  size_t fixed_size = 0;
  for (size_t c = 0; c < chosen.size(); ++c) {
    if (!is_level_column(chosen[c])) fixed[c] = csv_station_cell(chosen[c], entry, sounding);
    fixed_size += fixed[c].size();
  }
  OutputStream& out = stream_for_sounding();
  const size_t row_room = fixed_size + chosen.size() * CELL_ROOM;
  char* end = out.reserve(static_cast<size_t>(count) * row_room);
  const DerivedNeed need(chosen);
  for (int32_t s = 0; s < count; ++s) {
    const SoundingLevel& level = sounding.levels[selected[s]];
    const DerivedValues derived = need.of(level, knots());
    for (size_t c = 0; c < chosen.size(); ++c) {
      if (c > 0) *end++ = ',';
      end = is_level_column(chosen[c]) ? put_level_cell(end, chosen[c], level, knots(), derived)
                                       : put_text(end, fixed[c]);
    }
    *end++ = '\n';
  }
  out.commit(end);
  if (out.error()) check_output();
}

std::string JsonLinesWriter::station_text(const StationEntry& entry) const {
  const std::string wmo_id =
      chosen(Column::WMO_ID) ? ",\"wmo_id\":\"" + wmo_id_text(entry.wmo) + "\"" : "";
  return cformat("{\"wmo\":%d", entry.wmo) + wmo_id +
         cformat(",\"wban\":%d,\"station\":", entry.wban) + json_string(initials_of(entry)) +
         ",\"latitude\":" + json_number(entry.latitude, 2) +
         ",\"longitude\":" + json_number(entry.longitude, 2) +
         cformat(",\"elevation\":%d,", entry.elevation);
}

// The sounding's object on one line: the station's members, the time, the release time and
// sonde type (null when absent), and the levels. (Runs once per level: kept in one piece.)
void JsonLinesWriter::write(const Sounding& sounding, const StationRow& station) {
  int16_t selected[MAX_LEVELS];
  const int32_t count = select_levels(sounding, selected);
  if (count == 0) return;
  const std::string head = this->head(sounding, station);
  if (!columns().empty()) {
    OutputStream& out = stream_for_sounding();
    char* end = out.reserve(head.size() + count * columns().size() * CELL_ROOM + 8);
    end = put_chosen_levels(put_text(end, head), sounding, selected, count);
    out.commit(put_text(end, "]}\n"));
    if (out.error()) check_output();
    return;
  }
  // The members' names with their punctuation: {"kind":", ","pressure_hpa":, ... .
  static const std::string names[7] = {"{\"kind\":\"",
                                       std::string("\",\"") + LEVEL_COLUMNS[0] + "\":",
                                       std::string(",\"") + LEVEL_COLUMNS[1] + "\":",
                                       std::string(",\"") + LEVEL_COLUMNS[2] + "\":",
                                       std::string(",\"") + LEVEL_COLUMNS[3] + "\":",
                                       std::string(",\"") + LEVEL_COLUMNS[4] + "\":",
                                       std::string(",\"") + "wind_speed_"};
  const std::string_view speed_name = knots() ? "kt\":" : "ms\":";
  OutputStream& out = stream_for_sounding();
  char* end = out.reserve(head.size() + static_cast<size_t>(count) * LEVEL_ROOM + 4);
  end = put_text(end, head);
  for (int32_t s = 0; s < count; ++s) {
    const SoundingLevel& level = sounding.levels[selected[s]];
    if (s > 0) *end++ = ',';
    end = put_text(end, names[0]);
    end = put_text(end, kind_word(level.kind));
    const LevelValues values = values_of(level, knots());
    for (int v = 0; v < 6; ++v) {
      end = put_text(end, names[v + 1]);
      if (v == 5) end = put_text(end, speed_name);
      end = values.value[v] == MISSING_VALUE
                ? put_text(end, "null")
                : put_value(end, values.value[v], LevelValues::TENTHS[v]);
    }
    *end++ = '}';
  }
  end = put_text(end, "]}\n");
  out.commit(end);
  if (out.error()) check_output();
}

std::string JsonLinesWriter::head(const Sounding& sounding, const StationRow& station) {
  const std::string release = release_time_text(sounding.release_time);
  return cached_station_text(station) + "\"time\":\"" +
         iso_time(sounding.year, sounding.month, sounding.day, sounding.hour) +
         "\",\"release_time\":" + (release.empty() ? "null" : "\"" + release + "\"") +
         ",\"sonde_type\":" +
         (sounding.sonde_type == MISSING_VALUE ? "null" : std::to_string(sounding.sonde_type)) +
         ",\"levels\":[";
}

char* JsonLinesWriter::put_chosen_levels(char* end, const Sounding& sounding,
                                         const int16_t* selected, int32_t count) const {
  std::vector<std::pair<Column, std::string>> members;  // each level column with its name
  for (const Column column : columns()) {
    if (!is_level_column(column)) continue;
    members.emplace_back(column,
                         (members.empty() ? "\"" : ",\"") + column_name(column, knots()) + "\":");
  }
  const DerivedNeed need(columns());
  for (int32_t s = 0; s < count; ++s) {
    const SoundingLevel& level = sounding.levels[selected[s]];
    const DerivedValues derived = need.of(level, knots());
    if (s > 0) *end++ = ',';
    *end++ = '{';
    for (const auto& [column, name] : members) {
      end = put_text(end, name);
      if (column == Column::KIND) *end++ = '"';
      char* const value = end;
      end = put_level_cell(end, column, level, knots(), derived);
      if (column == Column::KIND) *end++ = '"';
      if (end == value) end = put_text(end, "null");
    }
    *end++ = '}';
  }
  return end;
}

}  // namespace wxfetch
