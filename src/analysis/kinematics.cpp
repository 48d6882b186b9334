#include "analysis/kinematics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "records/sounding.h"

namespace wxfetch {

namespace {

constexpr double BUNKERS_DEVIATION = 7.5;  // m/s

}  // namespace

WindProfile wind_profile(const Profile& profile, int surface, const Series& heights) {
  WindProfile winds;
  if (surface < 0) return winds;
  const ProfileLevel& ground = profile.levels[static_cast<size_t>(surface)];
  if (!present(ground.height)) return winds;
  for (const ProfileLevel& level : profile.levels) {
    if (!present(level.pressure) || level.pressure > ground.pressure) continue;
    if (!present(level.wind_speed) || !present(level.wind_direction)) continue;
    const double z =
        (present(level.height) ? level.height : value_at(heights, level.pressure)) - ground.height;
    if (!present(z) || z < 0 || (!winds.height.empty() && z <= winds.height.back())) continue;
    const double a = level.wind_direction * std::numbers::pi / 180.0;
    const double speed = level.wind_speed / KNOTS_PER_MS;
    winds.height.push_back(z);
    winds.u.push_back(-speed * std::sin(a));
    winds.v.push_back(-speed * std::cos(a));
  }
  return winds;
}

WindVector wind_at(const WindProfile& w, double z) {
  if (w.height.empty() || !(z >= w.height.front() && z <= w.height.back())) return {};
  const size_t i =
      static_cast<size_t>(std::upper_bound(w.height.begin(), w.height.end(), z) - w.height.begin());
  if (i == w.height.size()) return {w.u.back(), w.v.back()};
  const double f = (z - w.height[i - 1]) / (w.height[i] - w.height[i - 1]);
  return {w.u[i - 1] + f * (w.u[i] - w.u[i - 1]), w.v[i - 1] + f * (w.v[i] - w.v[i - 1])};
}

WindVector mean_wind(const WindProfile& w, double bottom, double top) {
  const WindVector low = wind_at(w, bottom), high = wind_at(w, top);
  if (!present(low.u) || !present(high.u) || !(top > bottom)) return {};
  double z0 = bottom, su = 0, sv = 0;
  WindVector w0 = low;
  for (size_t i = 0; i <= w.height.size(); ++i) {
    const bool last = i == w.height.size() || w.height[i] >= top;
    if (!last && w.height[i] <= bottom) continue;
    const double z1 = last ? top : w.height[i];
    const WindVector w1 = last ? high : WindVector{w.u[i], w.v[i]};
    su += 0.5 * (w0.u + w1.u) * (z1 - z0);
    sv += 0.5 * (w0.v + w1.v) * (z1 - z0);
    if (last) break;
    z0 = z1, w0 = w1;
  }
  return {su / (top - bottom), sv / (top - bottom)};
}

double bulk_shear(const WindProfile& w, double top) {
  const WindVector low = wind_at(w, 0), high = wind_at(w, top);
  return std::hypot(high.u - low.u, high.v - low.v);
}

StormMotions bunkers_storm_motions(const WindProfile& w) {
  const WindVector mean = mean_wind(w, 0, 6000);
  const WindVector low = mean_wind(w, 0, 500), high = mean_wind(w, 5500, 6000);
  const double su = high.u - low.u, sv = high.v - low.v;
  const double length = std::hypot(su, sv);
  if (!present(mean.u) || !present(length) || length == 0) return {};
  // The shear turned 90 degrees clockwise points to the right of it.
  const double ru = sv / length * BUNKERS_DEVIATION, rv = -su / length * BUNKERS_DEVIATION;
  return {{mean.u + ru, mean.v + rv}, {mean.u - ru, mean.v - rv}};
}

double storm_relative_helicity(const WindProfile& w, double top, WindVector c) {
  const WindVector low = wind_at(w, 0), high = wind_at(w, top);
  if (!present(low.u) || !present(high.u) || !present(c.u)) return ABSENT;
  double sum = 0;
  WindVector w0 = low;
  for (size_t i = 0; i <= w.height.size(); ++i) {
    const bool last = i == w.height.size() || w.height[i] >= top;
    if (!last && w.height[i] <= 0) continue;
    const WindVector w1 = last ? high : WindVector{w.u[i], w.v[i]};
    sum += (w1.u - c.u) * (w0.v - c.v) - (w0.u - c.u) * (w1.v - c.v);
    if (last) break;
    w0 = w1;
  }
  return sum;
}

double wind_direction(WindVector w) {
  if (!present(w.u) || !present(w.v)) return ABSENT;
  const double d = std::atan2(-w.u, -w.v) * 180.0 / std::numbers::pi;
  return d < 0 ? d + 360 : d;
}

double wind_speed(WindVector w) {
  return std::hypot(w.u, w.v);
}

}  // namespace wxfetch
