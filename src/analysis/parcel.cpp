#include "analysis/parcel.h"

#include <algorithm>
#include <cmath>

namespace wxfetch {

namespace {

const double LOG_1000 = std::log(1000.0);

// Appends a sample unless it repeats the last one.
void add_sample(ParcelPath& path, double log_pressure, double pressure) {
  if (!path.log_pressures.empty() && log_pressure >= path.log_pressures.back() - 1e-9) return;
  path.log_pressures.push_back(log_pressure);
  path.pressures.push_back(pressure);
}

// The sample pressures from `bottom` to the top of the environment: every level of the
// environment above `bottom`, the LCL, and between these equal steps of at most PARCEL_STEP in
// ln p.
void sample_pressures(ParcelPath& path, double bottom, const Environment& env) {
  double last = std::log(bottom);
  const size_t expected = env.log_pressures.size() +
                          static_cast<size_t>((last - env.log_pressures.back()) / PARCEL_STEP) + 2;
  path.log_pressures.reserve(expected);
  path.pressures.reserve(expected);
  add_sample(path, last, bottom);
  const auto reach = [&](double x, double p) {
    const int steps = std::max(1, static_cast<int>(std::ceil((last - x) / PARCEL_STEP)));
    const double h = (last - x) / steps;
    const double ratio = std::exp(-h);  // from one step's pressure to the next
    double between = std::exp(last);
    for (int k = 1; k < steps; ++k) add_sample(path, last - k * h, between *= ratio);
    add_sample(path, x, p);
    last = x;
  };
  const double lcl = path.lcl.pressure;
  bool lcl_placed = !(lcl < bottom);
  const std::vector<double>& ps = env.temperature.pressures;
  for (size_t i = 0; i < ps.size(); ++i) {
    if (ps[i] >= bottom) continue;
    if (!lcl_placed && lcl > ps[i]) {
      reach(std::log(lcl), lcl);
      lcl_placed = true;
    }
    reach(env.log_pressures[i], ps[i]);
  }
}

// A piece of the path between two pressures where the buoyancy keeps one sign.
struct Piece {
  double bottom, top, area;  // hPa, hPa, J/kg
};

// Splits the path into pieces of one sign each, cutting a layer where the buoyancy changes sign
// (the crossing linear in ln p).
// Adds the area between `bottom` and `top` (hPa; `log_span` apart in ln p) of buoyancies `b0`
// and `b1` to `pieces`, joined to the last piece when that has the same sign and ends there.
// `bend` is the end correction: the span squared over 12 times the parcel's slope at the bottom
// less that at the top (the environment is linear between samples).
void add_piece(std::vector<Piece>& pieces, double bottom, double top, double log_span, double b0,
               double b1, double bend) {
  const bool positive = b0 + b1 > 0;
  const double area = GAS_CONSTANT_DRY * (0.5 * (b0 + b1) * log_span - bend);
  const double kept = positive ? std::max(area, 0.0) : std::min(area, 0.0);
  if (!pieces.empty() && (pieces.back().area > 0) == positive && pieces.back().top == bottom) {
    pieces.back().top = top;
    pieces.back().area += kept;
  } else {
    pieces.push_back({bottom, top, kept});
  }
}

std::vector<Piece> buoyancy_pieces(const ParcelPath& path, bool virtual_form) {
  const auto& tp = virtual_form ? path.virtual_temperature : path.temperature;
  const auto& te = virtual_form ? path.env_virtual_temperature : path.env_temperature;
  const auto& slope = virtual_form ? path.virtual_slope : path.slope;
  std::vector<Piece> pieces;
  for (size_t i = 0; i + 1 < path.pressures.size(); ++i) {
    const double p0 = path.pressures[i], p1 = path.pressures[i + 1];
    const double x0 = path.log_pressures[i], x1 = path.log_pressures[i + 1];
    const double b0 = tp[i] - te[i], b1 = tp[i + 1] - te[i + 1];
    // The slope turns at the LCL: an interval that ends there gets no correction.
    const bool kink = p0 == path.lcl.pressure || p1 == path.lcl.pressure;
    const double s0 = kink ? 0 : slope[i], s1 = kink ? 0 : slope[i + 1];
    if ((b0 > 0 && b1 < 0) || (b0 < 0 && b1 > 0)) {
      const double xc = x0 + b0 / (b0 - b1) * (x1 - x0);
      const double pc = std::exp(xc);
      // The slope where the sign changes, taken linear between the samples.
      const double f = b0 / (b0 - b1);
      const double sc = s0 + f * (s1 - s0);
      add_piece(pieces, p0, pc, x0 - xc, b0, 0.0, (x0 - xc) * (x0 - xc) / 12 * (s0 - sc));
      add_piece(pieces, pc, p1, xc - x1, 0.0, b1, (xc - x1) * (xc - x1) / 12 * (sc - s1));
    } else {
      add_piece(pieces, p0, p1, x0 - x1, b0, b1, (x0 - x1) * (x0 - x1) / 12 * (s0 - s1));
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
  for (const double p : env.temperature.pressures) env.log_pressures.push_back(std::log(p));
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
  path.ratio = saturation_mixing_ratio(std::min(dew_point, temperature), pressure);
  path.theta = potential_temperature(temperature, pressure);
  if (path.lcl.pressure > env.temperature.top()) {
    path.moist =
        moist_adiabat_through(path.lcl.temperature, path.lcl.pressure, env.temperature.top());
  }
  sample_pressures(path, pressure, env);
  const size_t samples = path.pressures.size();
  for (auto* v : {&path.temperature, &path.virtual_temperature, &path.env_temperature,
                  &path.env_virtual_temperature, &path.slope, &path.virtual_slope}) {
    v->resize(samples);
  }
  const std::vector<double>& ex = env.log_pressures;
  const std::vector<double>& et = env.temperature.values;
  const std::vector<double>& ev = env.virtual_temperature.values;
  size_t k = 0;  // the environment's layer [k, k + 1] holding the sample
  for (size_t i = 0; i < samples; ++i) {
    const double p = path.pressures[i], x = path.log_pressures[i];
    AdiabatNode parcel;  // dry: T = theta (p / 1000)^kappa, so dT/d(ln p) = kappa T
    if (p >= path.lcl.pressure) {
      const double t = path.theta * std::exp(KAPPA * (x - LOG_1000));
      const double tv = virtual_temperature(t, path.ratio);
      parcel = {t, KAPPA * t, tv, KAPPA * tv};
    } else {
      path.moist.read(x, parcel);
    }
    while (k + 2 < ex.size() && ex[k + 1] >= x) ++k;
    const double f = (x - ex[k]) / (ex[k + 1] - ex[k]);
    path.temperature[i] = parcel.temperature;
    path.virtual_temperature[i] = parcel.virtual_temperature;
    path.slope[i] = parcel.slope;
    path.virtual_slope[i] = parcel.virtual_slope;
    path.env_temperature[i] = et[k] + f * (et[k + 1] - et[k]);
    path.env_virtual_temperature[i] = ev[k] + f * (ev[k + 1] - ev[k]);
  }
  return path;
}

double parcel_temperature_at(const ParcelPath& path, double pressure, bool virtual_form) {
  if (path.empty() || !(pressure <= path.pressures.front() && pressure >= path.pressures.back())) {
    return ABSENT;
  }
  if (pressure >= path.lcl.pressure) {
    const double t = dry_adiabat_temperature(path.theta, pressure);
    return virtual_form ? virtual_temperature(t, path.ratio) : t;
  }
  const double t = path.moist.temperature(std::log(pressure));
  return virtual_form ? virtual_temperature(t, saturation_mixing_ratio(t, pressure)) : t;
}

double lifted_temperature(double pressure, double temperature, double dew_point, double to_pressure,
                          const Environment& env) {
  if (env.temperature.empty() || pressure > env.temperature.bottom() ||
      pressure <= env.temperature.top() || to_pressure < env.temperature.top() ||
      to_pressure > pressure) {
    return ABSENT;
  }
  const CondensationLevel lcl = condensation_level(temperature, dew_point, pressure);
  if (to_pressure >= lcl.pressure) {
    return dry_adiabat_temperature(potential_temperature(temperature, pressure), to_pressure);
  }
  return moist_adiabat_through(lcl.temperature, lcl.pressure, to_pressure)
      .temperature(std::log(to_pressure));
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
