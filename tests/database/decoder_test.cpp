#include "database/decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "database/archive_writer.h"
#include "support/record_helpers.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using pack::ABSENT;
using pack::build_record;
using pack::PackLevel;
using pack::PackSounding;
using testing::falling_levels;
using testing::sounding_with;
using testing::tagged;
using testing::TestProgram;
using Bytes = std::vector<uint8_t>;

// Bit positions inside a level, from its first bit.
constexpr size_t KIND_BIT = 14;
constexpr size_t HEIGHT_BIT = 21;
// The data header of a record without the optional block starts at byte 44.
constexpr size_t DATA_HEADER_BIT = 44 * 8;
constexpr size_t LEVELS_BIT = DATA_HEADER_BIT + 64;

size_t level_bit(int index, size_t field_bit) {
  return LEVELS_BIT + 83 * static_cast<size_t>(index) + field_bit;
}

// Overwrites `width` bits at bit position `bit` (most significant first) with `value`.
void put_bits(Bytes& record, size_t bit, int width, uint32_t value) {
  for (int i = 0; i < width; ++i) {
    const size_t at = bit + static_cast<size_t>(i);
    const uint8_t mask = static_cast<uint8_t>(0x80u >> (at % 8));
    if ((value >> (width - 1 - i)) & 1) {
      record[at / 8] |= mask;
    } else {
      record[at / 8] &= static_cast<uint8_t>(~mask);
    }
  }
}

// The decoder's state as the tests look at it: the codec and the sounding it fills.
struct DecoderState {
  DecoderState() { codec_init(codec); }
  BitFieldCodec codec;
  Sounding sounding;
};

class Decoder : public ::testing::Test {
 protected:
  bool decode(const Bytes& record) {
    ctx.codec.place(record.data(), record.size());
    return decode_sounding(ctx.codec, ctx.sounding);
  }

  // One field of each level of the sounding.
  std::vector<int32_t> column(int32_t SoundingLevel::*field) const {
    std::vector<int32_t> values;
    for (int32_t i = 0; i < ctx.sounding.level_count; ++i) {
      values.push_back(ctx.sounding.levels[i].*field);
    }
    return values;
  }
  std::vector<int32_t> heights() const { return column(&SoundingLevel::height); }
  std::vector<int32_t> tags() const { return column(&SoundingLevel::temperature); }

  TestProgram program;
  DecoderState ctx;
};

TEST_F(Decoder, FindsTheLevelsAfterAnOptionalBlockOfAnyLength) {
  PackSounding sounding = sounding_with({tagged(9, 10050, 100), tagged(4, 10000, 142)});
  sounding.indicator_a = 3;
  sounding.indicator_b = 7;
  struct Case {
    int entries;              // -1: no optional block
    size_t level_count_byte;  // where the level count lies
    size_t data_header_byte;  // where the data header starts
  };
  const Case cases[] = {{-1, 35, 44}, {3, 59, 68}, {0, 43, 52}, {2, 53, 62}};
  for (const Case& c : cases) {
    sounding.optional_entries = c.entries;
    const Bytes record = build_record(sounding);
    ASSERT_EQ(record[c.level_count_byte + 1], 2) << c.entries;
    ASSERT_EQ((record[c.data_header_byte] << 4) | (record[c.data_header_byte + 1] >> 4), 1105);
    ASSERT_TRUE(decode(record)) << c.entries;
    const Sounding& s = ctx.sounding;
    EXPECT_EQ(s.year, 1999);
    EXPECT_EQ(s.month, 6);
    EXPECT_EQ(s.day, 15);
    EXPECT_EQ(s.hour, 12);
    EXPECT_EQ(s.release_time, 1105);
    EXPECT_EQ(s.sonde_type, 51);
    EXPECT_EQ(s.indicator_a, 3);
    EXPECT_EQ(s.indicator_b, 7);
    EXPECT_EQ(tags(), (std::vector<int32_t>{100, 142})) << c.entries;
  }
}

TEST_F(Decoder, TurnsRawFieldsIntoUnitsAndMarksAllOnesMissing) {
  PackSounding sounding = sounding_with(std::vector<PackLevel>(8, tagged(6, ABSENT, 0)));
  sounding.levels[0] = {.kind = 9,
                        .pressure = 10050,
                        .height = 0,
                        .temperature = 0,
                        .dew_point = -231,
                        .wind_direction = 359,
                        .wind_speed = 4094};
  sounding.levels[1] = {.kind = 4, .pressure = 16382};  // every other field absent
  Bytes record = build_record(sounding);
  // Heights written raw: 400 is 0 m, 1380 is 1000 m, 390 is -9 m (-9.7 truncated toward
  // zero), 0 is -407 m, and all ones is missing at every bit offset a level can start at.
  const uint32_t raw_heights[8] = {400, 1380, 390, 0, 131071, 131071, 131071, 131071};
  for (int i = 0; i < 8; ++i) put_bits(record, level_bit(i, HEIGHT_BIT), 17, raw_heights[i]);
  Bytes all_missing = record;
  for (int i = 0; i < 8; ++i) put_bits(all_missing, level_bit(i, HEIGHT_BIT), 17, 131071);

  ASSERT_TRUE(decode(record));
  EXPECT_EQ(heights(), (std::vector<int32_t>{0, 1000, -9, -407, 99999, 99999, 99999, 99999}));
  const SoundingLevel& first = ctx.sounding.levels[0];
  EXPECT_EQ(first.pressure, 10050);
  EXPECT_EQ(first.temperature, 0);
  EXPECT_EQ(first.dew_point, -231);
  EXPECT_EQ(first.wind_direction, 359);
  EXPECT_EQ(first.wind_speed, 4094);
  const SoundingLevel& second = ctx.sounding.levels[1];
  EXPECT_EQ(second.pressure, 16382);
  EXPECT_EQ(second.temperature, MISSING_VALUE);
  EXPECT_EQ(second.dew_point, MISSING_VALUE);
  EXPECT_EQ(second.wind_direction, MISSING_VALUE);
  EXPECT_EQ(second.wind_speed, MISSING_VALUE);
  EXPECT_EQ(ctx.sounding.levels[2].pressure, MISSING_VALUE);

  ASSERT_TRUE(decode(all_missing));
  EXPECT_EQ(heights(), std::vector<int32_t>(8, 99999));
}

TEST_F(Decoder, MapsTheDataHeaderCodes) {
  PackSounding sounding = sounding_with(falling_levels(2));
  const Bytes record = build_record(sounding);
  const int32_t sonde_types[16] = {0, 45, 46, 49, 51, 37, 52, 61, 63, 9, 10, 11, 12, 13, 14, 99999};
  for (uint32_t raw = 0; raw < 16; ++raw) {
    Bytes patched = record;
    put_bits(patched, DATA_HEADER_BIT + 12, 4, raw);
    ASSERT_TRUE(decode(patched));
    EXPECT_EQ(ctx.sounding.sonde_type, sonde_types[raw]) << "raw sonde type " << raw;
  }
  // All ones in the release time, indicator a and indicator b fields.
  Bytes patched = record;
  put_bits(patched, DATA_HEADER_BIT, 12, 4095);
  put_bits(patched, DATA_HEADER_BIT + 16, 3, 7);
  put_bits(patched, DATA_HEADER_BIT + 35, 4, 15);
  ASSERT_TRUE(decode(patched));
  EXPECT_EQ(ctx.sounding.release_time, MISSING_VALUE);
  EXPECT_EQ(ctx.sounding.indicator_a, MISSING_VALUE);
  EXPECT_EQ(ctx.sounding.indicator_b, MISSING_VALUE);
}

TEST_F(Decoder, MapsLevelFlagsToKindsAndDemotesOffStandardMandatoryLevels) {
  struct Case {
    uint32_t flag;
    int32_t pressure;
    int32_t kind;
  };
  const Case cases[] = {
      {1, 10050, SURFACE},   {2, 9250, MANDATORY}, {2, 8000, SIGNIFICANT},
      {2, 3500, MANDATORY},  {2, 10, MANDATORY},   {2, 16383, SIGNIFICANT},
      {4, 2170, TROPOPAUSE}, {8, 2500, MAX_WIND},  {16, 9630, SIGNIFICANT},
      {32, 16383, WIND},     {0, 5000, NO_KIND},   {3, 5000, NO_KIND},
      {64, 5000, NO_KIND},   {127, 5000, NO_KIND},
  };
  for (const Case& c : cases) {
    // Kinds of no clean-up concern around the level under test.
    PackSounding sounding = sounding_with({tagged(6, 9000, 1), tagged(6, 8000, 2)});
    sounding.levels[1].pressure = c.pressure == 16383 ? ABSENT : c.pressure;
    Bytes record = build_record(sounding);
    put_bits(record, level_bit(1, KIND_BIT), 7, c.flag);
    ctx.sounding.levels[1].kind = SURFACE;  // a stale kind must not survive
    ASSERT_TRUE(decode(record));
    EXPECT_EQ(ctx.sounding.levels[1].kind, c.kind) << "flag " << c.flag << " at " << c.pressure;
  }
}

TEST_F(Decoder, ReplacesLevelReferencesWithPressuresOfTheLevelsAsStored) {
  // The third level is a duplicate that the clean-up removes; references still count it.
  PackSounding sounding = sounding_with(
      {tagged(9, 10050, 1), tagged(4, 5000, 2, 2), tagged(4, 5000, 3), tagged(4, 4000, 4)});
  struct Case {
    int32_t reference;
    int32_t pressure;
  };
  const Case cases[] = {{1, 10050}, {2, 5000},    {4, 4000},      {0, 99999},
                        {5, 99999}, {254, 99999}, {ABSENT, 99999}};
  for (const Case& c : cases) {
    sounding.level_reference_1 = c.reference;
    sounding.level_reference_2 = c.reference == 4 ? 3 : ABSENT;
    sounding.level_reference_3 = c.reference;
    ASSERT_TRUE(decode(build_record(sounding)));
    EXPECT_EQ(ctx.sounding.reference_pressure_1, c.pressure) << c.reference;
    EXPECT_EQ(ctx.sounding.reference_pressure_3, c.pressure) << c.reference;
    EXPECT_EQ(ctx.sounding.reference_pressure_2, c.reference == 4 ? 5000 : 99999) << c.reference;
    EXPECT_EQ(tags(), (std::vector<int32_t>{1, 3, 4}));
  }
}

TEST_F(Decoder, RemovesDuplicateMandatoryLevelsAndExtraSurfacesInOneScan) {
  struct Case {
    const char* name;
    std::vector<PackLevel> levels;
    std::vector<int32_t> kept;  // tags of the levels left
  };
  const Case cases[] = {
      {"the duplicate with more missing values goes",
       {tagged(4, 5000, 1, 2), tagged(4, 5000, 2, 1), tagged(4, 4000, 3)},
       {2, 3}},
      {"on a tie the lower duplicate stays",
       {tagged(4, 5000, 1, 1), tagged(4, 5000, 2, 1), tagged(4, 4000, 3)},
       {1, 3}},
      {"the upper duplicate with more missing values goes",
       {tagged(4, 5000, 1), tagged(4, 5000, 2, 3), tagged(4, 4000, 3)},
       {1, 3}},
      {"equal pressures of other kinds stay",
       {tagged(4, 2500, 1), tagged(8, 2500, 2), tagged(5, 2000, 3), tagged(5, 2000, 4)},
       {1, 2, 3, 4}},
      {"the level kept from a pair is not compared again",
       {tagged(4, 5000, 1), tagged(4, 5000, 2), tagged(4, 5000, 3), tagged(4, 4000, 4)},
       {1, 3, 4}},
      {"a later surface goes",
       {tagged(9, 10000, 1), tagged(5, 9500, 2), tagged(9, 9000, 3), tagged(5, 8500, 4),
        tagged(5, 8000, 5), tagged(5, 7500, 6), tagged(5, 7000, 7), tagged(5, 6500, 8),
        tagged(5, 6000, 9), tagged(5, 5500, 10)},
       {1, 2, 4, 5, 6, 7, 8, 9, 10}},
      {"the first surface met stays wherever it is",
       {tagged(4, 10000, 1), tagged(9, 9900, 2), tagged(4, 9250, 3), tagged(9, 9000, 4),
        tagged(4, 8500, 5)},
       {1, 2, 3, 5}},
      {"a surface moved into place by a removal is not examined",
       {tagged(9, 10000, 1), tagged(5, 9500, 2), tagged(9, 9000, 3), tagged(9, 8500, 4),
        tagged(5, 8000, 5)},
       {1, 2, 4, 5}},
      {"a surface in last place stays",
       {tagged(9, 10000, 1), tagged(4, 8500, 2), tagged(4, 7000, 3), tagged(9, 6000, 4)},
       {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(decode(build_record(sounding_with(c.levels)))) << c.name;
    EXPECT_EQ(tags(), c.kept) << c.name;
  }
}

TEST_F(Decoder, RejectsEveryTruncationOfARecordWithoutReadingPastIt) {
  struct Case {
    int optional_entries;
    int levels;
  };
  const Case cases[] = {{-1, 0}, {-1, 5}, {-1, 9}, {3, 6}, {0, 5}, {4, 1}};
  for (const Case& c : cases) {
    PackSounding sounding = sounding_with(falling_levels(c.levels));
    sounding.optional_entries = c.optional_entries;
    const Bytes record = build_record(sounding);
    const size_t prefix = c.optional_entries < 0
                              ? 24
                              : 32 + 5 * static_cast<size_t>(c.optional_entries) +
                                    static_cast<size_t>(c.optional_entries % 2);
    const size_t needed = prefix + 11 + 2 + 7 + 8 + (83 * static_cast<size_t>(c.levels) + 7) / 8;
    for (size_t length = 0; length <= record.size(); ++length) {
      // Each piece in a buffer of its own exact size, so that a read past it is caught.
      const Bytes piece(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(length));
      ctx.sounding.level_count = -7;
      program.out.str("");
      const bool decoded = decode(piece);
      EXPECT_EQ(decoded, length >= needed)
          << c.optional_entries << " " << c.levels << " " << length;
      if (!decoded) {
        EXPECT_EQ(ctx.sounding.level_count, -7) << "the sounding was touched";
        EXPECT_EQ(program.output(), "");
      }
    }
  }
}

TEST_F(Decoder, RejectsLevelCountsOutsideTheLevelTable) {
  Bytes full = build_record(sounding_with(falling_levels(MAX_LEVELS, 20)));
  ASSERT_TRUE(decode(full));
  EXPECT_EQ(ctx.sounding.level_count, MAX_LEVELS);

  EXPECT_FALSE(decode(build_record(sounding_with(falling_levels(MAX_LEVELS + 1, 20)))));
  // Negative counts in a record that holds enough bytes for any count.
  for (const uint16_t count : {0xFFFF, 0x8000}) {
    Bytes patched = full;
    patched[35] = static_cast<uint8_t>(count >> 8);
    patched[36] = static_cast<uint8_t>(count);
    EXPECT_FALSE(decode(patched)) << count;
  }
  // An optional block far longer than the record.
  PackSounding sounding = sounding_with(falling_levels(5));
  sounding.optional_entries = 0;
  Bytes patched = build_record(sounding);
  patched[30] = 0xFF;
  patched[31] = 0xFF;
  EXPECT_FALSE(decode(patched));
}

}  // namespace
}  // namespace wxfetch
