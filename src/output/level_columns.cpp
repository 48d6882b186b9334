#include "output/level_columns.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

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

// What the derived values take from one archive value, looked up instead of computed: the
// saturation vapour pressure by tenths of a degree, the Poisson factor (1000 / p)^kappa and
// ln(1000 / p) by tenths of hPa, the wind components of a unit speed by whole degrees.
constexpr int32_t COLDEST = -1500, WARMEST = 700;  // tenths of degrees C
constexpr int32_t LOWEST = 1, HIGHEST = 11000;     // tenths of hPa
struct Tables {
  std::vector<double> vapour_pressure;     // hPa, from COLDEST
  std::vector<double> poisson, log_ratio;  // from LOWEST
  WindComponents wind[361];
};

const Tables& tables() {
  static const Tables t = [] {
    Tables made;
    for (int32_t tenths = COLDEST; tenths <= WARMEST; ++tenths) {
      made.vapour_pressure.push_back(saturation_vapour_pressure(tenths / 10.0 + ZERO_CELSIUS));
    }
    for (int32_t tenths = LOWEST; tenths <= HIGHEST; ++tenths) {
      made.poisson.push_back(potential_temperature(1.0, tenths / 10.0));
      made.log_ratio.push_back(std::log(1000.0 / (tenths / 10.0)));
    }
    for (int direction = 0; direction <= 360; ++direction) {
      made.wind[direction] = wind_components(direction, 1.0);
    }
    return made;
  }();
  return t;
}

bool plausible_temperature(int32_t tenths) {
  return tenths >= COLDEST && tenths <= WARMEST;  // MISSING_VALUE is not
}

// The humidity and temperature columns of a level with a plausible temperature.
void put_air_values(const SoundingLevel& level, bool theta_e, const Tables& t, double* out) {
  const double temperature = level.temperature / 10.0 + ZERO_CELSIUS;
  const bool moist = plausible_temperature(level.dew_point);
  const double es_t = t.vapour_pressure[static_cast<size_t>(level.temperature - COLDEST)];
  const double es_td =
      moist ? t.vapour_pressure[static_cast<size_t>(level.dew_point - COLDEST)] : NAN;
  out[0] = 100.0 * es_td / es_t;
  if (level.pressure < LOWEST || level.pressure > HIGHEST) return;
  const double pressure = level.pressure / 10.0;
  const size_t p = static_cast<size_t>(level.pressure - LOWEST);
  const double ratio = mixing_ratio(es_td * enhancement_factor(pressure), pressure);
  out[1] = 1000.0 * ratio;
  out[2] = temperature * t.poisson[p];
  out[4] = virtual_temperature(temperature, ratio) * t.poisson[p];
  if (!theta_e || !moist) return;
  // The saturation mixing ratio of the lower of temperature and dew point.
  const double dew_point = std::min(level.dew_point / 10.0 + ZERO_CELSIUS, temperature);
  const double saturated = level.dew_point > level.temperature
                               ? mixing_ratio(es_t * enhancement_factor(pressure), pressure)
                               : ratio;
  out[3] = equivalent_potential_temperature_of(
      temperature, saturated, lcl_temperature(temperature, dew_point), t.log_ratio[p]);
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

DerivedValues derived_values(const SoundingLevel& level, bool knots, bool theta_e) {
  DerivedValues derived;
  std::fill(std::begin(derived.value), std::end(derived.value), NAN);
  const Tables& t = tables();
  double* const out = derived.value;
  if (plausible_temperature(level.temperature)) {
    put_air_values(level, theta_e, t, out);
  } else if (plausible_temperature(level.dew_point) && level.pressure >= LOWEST &&
             level.pressure <= HIGHEST) {
    const double pressure = level.pressure / 10.0;
    const double es_td = t.vapour_pressure[static_cast<size_t>(level.dew_point - COLDEST)];
    out[1] = 1000.0 * mixing_ratio(es_td * enhancement_factor(pressure), pressure);
  }
  if (level.wind_direction >= 0 && level.wind_direction <= 360 && level.wind_speed >= 0 &&
      level.wind_speed != MISSING_VALUE) {
    const double speed = level.wind_speed / 10.0 * (knots ? KNOTS_PER_MS : 1.0);
    const WindComponents& unit = t.wind[level.wind_direction];
    out[5] = unit.u * speed;
    out[6] = unit.v * speed;
  }
  return derived;
}

double derived_level_value(Column column, const SoundingLevel& level, bool knots) {
  return derived_values(level, knots)[column];
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
