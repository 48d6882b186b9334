#include "analysis/indices.h"

#include <cmath>
#include <numbers>

#include "analysis/severe.h"
#include "analysis/thermo.h"

namespace wxfetch {

namespace {

constexpr double MIXED_LAYER_DEPTH = 500;   // m
constexpr double SHEAR_LAYER_DEPTH = 6000;  // m

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

// The wind at one pressure: u and v (knots) interpolated linear in ln p.
struct Wind {
  Series u, v;
};

Wind winds_of(const Profile& profile, double surface_pressure) {
  Wind wind;
  for (const ProfileLevel& level : profile.levels) {
    if (!present(level.pressure) || !present(level.wind_speed) || !present(level.wind_direction) ||
        level.pressure > surface_pressure) {
      continue;
    }
    if (!wind.u.empty() && level.pressure >= wind.u.pressures.back()) continue;
    const double a = radians(level.wind_direction);
    wind.u.pressures.push_back(level.pressure);
    wind.v.pressures.push_back(level.pressure);
    wind.u.values.push_back(-level.wind_speed * std::sin(a));
    wind.v.values.push_back(-level.wind_speed * std::cos(a));
  }
  return wind;
}

double height_at_pressure(const Profile& profile, double pressure) {
  for (const ProfileLevel& level : profile.levels) {
    if (level.pressure == pressure && present(level.height)) return level.height;
  }
  return ABSENT;
}

// The SWEAT index from the 850-mb dew point (C), the total totals and the 850- and 500-mb winds:
// 12 Td850 + 20 (TT - 49) + 2 f850 + f500 + 125 (sin(d500 - d850) + 0.2), each of the first two
// terms 0 when negative, the last 0 unless the winds veer from 130-250 to 210-310 degrees with
// both at least 15 knots.
double sweat_index(double td850, double total_totals, const Wind& wind) {
  const double u8 = value_at(wind.u, 850), v8 = value_at(wind.v, 850);
  const double u5 = value_at(wind.u, 500), v5 = value_at(wind.v, 500);
  if (!present(u8) || !present(u5)) return ABSENT;
  const double f8 = std::hypot(u8, v8), f5 = std::hypot(u5, v5);
  double d8 = std::atan2(-u8, -v8) * 180.0 / std::numbers::pi;
  double d5 = std::atan2(-u5, -v5) * 180.0 / std::numbers::pi;
  if (d8 < 0) d8 += 360;
  if (d5 < 0) d5 += 360;
  double sweat = 12 * std::max(td850, 0.0) + 20 * std::max(total_totals - 49, 0.0) + 2 * f8 + f5;
  const bool veering =
      d8 >= 130 && d8 <= 250 && d5 >= 210 && d5 <= 310 && d5 - d8 > 0 && f8 >= 15 && f5 >= 15;
  if (veering) sweat += 125 * (std::sin(radians(d5 - d8)) + 0.2);
  return sweat;
}

// The temperature (K) at 500 mb of a parcel lifted from `pressure` (`virtual_form`: its
// virtual temperature).
double parcel_at_500(const ParcelPath& path, bool virtual_form) {
  return parcel_temperature_at(path, 500, virtual_form);
}

// The value (C) at a standard pressure: that of a level reported there, even when absent (an
// absent 850-mb dew point is not made up from the levels around it), else interpolated.
double standard_value(const Profile& profile, const Series& series, double ProfileLevel::*field,
                      double pressure) {
  for (const ProfileLevel& level : profile.levels) {
    if (level.pressure == pressure && level.kind != WIND && level.kind != MAX_WIND) {
      return level.*field;
    }
  }
  return value_at(series, pressure) - ZERO_CELSIUS;
}

// Showalter, SWEAT, K and the totals, which need 850 mb at or above the surface.
void standard_level_indices(const Profile& profile, const Environment& env, const Wind& wind,
                            double surface_pressure, Indices& ix) {
  if (surface_pressure < 850) return;
  const auto temperature = [&](double p) {
    return standard_value(profile, env.temperature, &ProfileLevel::temperature, p);
  };
  const auto dew_point = [&](double p) {
    return standard_value(profile, env.dew_point, &ProfileLevel::dew_point, p);
  };
  const double t850 = temperature(850), d850 = dew_point(850);
  const double t700 = temperature(700), d700 = dew_point(700);
  const double t500 = temperature(500);
  ix.vertical_totals = t850 - t500;
  ix.cross_totals = d850 - t500;
  ix.total_totals = ix.vertical_totals + ix.cross_totals;
  ix.k_index = t850 - t500 + d850 - (t700 - d700);
  if (present(ix.total_totals)) {
    ix.sweat = sweat_index(d850, ix.total_totals, wind);
  }
  if (present(t850) && present(d850)) {
    ix.showalter = t500 + ZERO_CELSIUS -
                   lifted_temperature(850, t850 + ZERO_CELSIUS, d850 + ZERO_CELSIUS, 500, env);
  }
}

double precipitable_water(const Environment& env) {
  const Series& td = env.dew_point;
  double sum = 0;
  for (size_t i = 0; i + 1 < td.pressures.size(); ++i) {
    const double w0 = saturation_mixing_ratio(td.values[i], td.pressures[i]);
    const double w1 = saturation_mixing_ratio(td.values[i + 1], td.pressures[i + 1]);
    sum += 0.5 * (w0 + w1) * (td.pressures[i] - td.pressures[i + 1]) * 100.0 / GRAVITY;
  }
  return td.pressures.size() < 2 ? ABSENT : sum;
}

// CAPE over half the square of the difference between the pressure-weighted mean winds of the
// lowest 6 km and the lowest 500 m (m/s).
double bulk_richardson(const Profile& profile, const Wind& wind, double surface_pressure,
                       double surface_height, double cape) {
  const double p6 = pressure_at_height(profile.levels, surface_height + SHEAR_LAYER_DEPTH);
  const double p05 = pressure_at_height(profile.levels, surface_height + MIXED_LAYER_DEPTH);
  if (!present(p6) || !present(p05) || wind.u.empty()) return ABSENT;
  const double bottom = std::min(surface_pressure, wind.u.bottom());
  const double du = layer_mean(wind.u, bottom, p6) - layer_mean(wind.u, bottom, p05);
  const double dv = layer_mean(wind.v, bottom, p6) - layer_mean(wind.v, bottom, p05);
  const double shear2 = (du * du + dv * dv) / (KNOTS_PER_MS * KNOTS_PER_MS);
  if (!present(shear2) || shear2 <= 0) return ABSENT;
  return cape / (0.5 * shear2);
}

// A series of `f(T, Td, p)` at the levels of the dew point series, up to the first above `top`.
template <typename F>
Series derived_series(const Environment& env, double top, F f) {
  Series s;
  for (size_t i = 0; i < env.dew_point.pressures.size(); ++i) {
    const double p = env.dew_point.pressures[i];
    const double t = value_at(env.temperature, p);
    if (!present(t)) continue;
    s.pressures.push_back(p);
    s.values.push_back(f(t, env.dew_point.values[i], p));
    if (p < top) break;  // the levels above are not needed
  }
  return s;
}

// The mixed-layer values, the lifted parcel's indices and energies, and the LCL.
void mixed_layer_indices(const Profile& profile, const Environment& env, const Wind& wind,
                         const ProfileLevel& sfc, Indices& ix) {
  const double top = pressure_at_height(profile.levels, sfc.height + MIXED_LAYER_DEPTH);
  if (!present(top)) return;
  const double bottom = sfc.pressure;
  const double t = layer_mean(env.temperature, bottom, top);
  const double td = layer_mean(env.dew_point, bottom, top);
  const Series theta = derived_series(
      env, top, [](double t, double, double p) { return potential_temperature(t, p); });
  const Series ratio = derived_series(env, top, [](double t, double td, double p) {
    return saturation_mixing_ratio(std::min(t, td), p);
  });
  ix.mixed_layer_theta = layer_mean(theta, bottom, top);
  ix.mixed_layer_mixing_ratio = layer_mean(ratio, bottom, top) * 1000;
  if (!present(t) || !present(td)) return;
  const ParcelPath path = lift_parcel(0.5 * (bottom + top), t, td, env);
  if (path.empty()) return;
  ix.lcl_temperature = path.lcl.temperature;
  ix.lcl_pressure = path.lcl.pressure;
  ix.lifted_index = value_at(env.temperature, 500) - parcel_at_500(path, false);
  ix.lifted_index_virtual = value_at(env.virtual_temperature, 500) - parcel_at_500(path, true);
  const ParcelEnergy e = parcel_energy(path, false);
  const ParcelEnergy ev = parcel_energy(path, true);
  ix.cape = e.cape, ix.cin = e.cin, ix.lfc = e.lfc, ix.el = e.el;
  ix.cape_virtual = ev.cape, ix.cin_virtual = ev.cin, ix.lfc_virtual = ev.lfc;
  ix.el_virtual = ev.el;
  ix.bulk_richardson = bulk_richardson(profile, wind, bottom, sfc.height, e.cape);
}

}  // namespace

SoundingAnalysis analyse_sounding(const Profile& profile) {
  SoundingAnalysis result;
  Indices& ix = result.indices;
  const double h1000 = height_at_pressure(profile, 1000);
  const double h500 = height_at_pressure(profile, 500);
  ix.thickness = h500 - h1000;
  const int s = surface_index(profile);
  if (s < 0) return result;
  const ProfileLevel& sfc = profile.levels[static_cast<size_t>(s)];
  const Environment env = environment_of(profile, sfc.pressure);
  const Wind wind = winds_of(profile, sfc.pressure);
  standard_level_indices(profile, env, wind, sfc.pressure, ix);
  ix.precipitable_water = precipitable_water(env);
  if (present(sfc.height)) mixed_layer_indices(profile, env, wind, sfc, ix);
  if (present(sfc.temperature) && present(sfc.dew_point)) {
    result.surface_parcel = lift_parcel(sfc.pressure, sfc.temperature + ZERO_CELSIUS,
                                        sfc.dew_point + ZERO_CELSIUS, env);
  }
  severe_weather_indices(profile, s, env, result.surface_parcel, ix, result);
  ix.sb_cape = ix.sb.cape, ix.sb_cin = ix.sb.cin;
  return result;
}

}  // namespace wxfetch
