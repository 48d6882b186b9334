#include "analysis/profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/text.h"

namespace wxfetch {

namespace {

double tenths(int32_t value) {
  return value == MISSING_VALUE ? ABSENT : value / 10.0;
}

double whole(int32_t value) {
  return value == MISSING_VALUE ? ABSENT : static_cast<double>(value);
}

// A value outside what the atmosphere can hold (from a damaged record or file) is taken as
// absent; this also bounds every loop over pressure.
void keep_plausible(ProfileLevel& level) {
  const auto limit = [](double& value, double low, double high) {
    if (!(value >= low && value <= high)) value = ABSENT;
  };
  limit(level.pressure, MIN_PRESSURE, MAX_PRESSURE);
  limit(level.temperature, -150, 70);
  limit(level.dew_point, -150, 70);
  limit(level.wind_direction, 0, 360);
  limit(level.wind_speed, 0, 500);
}

}  // namespace

double pressure_at_height(const std::vector<ProfileLevel>& levels, double height) {
  const ProfileLevel* below = nullptr;
  for (const ProfileLevel& level : levels) {
    if (!present(level.pressure) || !present(level.height)) continue;
    if (level.height == height) return level.pressure;
    if (below != nullptr && below->height < height && height < level.height) {
      const double f = (height - below->height) / (level.height - below->height);
      return std::exp(std::log(below->pressure) +
                      f * (std::log(level.pressure) - std::log(below->pressure)));
    }
    below = &level;
  }
  return ABSENT;
}

std::string date_hour_text(const Profile& p) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d", p.year, p.month, p.day, p.hour);
  return text;
}

std::string iso_time_text(const Profile& p) {
  return iso_time(p.year, p.month, p.day, p.hour);
}

Profile profile_from_sounding(const Sounding& sounding, const StationInfo& station) {
  Profile profile;
  profile.station = station;
  profile.year = sounding.year;
  profile.month = sounding.month;
  profile.day = sounding.day;
  profile.hour = sounding.hour;
  const int count = std::clamp(static_cast<int>(sounding.level_count), 0, MAX_LEVELS);
  for (int i = 0; i < count; ++i) {
    const SoundingLevel& s = sounding.levels[i];
    ProfileLevel level;
    level.kind = s.kind;
    level.pressure = tenths(s.pressure);
    level.height = whole(s.height);
    level.temperature = tenths(s.temperature);
    level.dew_point = tenths(s.dew_point);
    level.wind_direction = whole(s.wind_direction);
    level.wind_speed = s.wind_speed == MISSING_VALUE ? ABSENT : s.wind_speed * KNOTS_PER_MS / 10;
    profile.levels.push_back(level);
  }
  finish_profile(profile);
  return profile;
}

namespace {

// Puts the levels with a pressure first, in falling pressure (equal pressures keep their order);
// returns how many there are. Files list their levels in order, so the sort is mostly skipped.
size_t order_by_pressure(std::vector<ProfileLevel>& levels) {
  const auto has_pressure = [](const ProfileLevel& l) { return present(l.pressure); };
  const auto falling = [](const ProfileLevel& a, const ProfileLevel& b) {
    return a.pressure > b.pressure;
  };
  const auto end = std::stable_partition(levels.begin(), levels.end(), has_pressure);
  if (!std::is_sorted(levels.begin(), end, falling)) std::stable_sort(levels.begin(), end, falling);
  return static_cast<size_t>(end - levels.begin());
}

}  // namespace

void finish_profile(Profile& profile) {
  std::vector<ProfileLevel>& levels = profile.levels;
  for (ProfileLevel& level : levels) keep_plausible(level);
  const size_t with_pressure = order_by_pressure(levels);
  if (with_pressure == levels.size()) return;
  std::vector<ProfileLevel> placed;
  for (size_t i = with_pressure; i < levels.size(); ++i) {
    ProfileLevel level = levels[i];
    if (present(level.height)) level.pressure = pressure_at_height(levels, level.height);
    placed.push_back(level);
  }
  levels.resize(with_pressure);
  levels.insert(levels.end(), placed.begin(), placed.end());
  order_by_pressure(levels);
}

int surface_index(const Profile& profile) {
  const auto& levels = profile.levels;
  for (size_t i = 0; i < levels.size(); ++i) {
    if (levels[i].kind == SURFACE && present(levels[i].pressure)) return static_cast<int>(i);
  }
  for (size_t i = 0; i < levels.size(); ++i) {
    if (present(levels[i].pressure) && present(levels[i].temperature)) return static_cast<int>(i);
  }
  return -1;
}

double value_at(const Series& s, double pressure) {
  if (s.empty() || pressure > s.bottom() || pressure < s.top()) return ABSENT;
  const auto it = std::lower_bound(s.pressures.begin(), s.pressures.end(), pressure,
                                   [](double a, double b) { return a > b; });
  const size_t i = static_cast<size_t>(it - s.pressures.begin());
  if (s.pressures[i] == pressure || i == 0) return s.values[i];
  const double p0 = s.pressures[i - 1], p1 = s.pressures[i];
  const double f = std::log(pressure / p0) / std::log(p1 / p0);
  return s.values[i - 1] + f * (s.values[i] - s.values[i - 1]);
}

namespace {

// The integral over p from p1 up to p0 (p0 > p1) of a value that is v0 at p0 and v1 at p1 and
// linear in ln p between: with L(p) = ln(p / p0) / ln(p1 / p0),
// v0 (p0 - p1) + (v1 - v0) integral of L dp, and integral of ln p dp = p ln p - p.
double segment_integral(double p0, double v0, double p1, double v1) {
  const double x0 = std::log(p0), x1 = std::log(p1);
  const double integral_of_log = (p0 * x0 - p0) - (p1 * x1 - p1);  // of ln p, from p1 to p0
  const double integral_of_l = (integral_of_log - x0 * (p0 - p1)) / (x1 - x0);
  return v0 * (p0 - p1) + (v1 - v0) * integral_of_l;
}

}  // namespace

double layer_mean(const Series& s, double bottom, double top) {
  if (s.empty() || bottom > s.bottom() || top < s.top() || !(bottom > top)) return ABSENT;
  double sum = 0;
  double p0 = bottom, v0 = value_at(s, bottom);
  for (size_t i = 0; i < s.pressures.size() && p0 > top; ++i) {
    if (s.pressures[i] >= p0) continue;
    const double p1 = std::max(s.pressures[i], top);
    const double v1 = p1 == s.pressures[i] ? s.values[i] : value_at(s, p1);
    sum += segment_integral(p0, v0, p1, v1);
    p0 = p1, v0 = v1;
  }
  return sum / (bottom - top);
}

Series series_of(const Profile& profile, double ProfileLevel::*field, double surface_pressure) {
  Series s;
  for (const ProfileLevel& level : profile.levels) {
    const double value = level.*field;
    if (!present(level.pressure) || !present(value) || level.pressure > surface_pressure) continue;
    if (!s.empty() && level.pressure >= s.pressures.back()) continue;  // a repeated pressure
    s.pressures.push_back(level.pressure);
    s.values.push_back(value);
  }
  return s;
}

Series height_series(const Profile& profile) {
  Series s;
  for (const ProfileLevel& level : profile.levels) {
    if (!present(level.pressure) || !present(level.height)) continue;
    if (!s.empty() && level.pressure >= s.pressures.back()) continue;
    s.pressures.push_back(level.pressure);
    s.values.push_back(level.height);
  }
  return s;
}

}  // namespace wxfetch
