#include "support/record_helpers.h"

#include <utility>

namespace wxfetch::testing {

using pack::ABSENT;
using pack::PackLevel;
using pack::PackSounding;

// A level whose temperature tags it, so that the tests can tell which levels the clean-up
// kept; `missing` of its other values are absent.
PackLevel tagged(int32_t kind, int32_t pressure, int32_t tag, int missing) {
  PackLevel level{.kind = kind,
                  .pressure = pressure,
                  .height = 1000,
                  .temperature = tag,
                  .dew_point = -150,
                  .wind_direction = 270,
                  .wind_speed = 100};
  int32_t* fields[] = {&level.height, &level.wind_speed, &level.wind_direction, &level.dew_point};
  for (int i = 0; i < missing; ++i) *fields[i] = ABSENT;
  return level;
}

PackSounding sounding_with(std::vector<PackLevel> levels) {
  PackSounding sounding;
  sounding.year = 1999;
  sounding.month = 6;
  sounding.day = 15;
  sounding.hour = 12;
  sounding.release_time = 1105;
  sounding.sonde_type = 51;
  sounding.levels = std::move(levels);
  return sounding;
}

// `count` levels with pressures falling from 1000 mb in 10 mb steps, surface first.
std::vector<PackLevel> falling_levels(int count, int32_t step) {
  std::vector<PackLevel> levels;
  for (int i = 0; i < count; ++i) {
    levels.push_back(tagged(i == 0 ? 9 : 5, 10000 - step * i, 100 + i));
  }
  return levels;
}

}  // namespace wxfetch::testing
