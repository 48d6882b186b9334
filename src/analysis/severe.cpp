#include "analysis/severe.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/kinematics.h"
#include "analysis/pseudo_adiabat.h"
#include "analysis/thermo.h"

namespace wxfetch {

namespace {

constexpr double MIXED_LAYER_DEPTH = 100;    // hPa
constexpr double MOST_UNSTABLE_DEPTH = 300;  // hPa

// A parcel's energies and levels with virtual temperature; the LCL's height above `ground`.
ParcelSummary summarise(const ParcelPath& path, const Series& heights, double ground) {
  ParcelSummary s;
  if (path.empty()) return s;
  const ParcelEnergy e = parcel_energy(path, true);
  s.cape = e.cape, s.cin = e.cin, s.lfc = e.lfc, s.el = e.el;
  s.lcl = path.lcl.pressure;
  s.lcl_height = value_at(heights, path.lcl.pressure) - ground;
  return s;
}

// The parcel with the pressure-weighted mean potential temperature and mixing ratio of the
// lowest 100 hPa, lifted from the surface.
ParcelPath mixed_layer_parcel(const Environment& env, double surface_pressure) {
  Series theta, ratio;
  for (size_t i = 0; i < env.dew_point.pressures.size(); ++i) {
    const double p = env.dew_point.pressures[i];
    const double t = value_at(env.temperature, p);
    if (!present(t)) continue;
    theta.pressures.push_back(p), ratio.pressures.push_back(p);
    theta.values.push_back(potential_temperature(t, p));
    ratio.values.push_back(saturation_mixing_ratio(std::min(t, env.dew_point.values[i]), p));
    if (p < surface_pressure - MIXED_LAYER_DEPTH) break;
  }
  const double top = surface_pressure - MIXED_LAYER_DEPTH;
  const double th = layer_mean(theta, surface_pressure, top);
  const double r = layer_mean(ratio, surface_pressure, top);
  if (!present(th) || !present(r) || r <= 0) return {};
  const double t = dry_adiabat_temperature(th, surface_pressure);
  const double e = vapour_pressure(r, surface_pressure) / enhancement_factor(surface_pressure);
  return lift_parcel(surface_pressure, t, std::min(t, dew_point_from_vapour_pressure(e)), env);
}

// The level with the highest equivalent potential temperature in the lowest 300 hPa, lifted;
// `start` is its pressure. When that level is the surface, whose parcel is lifted already, the
// path is left empty.
ParcelPath most_unstable_parcel(const Environment& env, double surface_pressure, double& start) {
  double best = -std::numeric_limits<double>::infinity(), t_best = 0, td_best = 0;
  for (size_t i = 0; i < env.dew_point.pressures.size(); ++i) {
    const double p = env.dew_point.pressures[i];
    if (p < surface_pressure - MOST_UNSTABLE_DEPTH) break;
    const double t = value_at(env.temperature, p), td = std::min(t, env.dew_point.values[i]);
    const double theta_e = equivalent_potential_temperature(t, td, p);
    if (present(theta_e) && theta_e > best) best = theta_e, start = p, t_best = t, td_best = td;
  }
  if (!present(start)) return {};
  if (start == surface_pressure) return {};
  return lift_parcel(start, t_best, td_best, env);
}

// The lowest height (m above `ground`) where the series (K) falls to 0 C, linear in ln p
// between its samples; absent when it stays warmer.
double freezing_height(const Series& s, const Series& heights, double ground) {
  for (size_t i = 0; i < s.pressures.size(); ++i) {
    if (s.values[i] > ZERO_CELSIUS) continue;
    if (i == 0) return value_at(heights, s.pressures[0]) - ground;
    const double f = (ZERO_CELSIUS - s.values[i - 1]) / (s.values[i] - s.values[i - 1]);
    const double x0 = std::log(s.pressures[i - 1]), x1 = std::log(s.pressures[i]);
    return value_at(heights, std::exp(x0 + f * (x1 - x0))) - ground;
  }
  return ABSENT;
}

// The lowest height (m above `ground`) where the wet-bulb temperature falls to 0 C, linear in
// ln p between the levels with a dew point. The wet bulb lies between the dew point and the
// temperature, so it is worked out only where these two do not settle its sign, and at the two
// levels around the crossing.
double wet_bulb_zero_height(const Environment& env, const Series& heights, double ground) {
  Series below_and_at;  // the wet bulb at the level before the crossing and at the crossing
  const Series& td = env.dew_point;
  for (size_t i = 0; i < td.pressures.size(); ++i) {
    const double p = td.pressures[i];
    const double t = value_at(env.temperature, p), d = std::min(t, td.values[i]);
    if (!present(t)) continue;
    const bool freezing =
        t <= ZERO_CELSIUS || (d <= ZERO_CELSIUS && wet_bulb_temperature(t, d, p) <= ZERO_CELSIUS);
    if (!freezing) {
      below_and_at.pressures.assign(1, p);
      below_and_at.values.assign(1, ABSENT);
      continue;
    }
    below_and_at.pressures.push_back(p);
    below_and_at.values.push_back(wet_bulb_temperature(t, d, p));
    if (below_and_at.pressures.size() == 2) {
      const double p0 = below_and_at.pressures[0];
      const double t0 = value_at(env.temperature, p0);
      const double d0 = std::min(t0, value_at(td, p0));
      below_and_at.values[0] = wet_bulb_temperature(t0, d0, p0);
    }
    return freezing_height(below_and_at, heights, ground);
  }
  return ABSENT;
}

// The fall of temperature (C/km) from pressure `p0` up to `p1`.
double lapse_rate(const Environment& env, const Series& heights, double p0, double p1) {
  const double dz = value_at(heights, p1) - value_at(heights, p0);
  const double dt = value_at(env.temperature, p0) - value_at(env.temperature, p1);
  return dz > 0 ? dt / dz * 1000 : ABSENT;
}

void thermal_indices(const Profile& profile, const ProfileLevel& ground, const Environment& env,
                     const Series& heights, SevereIndices& ix) {
  const double p3 = pressure_at_height(profile.levels, ground.height + 3000);
  if (present(p3)) ix.lapse_rate_0_3km = lapse_rate(env, heights, ground.pressure, p3);
  if (ground.pressure >= 700) ix.lapse_rate_700_500 = lapse_rate(env, heights, 700, 500);
  ix.freezing_level = freezing_height(env.temperature, heights, ground.height);
  ix.wet_bulb_zero = wet_bulb_zero_height(env, heights, ground.height);
}

void kinematic_indices(SoundingWinds& a, SevereIndices& ix) {
  ix.shear_1km = bulk_shear(a.winds, 1000);
  ix.shear_3km = bulk_shear(a.winds, 3000);
  ix.shear_6km = bulk_shear(a.winds, 6000);
  ix.shear_1km_kt = ix.shear_1km * KNOTS_PER_MS;
  ix.shear_3km_kt = ix.shear_3km * KNOTS_PER_MS;
  ix.shear_6km_kt = ix.shear_6km * KNOTS_PER_MS;
  a.storms = bunkers_storm_motions(a.winds);
  ix.right_direction = wind_direction(a.storms.right);
  ix.right_speed = wind_speed(a.storms.right) * KNOTS_PER_MS;
  ix.left_direction = wind_direction(a.storms.left);
  ix.left_speed = wind_speed(a.storms.left) * KNOTS_PER_MS;
  ix.srh_1km = storm_relative_helicity(a.winds, 1000, a.storms.right);
  ix.srh_3km = storm_relative_helicity(a.winds, 3000, a.storms.right);
}

}  // namespace

double significant_tornado_parameter(double cape, double lcl_height, double srh_1km,
                                     double shear_6km) {
  const double lcl_term = std::clamp((2000 - lcl_height) / 1000, 0.0, 1.0);
  const double shear_term = shear_6km < 12.5 ? 0 : std::min(shear_6km, 30.0) / 20;
  const double stp = cape / 1500 * lcl_term * srh_1km / 150 * shear_term;
  return present(stp) && present(shear_6km) && present(lcl_height) ? stp : ABSENT;
}

double supercell_composite_parameter(double mu_cape, double srh_3km, double shear_6km) {
  const double shear_term = shear_6km < 10 ? 0 : std::min(shear_6km, 20.0) / 20;
  const double scp = mu_cape / 1000 * srh_3km / 50 * shear_term;
  return present(scp) && present(shear_6km) ? scp : ABSENT;
}

void severe_weather_indices(const Profile& profile, int surface, const Environment& env,
                            const ParcelPath& surface_parcel, SevereIndices& ix, SoundingWinds& a) {
  const ProfileLevel& ground = profile.levels[static_cast<size_t>(surface)];
  const Series heights = height_series(profile);
  const double z0 = ground.height;
  ix.sb = summarise(surface_parcel, heights, z0);
  ix.ml = summarise(mixed_layer_parcel(env, ground.pressure), heights, z0);
  const ParcelPath mu = most_unstable_parcel(env, ground.pressure, ix.mu_start);
  ix.mu = mu.empty() && ix.mu_start == ground.pressure ? ix.sb : summarise(mu, heights, z0);
  a.winds = wind_profile(profile, surface, heights);
  kinematic_indices(a, ix);
  if (present(z0)) thermal_indices(profile, ground, env, heights, ix);
  ix.stp = significant_tornado_parameter(ix.sb.cape, ix.sb.lcl_height, ix.srh_1km, ix.shear_6km);
  ix.scp = supercell_composite_parameter(ix.mu.cape, ix.srh_3km, ix.shear_6km);
}

}  // namespace wxfetch
