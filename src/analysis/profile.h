// A sounding in physical units for analysis and drawing: levels ordered from the ground up
// (pressure falling), NaN for an absent value, wind speed in knots, and the station and time it
// belongs to. Made from a decoded Sounding or by the readers of KVT and CSV files.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "records/sounding.h"

namespace wxfetch {

inline constexpr double ABSENT = std::numeric_limits<double>::quiet_NaN();

inline bool present(double value) {
  return !std::isnan(value);
}

struct StationInfo {
  long wmo = 0;
  long wban = 0;
  std::string initials;
  double latitude = ABSENT;   // degrees, north positive
  double longitude = ABSENT;  // degrees, east positive
  double elevation = ABSENT;  // metres
};

struct ProfileLevel {
  int32_t kind = NO_KIND;
  double pressure = ABSENT;        // hPa
  double height = ABSENT;          // m
  double temperature = ABSENT;     // degrees C
  double dew_point = ABSENT;       // degrees C
  double wind_direction = ABSENT;  // degrees
  double wind_speed = ABSENT;      // knots
};

struct Profile {
  StationInfo station;
  int year = 0, month = 0, day = 0, hour = 0;
  std::vector<ProfileLevel> levels;
};

// The observation time as YYYYMMDDHH text, and in ISO 8601 UTC ("1999-03-01T00:00Z").
std::string date_hour_text(const Profile& profile);
std::string iso_time_text(const Profile& profile);

// Converts the decoded levels (tenths, 99999 absent) and finishes the profile.
Profile profile_from_sounding(const Sounding& sounding, const StationInfo& station);

// The pressures (hPa) a level may have; others are taken as absent.
constexpr double MIN_PRESSURE = 0.1;
constexpr double MAX_PRESSURE = 1100;

// Makes implausible values absent (pressure outside MIN_PRESSURE to MAX_PRESSURE, temperature or
// dew point outside -150 to 70 C, wind direction outside 0-360 degrees, speed above 500 knots),
// then puts the levels in order of falling pressure (keeping the order of equal pressures) and
// gives levels that only have a height (wind levels) the pressure interpolated, linear in ln p,
// between the levels around that height that have both. Levels with neither stay at the end.
void finish_profile(Profile& profile);

// The pressure at `height`, linear in ln p between the levels (in falling pressure) around it
// that have both; NaN outside their range.
double pressure_at_height(const std::vector<ProfileLevel>& levels, double height);

// The surface: the first level of kind SURFACE with a pressure, else the first level with a
// pressure and a temperature. Returns -1 when there is none.
int surface_index(const Profile& profile);

// A quantity sampled at falling pressures: `pressures` (hPa) and `values` of equal length.
struct Series {
  std::vector<double> pressures;
  std::vector<double> values;
  bool empty() const { return pressures.empty(); }
  double top() const { return pressures.back(); }
  double bottom() const { return pressures.front(); }
};

// The value at `pressure`, linear in ln p between the samples around it; NaN outside the
// series' pressure range.
double value_at(const Series& series, double pressure);

// The pressure-weighted mean of the series between pressures `bottom` and `top` (bottom > top),
// integrated exactly for the series linear in ln p between its samples; NaN when the series does
// not cover the layer.
double layer_mean(const Series& series, double bottom, double top);

// The samples of one level field at and above the surface level (pressure at most the
// surface's), skipping levels where it is absent. `field` is a member pointer of ProfileLevel.
Series series_of(const Profile& profile, double ProfileLevel::*field, double surface_pressure);

// The heights (m) of the levels that have a pressure and a height, by falling pressure.
Series height_series(const Profile& profile);

}  // namespace wxfetch
