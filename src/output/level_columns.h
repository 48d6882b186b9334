// The columns of the open formats (CSV, JSON Lines, NetCDF) by name: the station's and the time
// columns, the level's own values, and the quantities derived from them by analysis/thermo.h
// (relative humidity, mixing ratio, potential, equivalent and virtual potential temperature,
// wind components). The default set is the columns the formats always had, in their order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/sounding.h"
#include "records/station_entry.h"

namespace wxfetch {

enum class Column : uint8_t {
  WMO,
  WBAN,
  STATION,
  TIME,
  KIND,
  PRESSURE,
  HEIGHT,
  TEMPERATURE,
  DEW_POINT,
  WIND_DIRECTION,
  WIND_SPEED,
  WMO_ID,
  LATITUDE,
  LONGITUDE,
  ELEVATION,
  RELATIVE_HUMIDITY,
  MIXING_RATIO,
  POTENTIAL_TEMPERATURE,
  EQUIVALENT_POTENTIAL_TEMPERATURE,
  VIRTUAL_POTENTIAL_TEMPERATURE,
  U_WIND,
  V_WIND,
};
constexpr int COLUMN_COUNT = static_cast<int>(Column::V_WIND) + 1;
// The columns up to this one are the default set.
constexpr int DEFAULT_COLUMN_COUNT = static_cast<int>(Column::WIND_SPEED) + 1;

// A set of columns in the order they are printed; empty means the default set.
using ColumnList = std::vector<Column>;

// Reads `--columns`: names separated by commas, "default" for the default set and "all" for
// every column (the default set first). The wind columns are named in the units of `knots`
// (wind_speed_kt, u_wind_kt with knots; wind_speed_ms, u_wind_ms otherwise). Returns "" or what
// is wrong with the list.
std::string parse_columns(std::string_view list, bool knots, ColumnList& columns);

// The column's name in a CSV header or JSON member ("relative_humidity_pct", "u_wind_kt").
std::string column_name(Column column, bool knots);

// True for a column that varies from level to level (the kind, the values and those derived
// from them); false for the station's and the time columns.
inline bool is_level_column(Column column) {
  return (column >= Column::KIND && column <= Column::WIND_SPEED) ||
         column >= Column::RELATIVE_HUMIDITY;
}

// The decimals a derived or station column is printed with.
inline int column_decimals(Column column) {
  switch (column) {
    case Column::LATITUDE:
    case Column::LONGITUDE:
    case Column::MIXING_RATIO:
      return 2;
    case Column::ELEVATION:
      return 0;
    default:
      return 1;
  }
}

// A level value of the archive (pressure to wind speed) as the open formats print it: in tenths
// (pressure, temperature, dew point, wind speed in the output unit) or whole (height,
// direction); MISSING_VALUE when absent. REQUIRES: PRESSURE <= column <= WIND_SPEED.
int32_t archive_level_value(Column column, const SoundingLevel& level, bool knots);
// True for the archive values printed in tenths.
inline bool in_tenths(Column column) {
  return column != Column::HEIGHT && column != Column::WIND_DIRECTION;
}

// The derived columns of one level, RELATIVE_HUMIDITY to V_WIND in the order of Column (wind
// components in knots when `knots`, else m/s); NaN where a value it needs is absent or
// implausible (a pressure outside 0.1-1100 hPa, a temperature or dew point outside -150 to
// 70 C, a direction outside 0-360 degrees). The functions of analysis/thermo.h give the values;
// those that depend on one archive value alone are looked up in tables made with them.
constexpr int DERIVED_COLUMN_COUNT = COLUMN_COUNT - static_cast<int>(Column::RELATIVE_HUMIDITY);
struct DerivedValues {
  double value[DERIVED_COLUMN_COUNT];
  double operator[](Column column) const {
    return value[static_cast<int>(column) - static_cast<int>(Column::RELATIVE_HUMIDITY)];
  }
};
// `theta_e`: the equivalent potential temperature is wanted (it costs the most).
DerivedValues derived_values(const SoundingLevel& level, bool knots, bool theta_e = true);

// One derived column's value at `level`, as derived_values gives it.
// REQUIRES: column >= RELATIVE_HUMIDITY.
double derived_level_value(Column column, const SoundingLevel& level, bool knots);

// The station's WMO number as five digits ("03808").
std::string wmo_id_text(int32_t wmo);

// Puts `value` with `decimals` (0 to 4) decimals at `out` and returns its end; nothing when it is
// not finite or beyond 1e12. REQUIRES: 32 characters of room.
char* put_fixed(char* out, double value, int decimals);

}  // namespace wxfetch
