// Sounding records. A database file holds a 34-byte header, a month-by-day directory and the
// soundings as records laid out after the pattern of a BUFR message: total length in bytes 4 to
// 6, an optional-block flag in byte 15, date and hour in bytes 20 to 23, then the level count, a
// 64-bit data header and 83 bits per level. decode_sounding unpacks one record into the current
// Sounding, removes duplicate levels and hands the sounding to the writer of the output format.
#pragma once

#include <array>
#include <cstdint>

namespace wxfetch {

struct ProgramContext;

constexpr int32_t MISSING_VALUE = 99999;
constexpr int MAX_LEVELS = 350;

enum LevelKind : int32_t {
  NO_KIND = 0,  // a level flag outside the six known ones; no writer selects it
  MANDATORY = 4,
  SIGNIFICANT = 5,
  WIND = 6,
  TROPOPAUSE = 7,
  MAX_WIND = 8,
  SURFACE = 9,
};

// Standard pressures in tenths of mb.
inline constexpr int32_t MANDATORY_PRESSURES[22] = {10000, 9250, 8500, 7000, 5000, 4000, 3500, 3000,
                                                    2500,  2000, 1500, 1000, 700,  500,  300,  200,
                                                    100,   70,   50,   30,   20,   10};

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

// REQUIRES: ctx.codec.field_cursor is at the first byte of a record and ctx.codec.field_limit at
// the end of the bytes read for it. Fills ctx.sounding, cleans up its levels and, when more than
// four levels remain, writes it with the writer of `output_format` (0 KVT, 1 FAA604).
// Returns false, writing nothing, when the record does not fit in the bytes read or its level
// count lies outside 0 .. MAX_LEVELS (a damaged record); only reads bytes in
// [field_cursor, field_limit).
bool decode_sounding(ProgramContext& ctx, int16_t level_type, int16_t wind_units,
                     int16_t output_format, int16_t station_row);

}  // namespace wxfetch
