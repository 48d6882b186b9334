#include "database/decoder.h"

#include <array>
#include <cassert>
#include <cstddef>

namespace wxfetch {

namespace {

// Record layout, in bytes from the start of the record. The fixed header ends with the hour
// (byte 23); an optional block may follow it; then come a gap, the 16-bit level count, another
// gap, the 64-bit data header and the levels, 83 bits each without padding.
constexpr size_t FLAG_OFFSET = 15;
constexpr size_t DATE_GAP = 4;  // between the flag and the year
constexpr size_t FIXED_HEADER_BYTES = 24;
constexpr size_t OPTIONAL_COUNT_GAP = 6;  // from the end of the fixed header to the block's count
constexpr size_t OPTIONAL_ENTRY_BYTES = 5;
constexpr size_t LEVEL_COUNT_GAP = 11;
constexpr size_t DATA_HEADER_GAP = 7;
constexpr size_t DATA_HEADER_BYTES = 8;
constexpr size_t LEVEL_BITS = 83;

// Geopotential (10 m^2/s^2 units, stored plus 400) to metres: divide by 0.98.
constexpr double HEIGHT_FACTOR = 1.0204081632653061;
constexpr uint32_t HEIGHT_BIAS = 400;
// Tenths of kelvin to tenths of degrees Celsius.
constexpr int32_t KELVIN_TENTHS = 2731;

// The stored 4-bit sonde type codes 0 to 14 as the writers print them (15 means none).
constexpr int32_t SONDE_TYPES[15] = {0, 45, 46, 49, 51, 37, 52, 61, 63, 9, 10, 11, 12, 13, 14};

// The level kind of each 7-bit level flag: the six known flags, NO_KIND for every other.
constexpr std::array<int32_t, 128> LEVEL_KINDS = [] {
  std::array<int32_t, 128> kinds{};
  kinds[1] = SURFACE;
  kinds[2] = MANDATORY;
  kinds[4] = TROPOPAUSE;
  kinds[8] = MAX_WIND;
  kinds[16] = SIGNIFICANT;
  kinds[32] = WIND;
  return kinds;
}();

int count_missing(const SoundingLevel& level) {
  return (level.pressure == MISSING_VALUE) + (level.height == MISSING_VALUE) +
         (level.temperature == MISSING_VALUE) + (level.dew_point == MISSING_VALUE) +
         (level.wind_direction == MISSING_VALUE) + (level.wind_speed == MISSING_VALUE);
}

// Reads the fields of one record at the codec's cursor, keeping the bit offset between them.
class FieldReader {
 public:
  explicit FieldReader(BitFieldCodec& codec) : codec_(codec) {}

  uint32_t raw(int width) { return codec_.read_bits(width, offset_); }

  // A field, or MISSING_VALUE when all its bits are set.
  int32_t value(int width) { return missing_or(raw(width), width); }

  int32_t missing_or(uint32_t field, int width) const {
    return field == codec_.all_ones[width] ? MISSING_VALUE : static_cast<int32_t>(field);
  }

  // Height in metres, rounded half up and truncated toward zero.
  int32_t height(uint32_t field) const {
    if (field == codec_.all_ones[17]) return MISSING_VALUE;
    const double metres =
        (static_cast<double>(field) - static_cast<double>(HEIGHT_BIAS)) * HEIGHT_FACTOR + 0.5;
    return static_cast<int32_t>(metres);
  }

  // Temperature or dew point in tenths of degrees Celsius.
  int32_t temperature(uint32_t field) const {
    const int32_t kelvin = missing_or(field, 12);
    return kelvin == MISSING_VALUE ? MISSING_VALUE : kelvin - KELVIN_TENTHS;
  }

  void read_level(SoundingLevel& level) {
    // The seven fields of a level, read in two groups that each fit one wide load.
    static constexpr uint8_t FIRST_WIDTHS[4] = {14, 7, 17, 12};
    static constexpr uint8_t SECOND_WIDTHS[3] = {12, 9, 12};
    uint32_t raw[7];
    codec_.read_fields(FIRST_WIDTHS, 4, raw, offset_);
    codec_.read_fields(SECOND_WIDTHS, 3, raw + 4, offset_);
    level.pressure = missing_or(raw[0], 14);
    level.kind = LEVEL_KINDS[raw[1]];
    // A level flagged mandatory away from the standard pressures is a significant level.
    if (level.kind == MANDATORY && !is_mandatory_pressure(level.pressure)) {
      level.kind = SIGNIFICANT;
    }
    level.height = height(raw[2]);
    level.temperature = temperature(raw[3]);
    level.dew_point = temperature(raw[4]);
    level.wind_direction = missing_or(raw[5], 9);
    level.wind_speed = missing_or(raw[6], 12);
  }

 private:
  BitFieldCodec& codec_;
  int offset_ = 7;
};

// Where the levels of a record begin and how many there are.
struct RecordLayout {
  uint32_t year = 0;
  uint32_t month = 0;
  uint32_t day = 0;
  uint32_t hour = 0;
  int32_t level_count = 0;
};

// Reads the fixed header, passes over the optional block and reads the level count, leaving the
// cursor at the data header. Returns false when the record does not hold the data header and
// every level in the bytes read, or its level count lies outside 0 .. MAX_LEVELS.
bool read_layout(BitFieldCodec& codec, FieldReader& fields, RecordLayout& layout) {
  // Every length is checked before the cursor moves, so that nothing outside
  // [field_cursor, field_limit) is read or even pointed at.
  if (!codec.has_bytes(FIXED_HEADER_BYTES)) return false;
  codec.skip(FLAG_OFFSET);
  const uint32_t flag = fields.raw(8);
  codec.skip(DATE_GAP);
  layout.year = fields.raw(8);
  layout.month = fields.raw(8);
  layout.day = fields.raw(8);
  layout.hour = fields.raw(8);

  if (flag == 1) {
    if (!codec.has_bytes(OPTIONAL_COUNT_GAP + 2)) return false;
    codec.skip(OPTIONAL_COUNT_GAP);
    const size_t entries = fields.raw(16);
    const size_t block = entries * OPTIONAL_ENTRY_BYTES + (entries & 1);
    if (!codec.has_bytes(block)) return false;
    codec.skip(block);
  }

  if (!codec.has_bytes(LEVEL_COUNT_GAP + 2)) return false;
  codec.skip(LEVEL_COUNT_GAP);
  layout.level_count = static_cast<int16_t>(fields.raw(16));
  if (layout.level_count < 0 || layout.level_count > MAX_LEVELS) return false;
  const size_t level_bytes = (static_cast<size_t>(layout.level_count) * LEVEL_BITS + 7) / 8;
  if (!codec.has_bytes(DATA_HEADER_GAP + DATA_HEADER_BYTES + level_bytes)) return false;
  codec.skip(DATA_HEADER_GAP);
  return true;
}

// The level numbers (counted from 1) whose pressures are the reference pressures.
struct References {
  int32_t level_1 = 0;
  int32_t level_2 = 0;
  int32_t level_3 = 0;
};

// Reads the 64-bit data header into the sounding's header; returns the reference level numbers.
References read_data_header(FieldReader& fields, Sounding& sounding) {
  sounding.release_time = fields.value(12);
  const int32_t sonde_type = fields.value(4);
  sounding.sonde_type = sonde_type == MISSING_VALUE ? MISSING_VALUE : SONDE_TYPES[sonde_type];
  sounding.indicator_a = fields.value(3);
  References references;
  references.level_1 = fields.value(8);
  references.level_2 = fields.value(8);
  sounding.indicator_b = fields.value(4);
  references.level_3 = fields.value(8);
  fields.raw(17);
  return references;
}

// The pressures of the reference levels, missing until their levels are read.
struct ReferencePressures {
  int32_t pressure_1 = MISSING_VALUE;
  int32_t pressure_2 = MISSING_VALUE;
  int32_t pressure_3 = MISSING_VALUE;
};

// Takes the pressure of the level stored as `number` (counted from 1) for each reference that
// names it. 0 or a number beyond the count names no level and leaves its pressure missing.
inline void take_reference_pressures(const References& references, int32_t number, int32_t pressure,
                                     ReferencePressures& pressures) {
  if (number == references.level_1) pressures.pressure_1 = pressure;
  if (number == references.level_2) pressures.pressure_2 = pressure;
  if (number == references.level_3) pressures.pressure_3 = pressure;
}

// Decodes `level_count` levels into the sounding, cleans them up and sets its level count and
// reference pressures.
//
// One pass decodes each level into its stored slot and, one level behind, runs the clean-up
// scan, which compacts the kept levels towards the front. The scan compares the level at
// `pending` (L) with the one after it (N); a removal keeps one of the pair, drops the other and
// goes on with the level after N, so the kept one is never compared again. Writes go to slot
// `kept` <= `pending`, which the scan has already read. (The decoder's hot loop: one pass over
// the levels, kept whole.)
void read_levels(FieldReader& fields, int32_t level_count, const References& references,
                 Sounding& sounding) {
  ReferencePressures pressures;
  int32_t kept = 0;
  int32_t pending = 0;
  bool surface_seen = false;
  auto keep = [&](int32_t index) {
    // Until a level is removed every level stays where it is.
    if (kept != index) sounding.levels[kept] = sounding.levels[index];
    ++kept;
  };

  for (int32_t index = 0; index < level_count; ++index) {
    SoundingLevel& level = sounding.levels[index];
    fields.read_level(level);
    take_reference_pressures(references, index + 1, level.pressure, pressures);

    if (index != pending + 1) continue;
    const SoundingLevel& current = sounding.levels[pending];
    const bool duplicate =
        current.kind == MANDATORY && level.kind == MANDATORY && current.pressure == level.pressure;
    const bool extra_surface = current.kind == SURFACE && surface_seen;
    int32_t survivor = pending;
    if (duplicate || extra_surface) {
      // An extra surface always goes; of two duplicates the one with more missing values goes,
      // and on a tie the first (lower) one stays.
      if (extra_surface || count_missing(current) > count_missing(level)) survivor = index;
      pending = index + 1;
    } else {
      pending = index;
    }
    if (sounding.levels[survivor].kind == SURFACE) surface_seen = true;
    keep(survivor);
  }
  // The last level is never examined as L: it stays whatever its kind.
  if (pending == level_count - 1) keep(pending);

  sounding.reference_pressure_1 = pressures.pressure_1;
  sounding.reference_pressure_2 = pressures.pressure_2;
  sounding.reference_pressure_3 = pressures.pressure_3;
  sounding.level_count = kept;
}

}  // namespace

bool decode_sounding(BitFieldCodec& codec, Sounding& sounding) {
  assert(codec.all_ones[1] == 1);  // codec_init has run
  FieldReader fields(codec);
  RecordLayout layout;
  if (!read_layout(codec, fields, layout)) return false;

  // The record fits: from here on the sounding is overwritten.
  sounding.year = static_cast<int16_t>(layout.year + 1900);
  sounding.month = static_cast<int16_t>(layout.month);
  sounding.day = static_cast<int16_t>(layout.day);
  sounding.hour = static_cast<int16_t>(layout.hour);
  const References references = read_data_header(fields, sounding);
  read_levels(fields, layout.level_count, references, sounding);
  return true;
}

}  // namespace wxfetch
