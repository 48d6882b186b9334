#include "analysis/parcel.h"

#include <algorithm>
#include <cmath>

namespace wxfetch {

namespace {

// Sample pressures from `bottom` up to `top`, at most 1 hPa apart, with `extra` (the LCL)
// included when it lies between.
std::vector<double> sample_pressures(double bottom, double top, double extra) {
  std::vector<double> ps;
  const int steps = std::max(1, static_cast<int>(std::ceil(bottom - top)));
  const double h = (bottom - top) / steps;
  for (int i = 0; i <= steps; ++i) {
    const double p = i == steps ? top : bottom - i * h;
    if (!ps.empty() && ps.back() > extra && extra > p) ps.push_back(extra);
    ps.push_back(p);
  }
  return ps;
}

// A piece of the path between two pressures where the buoyancy keeps one sign.
struct Piece {
  double bottom, top, area;
};

// Splits the path into pieces of one sign each, cutting a layer where the buoyancy changes sign
// (the crossing linear in ln p).
std::vector<Piece> buoyancy_pieces(const ParcelPath& path, bool virtual_form) {
  const auto& tp = virtual_form ? path.virtual_temperature : path.temperature;
  const auto& te = virtual_form ? path.env_virtual_temperature : path.env_temperature;
  std::vector<Piece> pieces;
  const auto add = [&pieces](double bottom, double top, double b0, double b1) {
    const double area = GAS_CONSTANT_DRY * 0.5 * (b0 + b1) * std::log(bottom / top);
    const bool positive = b0 + b1 > 0;
    if (!pieces.empty() && (pieces.back().area > 0) == positive && pieces.back().top == bottom) {
      pieces.back().top = top;
      pieces.back().area += area;
    } else {
      pieces.push_back({bottom, top, area});
    }
  };
  for (size_t i = 0; i + 1 < path.pressures.size(); ++i) {
    const double p0 = path.pressures[i], p1 = path.pressures[i + 1];
    const double b0 = tp[i] - te[i], b1 = tp[i + 1] - te[i + 1];
    if ((b0 > 0 && b1 < 0) || (b0 < 0 && b1 > 0)) {
      const double f = b0 / (b0 - b1);
      const double pc = std::exp(std::log(p0) + f * std::log(p1 / p0));
      add(p0, pc, b0, 0.0);
      add(pc, p1, 0.0, b1);
    } else {
      add(p0, p1, b0, b1);
    }
  }
  return pieces;
}

}  // namespace

Environment environment_of(const Profile& profile, double surface_pressure) {
  Environment env;
  env.temperature = series_of(profile, &ProfileLevel::temperature, surface_pressure);
  env.dew_point = series_of(profile, &ProfileLevel::dew_point, surface_pressure);
  for (double& t : env.temperature.values) t += ZERO_CELSIUS;
  for (double& t : env.dew_point.values) t += ZERO_CELSIUS;
  env.virtual_temperature = env.temperature;
  for (size_t i = 0; i < env.temperature.pressures.size(); ++i) {
    const double p = env.temperature.pressures[i];
    const double td = value_at(env.dew_point, p);
    if (!present(td)) continue;  // dry air where the dew point is unknown
    const double t = env.temperature.values[i];
    env.virtual_temperature.values[i] =
        virtual_temperature(t, saturation_mixing_ratio(std::min(td, t), p));
  }
  return env;
}

ParcelPath lift_parcel(double pressure, double temperature, double dew_point,
                       const Environment& env) {
  ParcelPath path;
  if (env.temperature.empty() || pressure > env.temperature.bottom() ||
      pressure <= env.temperature.top()) {
    return path;
  }
  path.lcl = condensation_level(temperature, dew_point, pressure);
  const double ratio = saturation_mixing_ratio(std::min(dew_point, temperature), pressure);
  const double theta = potential_temperature(temperature, pressure);
  path.pressures = sample_pressures(pressure, env.temperature.top(), path.lcl.pressure);
  double moist_t = path.lcl.temperature;
  double moist_p = path.lcl.pressure;
  for (const double p : path.pressures) {
    double t, tv;
    if (p >= path.lcl.pressure) {
      t = dry_adiabat_temperature(theta, p);
      tv = virtual_temperature(t, ratio);
    } else {
      moist_t = moist_adiabat_temperature(moist_t, moist_p, p);
      moist_p = p;
      t = moist_t;
      tv = virtual_temperature(t, saturation_mixing_ratio(t, p));
    }
    path.temperature.push_back(t);
    path.virtual_temperature.push_back(tv);
    path.env_temperature.push_back(value_at(env.temperature, p));
    path.env_virtual_temperature.push_back(value_at(env.virtual_temperature, p));
  }
  return path;
}

double parcel_temperature_at(const ParcelPath& path, double pressure, bool virtual_form) {
  if (path.empty() || pressure > path.pressures.front() || pressure < path.pressures.back()) {
    return ABSENT;
  }
  Series s{path.pressures, virtual_form ? path.virtual_temperature : path.temperature};
  return value_at(s, pressure);
}

ParcelEnergy parcel_energy(const ParcelPath& path, bool virtual_form) {
  ParcelEnergy energy;
  const std::vector<Piece> pieces = buoyancy_pieces(path, virtual_form);
  size_t first = pieces.size();
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].area > 0 && pieces[i].top < path.lcl.pressure) {
      first = i;
      break;
    }
  }
  if (first == pieces.size()) return energy;
  size_t last = first;
  for (size_t i = first; i < pieces.size(); ++i) {
    if (pieces[i].area > 0) last = i;
  }
  energy.lfc = pieces[first].bottom;
  if (last + 1 < pieces.size()) energy.el = pieces[last].top;
  for (size_t i = 0; i < first; ++i) {
    if (pieces[i].area < 0) energy.cin += pieces[i].area;
  }
  for (size_t i = first; i <= last; ++i) {
    if (pieces[i].area > 0) energy.cape += pieces[i].area;
  }
  return energy;
}

}  // namespace wxfetch
