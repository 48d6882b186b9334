// wxsample: writes the sample archive.
//
//   wxsample DATABASE_DIRECTORY
//
// Eight stations of the shipped station tables (six North American, two international sites)
// over 1998 and 1999: soundings at 00 and 12 UTC on most days and a few at 06 and 18 UTC, each
// with 40 to 120 levels (surface, mandatory levels, significant temperature levels, wind levels
// by height, the tropopause and the level of maximum wind). The atmosphere is a standard one
// with a seasonal and daily cycle and weather-like variation drawn from a fixed integer
// generator seeded by station and date. Only exactly rounded arithmetic (+ - * / and
// floor) is used, with logarithms and exponentials summed from their series here, so that every
// machine writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "database/archive_writer.h"

namespace {

using wxfetch::days_in_month;
using wxfetch::leap_year;
using wxfetch::pack::ABSENT;
using wxfetch::pack::PackLevel;
using wxfetch::pack::PackSounding;

// Level kinds as the decoder gives them.
constexpr int32_t MANDATORY = 4;
constexpr int32_t SIGNIFICANT = 5;
constexpr int32_t WIND = 6;
constexpr int32_t TROPOPAUSE = 7;
constexpr int32_t MAX_WIND = 8;
constexpr int32_t SURFACE = 9;

constexpr int FIRST_YEAR = 1998;
constexpr int LAST_YEAR = 1999;

// Mandatory levels in mb, surface upwards.
constexpr int MANDATORY_MB[] = {1000, 925, 850, 700, 500, 400, 300, 250,
                                200,  150, 100, 70,  50,  30,  20,  10};

struct Station {
  int32_t wban;  // 900000 + WMO number for an international site
  double latitude;
  double longitude;        // east positive
  int elevation;           // metres
  int32_t sonde_types[2];  // the sonde used in 1998 and in 1999
  int32_t indicator_a;
  // The year whose soundings also report the standard levels below the ground (0: none), as
  // TTAA messages do: extrapolated height only, stored right after the surface.
  int below_ground_year;
};

// WBAN/WMO: 23062/72469 Denver, 94823/72520 Pittsburgh, 23230/72493 Oakland, 94980/72558
// Omaha/Valley, 24011/72764 Bismarck, 92803/72202 Miami; international sites 03808 Camborne and
// 94610 Perth.
const Station STATIONS[] = {
    {23062, 39.77, -104.87, 1611, {51, 52}, 2, 1999},
    {94823, 40.53, -80.23, 360, {51, 51}, 2, 1998},
    {23230, 37.73, -122.22, 3, {52, 52}, 3, 0},
    {94980, 41.32, -96.37, 350, {37, 52}, 2, 1999},
    {24011, 46.77, -100.75, 503, {51, 52}, 2, 1998},
    {92803, 25.75, -80.38, 4, {61, 61}, 4, 0},
    {903808, 50.22, -5.32, 88, {63, 63}, 1, 0},
    {994610, -31.92, 115.97, 20, {45, 46}, 6, 0},
};

// ---- Deterministic arithmetic --------------------------------------------------------------

constexpr double LN2 = 0.6931471805599453;

// Natural logarithm from the series of atanh; x > 0.
double ln(double x) {
  int exponent = 0;
  const double mantissa = std::frexp(x, &exponent);  // exact: x = mantissa * 2^exponent
  const double t = (mantissa - 1) / (mantissa + 1);
  const double t2 = t * t;
  double term = t;
  double sum = 0;
  for (int k = 1; k < 60; k += 2) {
    sum += term / k;
    term *= t2;
  }
  return 2 * sum + exponent * LN2;
}

// Exponential from its Taylor series after taking out a power of two.
double ex(double x) {
  const double whole = std::floor(x / LN2 + 0.5);
  const double rest = x - whole * LN2;
  double term = 1;
  double sum = 1;
  for (int k = 1; k < 30; ++k) {
    term *= rest / k;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(whole));
}

int32_t round_to_int(double x) {
  return static_cast<int32_t>(std::floor(x + 0.5));
}

// A periodic wave of period 1 between -1 and 1 (1 at whole numbers, -1 halfway).
double wave(double x) {
  const double t = x - std::floor(x);
  return 1 - 8 * t * (1 - t);
}

// splitmix64: the same numbers on every machine.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double between(double low, double high) { return low + (high - low) * unit(); }
  // Uniform whole number in [low, high].
  int pick(int low, int high) {
    return low + static_cast<int>(next() % static_cast<uint64_t>(high - low + 1));
  }
  bool chance(double probability) { return unit() < probability; }

 private:
  uint64_t state_;
};

// ---- Calendar -------------------------------------------------------------------------------

// Days since 1 January of FIRST_YEAR.
int day_number(int year, int month, int day) {
  int days = day - 1;
  for (int y = FIRST_YEAR; y < year; ++y) days += leap_year(y) ? 366 : 365;
  for (int m = 1; m < month; ++m) days += days_in_month(year, m);
  return days;
}

// ---- The atmosphere of one sounding ------------------------------------------------------

constexpr double GAS_OVER_GRAVITY = 287.05 / 9.80665;  // metres per kelvin of thickness
constexpr double KELVIN = 273.15;

// Slow weather of a station: a few waves of periods of days with phases of the station.
struct Weather {
  double phase[4];
  explicit Weather(const Station& station) {
    Generator generator(0x5EED0000ull + static_cast<uint64_t>(station.wban));
    for (double& p : phase) p = generator.unit();
  }
  // Roughly -1 .. 1.
  double at(double days, int which) const {
    static const double PERIODS[] = {4.7, 8.3, 15.1, 29.9};
    return 0.45 * wave(days / PERIODS[which] + phase[which]) +
           0.35 * wave(days / PERIODS[(which + 1) % 4] + phase[(which + 2) % 4]) +
           0.2 * wave(days / PERIODS[(which + 2) % 4] + phase[(which + 3) % 4]);
  }
};

struct Profile {
  double surface_height;
  double surface_temperature;   // K
  double inversion_top;         // m above the surface (0: none)
  double inversion_depth;       // K colder at the ground than the lapse line
  double lapse_rate;            // K per m
  double tropopause_height;     // m
  double stratosphere_warming;  // K per m, from 8 km above the tropopause
  double jet_height;
  double jet_speed;  // m/s
  int surface_direction;
  double surface_speed;
  int upper_direction;
  double direction_phase;  // of the swing of the upper wind direction with height
  double dryness;          // dew point depression growth, K per m
  double surface_depression;
  double moist_layer;  // height of a nearly saturated layer

  double temperature(double z) const {
    const double above = z - surface_height;
    double t = surface_temperature - lapse_rate * std::min(z, tropopause_height) +
               lapse_rate * surface_height;
    if (z > tropopause_height + 8000) t += stratosphere_warming * (z - tropopause_height - 8000);
    if (above < inversion_top) t -= inversion_depth * (1 - above / inversion_top);
    return std::max(t, 180.0);
  }
  double dew_point(double z, double t) const {
    double depression = surface_depression + dryness * (z - surface_height);
    const double from_moist = (z - moist_layer) / 600;
    if (from_moist > -1 && from_moist < 1) depression *= 0.15 + 0.85 * from_moist * from_moist;
    return t - std::min(std::max(depression, 0.3), 45.0);
  }
  double wind_speed(double z) const {
    const double above = z - surface_height;
    if (above < 1000) return surface_speed + (0.35 * jet_speed - surface_speed) * above / 1000;
    if (z < jet_height) {
      const double low = std::max(surface_height + 1000, 0.0);
      return 0.35 * jet_speed + 0.65 * jet_speed * (z - low) / (jet_height - low);
    }
    const double falling = (z - jet_height) / 9000;
    return jet_speed * std::max(0.2, 1 - 0.8 * std::min(falling, 1.0)) + 2 * falling;
  }
  int wind_direction(double z) const {
    // Turns from the surface direction to the upper one through the shorter way by 6 km.
    int turn = ((upper_direction - surface_direction) % 360 + 540) % 360 - 180;
    const double share = std::min(std::max((z - surface_height) / 6000, 0.0), 1.0);
    int direction = surface_direction + round_to_int(turn * share) +
                    round_to_int(share * 18 * wave(z / 7000 + direction_phase));
    direction = (direction % 360 + 360) % 360;
    return direction == 0 ? 360 : direction;
  }
};

// One point of the pressure grid from the surface up.
struct GridPoint {
  double pressure;  // mb
  double height;    // m
  double temperature;
};

Profile make_profile(const Station& station, const Weather& weather, int year, int month, int day,
                     int hour, Generator& generator) {
  const double days = day_number(year, month, day) + hour / 24.0;
  const double latitude = std::fabs(station.latitude);
  // Season: 1 at the warmest time (late July north, late January south), -1 half a year away.
  double season = wave((days - 205) / 365.25);
  if (station.latitude < 0) season = -season;
  // Local solar hour: afternoon warmth, morning inversions.
  double local_hour = hour + station.longitude / 15;
  local_hour -= 24 * std::floor(local_hour / 24);
  const double afternoon = wave((local_hour - 15) / 24);

  Profile p{};
  p.surface_height = station.elevation;
  const double sea_level_mean = 301 - 0.45 * std::max(latitude - 15, 0.0);
  p.surface_temperature = sea_level_mean - 0.0065 * station.elevation +
                          (1 + 0.3 * latitude) * season + 3.5 * afternoon +
                          (2 + 0.1 * latitude) * weather.at(days, 0) + generator.between(-1, 1);
  p.lapse_rate = 0.0065 + 0.0006 * weather.at(days, 1) + generator.between(-0.0002, 0.0002);
  if (local_hour > 2 && local_hour < 10 && generator.chance(0.6)) {
    p.inversion_top = generator.between(150, 600);
    p.inversion_depth = generator.between(1, 6);
  }
  // About 16.5 km in the tropics, 12 km at 40 degrees, 10 km at 50 degrees; higher in summer.
  p.tropopause_height = 16500 - 250 * std::min(std::max(latitude - 22, 0.0), 24.0) -
                        80 * std::max(latitude - 46, 0.0) + 700 * season +
                        700 * weather.at(days, 2) + generator.between(-300, 300);
  p.stratosphere_warming = generator.between(0.0008, 0.0018);
  p.jet_height = p.tropopause_height - generator.between(300, 1500);
  const double jet_strength = latitude < 28 ? 14 : 32 - 12 * season;
  p.jet_speed = std::max(6.0, jet_strength + 14 * weather.at(days, 3) + generator.between(-5, 5));
  p.surface_direction = generator.pick(1, 360);
  p.surface_speed = generator.chance(0.05) ? 0 : generator.between(0.5, 9);
  p.upper_direction = latitude < 22 ? generator.pick(40, 140) : generator.pick(235, 315);
  p.direction_phase = generator.unit();
  p.surface_depression = generator.between(1, 14) + 3 * afternoon;
  p.dryness = generator.between(0.0005, 0.003);
  p.moist_layer = p.surface_height + generator.between(800, 6000);
  return p;
}

std::vector<GridPoint> make_grid(const Profile& profile, double surface_pressure,
                                 double top_pressure) {
  constexpr double STEP = 0.99;  // each grid pressure is 1% below the one before
  static const double STEP_LOG = ln(1 / STEP);
  std::vector<GridPoint> grid;
  GridPoint point{surface_pressure, profile.surface_height,
                  profile.temperature(profile.surface_height)};
  grid.push_back(point);
  while (point.pressure > top_pressure) {
    // Thickness of the step from the mean temperature of its layer (two passes).
    double height = point.height + GAS_OVER_GRAVITY * point.temperature * STEP_LOG;
    const double mean = (point.temperature + profile.temperature(height)) / 2;
    height = point.height + GAS_OVER_GRAVITY * mean * STEP_LOG;
    point = GridPoint{point.pressure * STEP, height, profile.temperature(height)};
    grid.push_back(point);
  }
  return grid;
}

// Height of a pressure (mb) from the grid, interpolated in the logarithm of pressure.
double height_at_pressure(const std::vector<GridPoint>& grid, double pressure) {
  for (size_t i = 0; i + 1 < grid.size(); ++i) {
    if (pressure <= grid[i].pressure && pressure >= grid[i + 1].pressure) {
      const double share =
          ln(grid[i].pressure / pressure) / ln(grid[i].pressure / grid[i + 1].pressure);
      return grid[i].height + share * (grid[i + 1].height - grid[i].height);
    }
  }
  return grid.back().height;
}

// Pressure (mb) at a height from the grid.
double pressure_at_height(const std::vector<GridPoint>& grid, double height) {
  for (size_t i = 0; i + 1 < grid.size(); ++i) {
    if (height >= grid[i].height && height <= grid[i + 1].height) {
      const double share = (height - grid[i].height) / (grid[i + 1].height - grid[i].height);
      return grid[i].pressure * ex(-share * ln(grid[i].pressure / grid[i + 1].pressure));
    }
  }
  return grid.back().pressure;
}

// Height (m) of a pressure (mb) below the ground, extrapolated from the surface down through air
// that warms at the standard lapse rate of 6.5 K per km (two passes for the layer's mean).
double height_below_ground(const Profile& profile, double surface_pressure, double pressure) {
  constexpr double STANDARD_LAPSE = 0.0065;
  const double surface_temperature = profile.temperature(profile.surface_height);
  const double log_ratio = ln(pressure / surface_pressure);
  double depth = GAS_OVER_GRAVITY * surface_temperature * log_ratio;
  depth = GAS_OVER_GRAVITY * (surface_temperature + STANDARD_LAPSE * depth / 2) * log_ratio;
  return profile.surface_height - depth;
}

int32_t tenths_celsius(double kelvin) {
  return round_to_int((kelvin - KELVIN) * 10);
}

// A level in the making with the height it is sorted by (stored or not).
struct Draft {
  PackLevel level;
  double height;
};

void add_wind(PackLevel& level, const Profile& profile, double height) {
  const double speed = profile.wind_speed(height);
  level.wind_speed = round_to_int(speed * 10);
  level.wind_direction = level.wind_speed == 0 ? 0 : profile.wind_direction(height);
}

void add_thermal(PackLevel& level, const Profile& profile, double height, Generator& generator) {
  const double t = profile.temperature(height);
  level.temperature = tenths_celsius(t);
  // No humidity is reported in air colder than -40 C.
  if (t > KELVIN - 40 && !generator.chance(0.01)) {
    level.dew_point = std::min(tenths_celsius(profile.dew_point(height, t)), level.temperature);
  }
}

// The header of a sounding: its station and time, release time, sonde, indicators and optional
// block.
PackSounding sounding_header(const Station& station, int year, int month, int day, int hour,
                             Generator& generator) {
  PackSounding sounding;
  sounding.wban = station.wban;
  sounding.year = year;
  sounding.month = month;
  sounding.day = day;
  sounding.hour = hour;
  sounding.release_time =
      generator.chance(0.01) ? ABSENT : ((hour + 23) % 24) * 100 + 60 - generator.pick(30, 60);
  sounding.sonde_type = station.sonde_types[year - FIRST_YEAR];
  sounding.indicator_a = generator.chance(0.9) ? station.indicator_a : generator.pick(0, 6);
  sounding.indicator_b = generator.pick(0, 14);
  sounding.optional_entries = generator.chance(0.1) ? generator.pick(1, 4) : -1;
  return sounding;
}

// The levels of one sounding in the making, added kind by kind and stored sorted by height. Each
// pressure is used by one level only.
class LevelDrafts {
 public:
  LevelDrafts(const Profile& profile, double surface_pressure, double top_pressure,
              Generator& generator)
      : profile_(profile),
        generator_(generator),
        surface_pressure_(surface_pressure),
        top_pressure_(top_pressure),
        grid_(make_grid(profile, surface_pressure, top_pressure)),
        top_height_(grid_.back().height),
        surface_tenths_(round_to_int(surface_pressure * 10)) {}

  void add_surface(int elevation) {
    Draft surface{{SURFACE}, profile_.surface_height};
    surface.level.pressure = surface_tenths_;
    surface.level.height = elevation;
    add_thermal(surface.level, profile_, profile_.surface_height, generator_);
    add_wind(surface.level, profile_, profile_.surface_height);
    drafts_.push_back(surface);
    pressures_.push_back(surface_tenths_);
  }

  // Standard levels below the ground: stored after the surface, from the highest pressure up,
  // whatever their heights.
  void add_below_ground() {
    for (int mb : MANDATORY_MB) {
      if (mb * 10 <= surface_tenths_) break;
      PackLevel level{MANDATORY};
      level.pressure = mb * 10;
      level.height = wxfetch::pack::storable_height(
          round_to_int(height_below_ground(profile_, surface_pressure_, mb)));
      below_ground_.push_back(level);
      pressures_.push_back(mb * 10);
    }
  }

  // The standard levels between the surface and the top.
  void add_mandatory() {
    for (int mb : MANDATORY_MB) {
      if (mb * 10 >= surface_tenths_ || mb < top_pressure_) continue;
      const double height = height_at_pressure(grid_, mb);
      Draft draft{{MANDATORY}, height};
      draft.level.pressure = mb * 10;
      draft.level.height = wxfetch::pack::storable_height(round_to_int(height));
      add_thermal(draft.level, profile_, height, generator_);
      add_wind(draft.level, profile_, height);
      drafts_.push_back(draft);
      pressures_.push_back(mb * 10);
    }
  }

  // The tropopause and the level of maximum wind, when the balloon reached them.
  void add_tropopause_and_max_wind() {
    if (profile_.tropopause_height < top_height_) {
      add_pressure_level(TROPOPAUSE, profile_.tropopause_height, true, true);
    }
    if (profile_.jet_height < top_height_) {
      add_pressure_level(MAX_WIND, profile_.jet_height, true, false);
    }
  }

  // Wind levels by height: three in the first 900 m above the ground, then every 1 to 2 km.
  void add_wind_levels() {
    const double wind_step = generator_.between(1000, 2000);
    for (double height = profile_.surface_height + 300; height < top_height_;
         height += height < profile_.surface_height + 900 ? 300 : wind_step) {
      Draft draft{{WIND}, height};
      draft.level.height = wxfetch::pack::storable_height(round_to_int(height));
      add_wind(draft.level, profile_, height);
      drafts_.push_back(draft);
    }
  }

  // Significant temperature levels fill the sounding up to its size, denser near the ground.
  void add_significant_levels() {
    const int wanted = generator_.pick(40, 120);
    const int significant =
        std::max(5, wanted - static_cast<int>(drafts_.size() + below_ground_.size()));
    for (int added = 0, tries = 0; added < significant && tries < 4 * significant; ++tries) {
      const double share = generator_.unit();
      const double height = profile_.surface_height + 20 +
                            share * share * (top_height_ - profile_.surface_height - 40);
      if (add_pressure_level(SIGNIFICANT, height, false, true)) ++added;
    }
  }

  // Stores the levels by height (the levels below the ground right after the surface) with the
  // reference level numbers of the surface, the tropopause and the maximum wind.
  void store(PackSounding& sounding) {
    std::stable_sort(drafts_.begin(), drafts_.end(),
                     [](const Draft& a, const Draft& b) { return a.height < b.height; });
    sounding.level_reference_1 = 1;
    for (size_t i = 0; i < drafts_.size(); ++i) {
      sounding.levels.push_back(drafts_[i].level);
      if (i == 0)
        sounding.levels.insert(sounding.levels.end(), below_ground_.begin(), below_ground_.end());
      const auto number = static_cast<int32_t>(sounding.levels.size());
      if (drafts_[i].level.kind == TROPOPAUSE) sounding.level_reference_2 = number;
      if (drafts_[i].level.kind == MAX_WIND) sounding.level_reference_3 = number;
    }
  }

 private:
  // Adds a level at a height unless its pressure is taken; returns whether it was added.
  bool add_pressure_level(int32_t kind, double height, bool with_height, bool thermal) {
    const int32_t tenths = round_to_int(pressure_at_height(grid_, height) * 10);
    if (std::find(pressures_.begin(), pressures_.end(), tenths) != pressures_.end()) return false;
    pressures_.push_back(tenths);
    Draft draft{{kind}, height};
    draft.level.pressure = tenths;
    if (with_height) draft.level.height = wxfetch::pack::storable_height(round_to_int(height));
    if (thermal) add_thermal(draft.level, profile_, height, generator_);
    if (kind != SIGNIFICANT) add_wind(draft.level, profile_, height);
    drafts_.push_back(draft);
    return true;
  }

  const Profile& profile_;
  Generator& generator_;
  const double surface_pressure_;
  const double top_pressure_;
  const std::vector<GridPoint> grid_;
  const double top_height_;
  const int32_t surface_tenths_;
  std::vector<Draft> drafts_;
  std::vector<int32_t> pressures_;  // tenths of mb in use
  std::vector<PackLevel> below_ground_;
};

PackSounding make_sounding(const Station& station, const Weather& weather, int year, int month,
                           int day, int hour) {
  const uint64_t date = static_cast<uint64_t>(((year * 100 + month) * 100 + day) * 100 + hour);
  Generator generator(static_cast<uint64_t>(station.wban) * 0x100000001B3ull ^ date);
  const Profile profile = make_profile(station, weather, year, month, day, hour, generator);
  PackSounding sounding = sounding_header(station, year, month, day, hour, generator);

  // Surface pressure from the elevation, with the weather.
  const double surface_pressure = 1013.25 * ex(5.25588 * ln(1 - 2.25577e-5 * station.elevation)) +
                                  9 * weather.at(day_number(year, month, day) + hour / 24.0, 1) +
                                  generator.between(-2, 2);
  // Most balloons reach 10 mb; some burst earlier.
  const double top_pressure = generator.chance(0.75) ? 9.5 : generator.between(12, 120);

  LevelDrafts drafts(profile, surface_pressure, top_pressure, generator);
  drafts.add_surface(station.elevation);
  // The standard levels below the ground only in the years the station reports them.
  if (year == station.below_ground_year) drafts.add_below_ground();
  drafts.add_mandatory();
  drafts.add_tropopause_and_max_wind();
  drafts.add_wind_levels();
  drafts.add_significant_levels();
  drafts.store(sounding);
  return sounding;
}

// The hours sounded on one day: 00 and 12 UTC with a few missed, now and then 06 or 18 UTC.
std::vector<int> hours_of_day(const Station& station, int year, int month, int day) {
  Generator generator(static_cast<uint64_t>(station.wban) * 7919 + day_number(year, month, day));
  std::vector<int> hours;
  if (!generator.chance(0.03)) hours.push_back(0);
  if (generator.chance(0.04)) hours.push_back(6);
  if (!generator.chance(0.03)) hours.push_back(12);
  if (generator.chance(0.03)) hours.push_back(18);
  return hours;
}

// Benchmark archive: `count` generated stations over the first `months` months of 1999, with
// soundings at 00 and 12 UTC every day, and their station history table.
int write_benchmark_archive(int count, int months, const std::string& database_directory,
                            const std::string& support_directory) {
  std::ofstream table(support_directory + "/stat2000.txt");
  table << count << "   INIT  WBAN   WMO    LAT   LONG W  ELEV    BEGIN      END NAME"
        << "                      ST CY\n";
  long levels = 0;
  long soundings = 0;
  for (int i = 0; i < count; ++i) {
    Station station{10000 + i,
                    20.0 + (i * 37 % 500) / 10.0,
                    -(70.0 + (i * 53 % 550) / 10.0),
                    10 * (i % 150),
                    {51, 52},
                    2,
                    0};
    char line[160];
    std::snprintf(line, sizeof line,
                  "B%02d  %5d %5d %6.2f %7.2f %5d 19900101 99991231 %-25s %s %s\n", i % 100,
                  station.wban, 60000 + i, station.latitude, -station.longitude, station.elevation,
                  ("BENCH STATION " + std::to_string(i)).c_str(), "CO", "US");
    table << line;
    const Weather weather(station);
    std::vector<PackSounding> soundings_of_station;
    for (int month = 1; month <= months; ++month) {
      for (int day = 1; day <= days_in_month(LAST_YEAR, month); ++day) {
        for (int hour : {0, 12}) {
          soundings_of_station.push_back(
              make_sounding(station, weather, LAST_YEAR, month, day, hour));
          levels += static_cast<long>(soundings_of_station.back().levels.size());
        }
      }
    }
    soundings += static_cast<long>(soundings_of_station.size());
    wxfetch::pack::write_archive(database_directory, soundings_of_station);
  }
  std::ofstream(support_directory + "/international_sites.txt") << "0\n";
  std::cout << "wxsample: " << soundings << " soundings, " << levels << " levels of " << count
            << " stations written under " << database_directory << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bench = argc == 6 && std::string(argv[1]) == "--bench";
  if (argc != 2 && !bench) {
    std::cerr << "usage: wxsample DATABASE_DIRECTORY\n"
                 "       wxsample --bench STATIONS MONTHS DATABASE_DIRECTORY SUPPORT_DIRECTORY\n";
    return 2;
  }
  try {
    if (bench)
      return write_benchmark_archive(std::stoi(argv[2]), std::stoi(argv[3]), argv[4], argv[5]);
    std::vector<PackSounding> soundings;
    for (const Station& station : STATIONS) {
      const Weather weather(station);
      for (int year = FIRST_YEAR; year <= LAST_YEAR; ++year) {
        for (int month = 1; month <= 12; ++month) {
          for (int day = 1; day <= days_in_month(year, month); ++day) {
            for (int hour : hours_of_day(station, year, month, day)) {
              soundings.push_back(make_sounding(station, weather, year, month, day, hour));
            }
          }
        }
      }
    }
    wxfetch::pack::write_archive(argv[1], soundings);
    std::cout << "wxsample: " << soundings.size() << " soundings of " << std::size(STATIONS)
              << " stations written under " << argv[1] << "\n";
  } catch (const std::exception& error) {
    std::cerr << "wxsample: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
