// A decoded sounding: the header of one record and its levels, in the units the writers print.
// The decoder fills it, the writers read it; it knows nothing of either. 99999 (MISSING_VALUE)
// marks an absent value.
#pragma once

#include <array>
#include <cstdint>

namespace wxfetch {

constexpr int32_t MISSING_VALUE = 99999;

// Knots in one metre per second, exactly. The open formats and the indices convert with it; the
// KVT and FAA604 writers keep their own factor (KNOTS_FACTOR).
constexpr double KNOTS_PER_MS = 1.943844;
constexpr int MAX_LEVELS = 350;
// A sounding is written only when more than this many levels remain after the clean-up (and
// after a writer's own cut).
constexpr int32_t MIN_WRITTEN_LEVELS = 5;

enum LevelKind : int32_t {
  NO_KIND = 0,  // a level flag outside the six known ones; no writer selects it
  MANDATORY = 4,
  SIGNIFICANT = 5,
  WIND = 6,
  TROPOPAUSE = 7,
  MAX_WIND = 8,
  SURFACE = 9,
};

// The word of each level kind in the open formats (CSV and JSON); "" for a value of no kind.
inline constexpr const char* LEVEL_KIND_WORDS[10] = {
    "", "", "", "", "mandatory", "significant", "wind", "tropopause", "max_wind", "surface"};

// Standard pressures in tenths of mb.
inline constexpr int32_t MANDATORY_PRESSURES[22] = {10000, 9250, 8500, 7000, 5000, 4000, 3500, 3000,
                                                    2500,  2000, 1500, 1000, 700,  500,  300,  200,
                                                    100,   70,   50,   30,   20,   10};

// One bit for each 14-bit pressure: set for the standard pressures.
inline constexpr std::array<uint64_t, 256> STANDARD_PRESSURE_BITS = [] {
  std::array<uint64_t, 256> bits{};
  for (const int32_t pressure : MANDATORY_PRESSURES) {
    bits[static_cast<size_t>(pressure) / 64] |= uint64_t{1} << (pressure % 64);
  }
  return bits;
}();

// True when `pressure` (tenths of mb) is one of the standard pressures.
inline bool is_mandatory_pressure(int32_t pressure) {
  return pressure >= 0 && pressure < 256 * 64 &&
         (STANDARD_PRESSURE_BITS[static_cast<size_t>(pressure) / 64] >> (pressure % 64) & 1) != 0;
}

struct SoundingLevel {
  int32_t kind = NO_KIND;
  int32_t pressure = 0;        // tenths of mb
  int32_t height = 0;          // metres
  int32_t temperature = 0;     // tenths of degrees C
  int32_t dew_point = 0;       // tenths of degrees C
  int32_t wind_direction = 0;  // degrees
  int32_t wind_speed = 0;      // tenths of m/s
};

// The header block from `hour` to `sonde_type` may be saved and restored as a whole.
struct SoundingHeader {
  int16_t hour = 0;
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;
  int32_t level_count = 0;
  int32_t reference_pressure_1 = MISSING_VALUE;
  int32_t indicator_b = MISSING_VALUE;
  int32_t reference_pressure_2 = MISSING_VALUE;
  int32_t reference_pressure_3 = MISSING_VALUE;
  int32_t indicator_a = MISSING_VALUE;
  int32_t release_time = MISSING_VALUE;
  int32_t sonde_type = MISSING_VALUE;
};

struct Sounding : SoundingHeader {
  std::array<SoundingLevel, MAX_LEVELS> levels{};
};

// The sounding's date and hour as YYYYMMDDHH (64 bits: a damaged record may give any year).
inline int64_t date_hour_of(const SoundingHeader& sounding) {
  return int64_t{sounding.year} * 1000000 + sounding.month * 10000 + sounding.day * 100 +
         sounding.hour;
}

// True when a sounding of `level_count` levels is worth writing.
inline bool enough_levels(int32_t level_count) {
  return level_count >= MIN_WRITTEN_LEVELS;
}

}  // namespace wxfetch
