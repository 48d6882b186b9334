#include "output/level_columns.h"

#include <cmath>

#include "analysis/thermo.h"
#include "base/text.h"
#include "output/level_text.h"

namespace wxfetch {

namespace {

// Each column's name (the wind columns without their unit), in the order of Column.
constexpr const char* NAMES[COLUMN_COUNT] = {"wmo",
                                             "wban",
                                             "station",
                                             "time",
                                             "kind",
                                             "pressure_hpa",
                                             "height_m",
                                             "temperature_c",
                                             "dew_point_c",
                                             "wind_direction_deg",
                                             "wind_speed_",
                                             "wmo_id",
                                             "latitude",
                                             "longitude",
                                             "elevation_m",
                                             "relative_humidity_pct",
                                             "mixing_ratio_gkg",
                                             "potential_temperature_k",
                                             "equivalent_potential_temperature_k",
                                             "virtual_potential_temperature_k",
                                             "u_wind_",
                                             "v_wind_"};

bool has_unit(Column column) {
  return column == Column::WIND_SPEED || column == Column::U_WIND || column == Column::V_WIND;
}

// The level's temperature, dew point (K) and pressure (hPa) when each is plausible, else NaN.
struct Air {
  double temperature;
  double dew_point;
  double pressure;
};

double kelvin(int32_t tenths) {
  if (tenths == MISSING_VALUE || tenths < -1500 || tenths > 700) return NAN;
  return tenths / 10.0 + ZERO_CELSIUS;
}

Air air_of(const SoundingLevel& level) {
  const bool pressure_ok = level.pressure >= 1 && level.pressure <= 11000;
  return Air{kelvin(level.temperature), kelvin(level.dew_point),
             pressure_ok ? level.pressure / 10.0 : NAN};
}

double wind_component(Column column, const SoundingLevel& level, bool knots) {
  if (level.wind_direction == MISSING_VALUE || level.wind_speed == MISSING_VALUE ||
      level.wind_direction < 0 || level.wind_direction > 360 || level.wind_speed < 0) {
    return NAN;
  }
  const double speed = level.wind_speed / 10.0 * (knots ? KNOTS_PER_MS : 1.0);
  const WindComponents wind = wind_components(level.wind_direction, speed);
  return column == Column::U_WIND ? wind.u : wind.v;
}

}  // namespace

std::string column_name(Column column, bool knots) {
  const std::string name = NAMES[static_cast<int>(column)];
  return has_unit(column) ? name + (knots ? "kt" : "ms") : name;
}

std::string parse_columns(std::string_view list, bool knots, ColumnList& columns) {
  columns.clear();
  size_t at = 0;
  while (at <= list.size()) {
    const size_t comma = std::min(list.find(',', at), list.size());
    const std::string_view item = list.substr(at, comma - at);
    at = comma + 1;
    const int count = item == "all" ? COLUMN_COUNT : item == "default" ? DEFAULT_COLUMN_COUNT : 0;
    for (int c = 0; c < count; ++c) columns.push_back(static_cast<Column>(c));
    if (count > 0) continue;
    int found = -1;
    for (int c = 0; c < COLUMN_COUNT; ++c) {
      if (item == column_name(static_cast<Column>(c), knots)) found = c;
    }
    if (found < 0) {
      const bool other_unit = item.ends_with(knots ? "_ms" : "_kt");
      return "--columns: '" + std::string(item) + "' is " +
             (!other_unit ? "no column"
              : knots     ? "in m/s; --units kt names the wind columns _kt"
                          : "in knots; it needs --units kt");
    }
    columns.push_back(static_cast<Column>(found));
  }
  return "";
}

bool is_level_column(Column column) {
  return (column >= Column::KIND && column <= Column::WIND_SPEED) ||
         column >= Column::RELATIVE_HUMIDITY;
}

int column_decimals(Column column) {
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

int32_t archive_level_value(Column column, const SoundingLevel& level, bool knots) {
  switch (column) {
    case Column::PRESSURE:
      return level.pressure;
    case Column::HEIGHT:
      return level.height;
    case Column::TEMPERATURE:
      return level.temperature;
    case Column::DEW_POINT:
      return level.dew_point;
    case Column::WIND_DIRECTION:
      return level.wind_direction;
    default:
      return wind_speed_tenths(level.wind_speed, knots);
  }
}

bool in_tenths(Column column) {
  return column != Column::HEIGHT && column != Column::WIND_DIRECTION;
}

double derived_level_value(Column column, const SoundingLevel& level, bool knots) {
  if (column == Column::U_WIND || column == Column::V_WIND) {
    return wind_component(column, level, knots);
  }
  const Air air = air_of(level);
  switch (column) {
    case Column::RELATIVE_HUMIDITY:
      return relative_humidity(air.temperature, air.dew_point);
    case Column::MIXING_RATIO:
      return 1000.0 * saturation_mixing_ratio(air.dew_point, air.pressure);
    case Column::POTENTIAL_TEMPERATURE:
      return potential_temperature(air.temperature, air.pressure);
    case Column::EQUIVALENT_POTENTIAL_TEMPERATURE:
      return equivalent_potential_temperature(air.temperature, air.dew_point, air.pressure);
    case Column::VIRTUAL_POTENTIAL_TEMPERATURE:
      return virtual_potential_temperature(air.temperature, air.pressure,
                                           saturation_mixing_ratio(air.dew_point, air.pressure));
    default:
      return NAN;
  }
}

std::string wmo_id_text(int32_t wmo) {
  return cformat("%05d", wmo);
}

char* put_fixed(char* out, double value, int decimals) {
  static constexpr double SCALE[] = {1, 10, 100, 1000, 10000};
  if (!std::isfinite(value) || std::fabs(value) >= 1e12 || decimals < 0 || decimals > 4) {
    return out;
  }
  const int64_t scaled = std::llround(value * SCALE[decimals]);
  if (decimals == 0) return put_integer(out, scaled);
  if (decimals == 1) return put_tenths(out, scaled);
  const auto unit = static_cast<int64_t>(SCALE[decimals]);
  if (scaled < 0) *out++ = '-';
  const int64_t magnitude = scaled < 0 ? -scaled : scaled;
  out = put_integer(out, magnitude / unit);
  *out++ = '.';
  int64_t fraction = magnitude % unit;
  for (int d = decimals - 1; d >= 0; --d) {
    out[d] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + decimals;
}

}  // namespace wxfetch
