// The archive builder against bytes worked out by hand from the record layout, and against the
// codec that reads it back.
#include "database/archive_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/codec.h"
#include "import/pack_text.h"

namespace wxfetch::pack {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes slice(const Bytes& bytes, size_t from, size_t count) {
  return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

// 840.0 mb surface at 1611 m, 12.5 C, dew point -3.1 C, 270 degrees at 5.2 m/s.
PackLevel surface_level() {
  PackLevel level;
  level.kind = 9;
  level.pressure = 8400;
  level.height = 1611;
  level.temperature = 125;
  level.dew_point = -31;
  level.wind_direction = 270;
  level.wind_speed = 52;
  return level;
}

PackSounding small_sounding() {
  PackSounding sounding;
  sounding.wban = 23062;
  sounding.year = 1999;
  sounding.month = 3;
  sounding.day = 4;
  sounding.hour = 12;
  sounding.release_time = 1115;
  sounding.sonde_type = 51;
  sounding.indicator_a = 2;
  sounding.level_reference_1 = 1;
  sounding.indicator_b = 5;
  sounding.levels = {surface_level()};
  return sounding;
}

// Data header: 1115 (12 bits) 4 (sonde 51) 2 (3 bits) 1 255 5 (4 bits) 255, 17 zero bits.
const Bytes HEADER_BYTES = {0x45, 0xB4, 0x40, 0x3F, 0xEB, 0xFE, 0x00, 0x00};
// Level: 8400 (14) flag 1 (7) raw height 1979 (17) 2856 (12) 2700 (12) 270 (9) 52 (12), padded.
const Bytes LEVEL_BYTES = {0x83, 0x40, 0x08, 0x1E, 0xEE, 0xCA, 0x2A, 0x32, 0x1C, 0x06, 0x80};

TEST(ArchiveBuilder, RecordWithoutOptionalBlockMatchesHandComputedBytes) {
  Bytes expected = {'B', 'U',  'F',  'R', 0x00, 0x00, 67,          // length
                    3,   0x00, 0x00, 18,  0,    0,    7,    0,     // edition, identification
                    0,                                             // optional-block flag
                    2,   1,    13,   0,                            // category, table versions
                    99,  3,    4,    12,                           // 1999-03-04 12 UTC
                    0,   0,                                        // minute, reserved
                    0,   0,    14,   0,   0,    1,    0x80, 0, 0,  // data description
                    0,   1,                                        // one level
                    0,   0,    0,                                  // descriptors
                    0,   0,    23,   0};                           // data section length, reserved
  expected.insert(expected.end(), HEADER_BYTES.begin(), HEADER_BYTES.end());
  expected.insert(expected.end(), LEVEL_BYTES.begin(), LEVEL_BYTES.end());
  expected.insert(expected.end(), {'7', '7', '7', '7'});

  EXPECT_EQ(build_record(small_sounding()), expected);
}

TEST(ArchiveBuilder, OptionalBlockOfThreeEntriesMovesLevelCountTo59AndHeaderTo68) {
  PackSounding sounding = small_sounding();
  sounding.optional_entries = 3;
  const Bytes record = build_record(sounding);

  ASSERT_EQ(record.size(), 91u);
  EXPECT_EQ(slice(record, 4, 3), (Bytes{0, 0, 91}));
  EXPECT_EQ(record[15], 1);
  EXPECT_EQ(slice(record, 20, 4), (Bytes{99, 3, 4, 12}));
  // Block length 6 + 15 + 1 pad byte, then the entry count.
  EXPECT_EQ(slice(record, 26, 6), (Bytes{0, 0, 22, 0, 0, 3}));
  EXPECT_EQ(slice(record, 59, 2), (Bytes{0, 1}));
  EXPECT_EQ(slice(record, 68, 8), HEADER_BYTES);
  EXPECT_EQ(slice(record, 76, 11), LEVEL_BYTES);

  sounding.optional_entries = 2;  // even: no pad byte
  const Bytes even = build_record(sounding);
  EXPECT_EQ(slice(even, 30, 2), (Bytes{0, 2}));
  EXPECT_EQ(slice(even, 53, 2), (Bytes{0, 1}));  // 32 + 10 + 11
  EXPECT_EQ(slice(even, 62, 8), HEADER_BYTES);
}

// Reads a record back along the decoder's path and returns what it holds.
struct ReadBack {
  int flag, year, month, day, hour, level_count;
  uint32_t header[7];
  std::vector<std::vector<uint32_t>> levels;
};

ReadBack read_back(const Bytes& record) {
  BitFieldCodec codec;
  codec_init(codec);
  codec.place(record.data(), record.size());
  int offset = 7;
  ReadBack back{};
  codec.skip(15);
  back.flag = codec.read_bits(8, offset);
  codec.skip(4);
  back.year = 1900 + codec.read_bits(8, offset);
  back.month = codec.read_bits(8, offset);
  back.day = codec.read_bits(8, offset);
  back.hour = codec.read_bits(8, offset);
  if (back.flag == 1) {
    codec.skip(6);
    const uint32_t n = codec.read_bits(16, offset);
    codec.skip(5 * n + n % 2);
  }
  codec.skip(11);
  back.level_count = static_cast<int16_t>(codec.read_bits(16, offset));
  codec.skip(7);
  const int header_widths[7] = {12, 4, 3, 8, 8, 4, 8};
  for (int i = 0; i < 7; ++i) back.header[i] = codec.read_bits(header_widths[i], offset);
  codec.read_bits(17, offset);
  for (int level = 0; level < back.level_count; ++level) {
    std::vector<uint32_t> fields;
    for (int width : {14, 7, 17, 12, 12, 9, 12}) {
      EXPECT_TRUE(codec.has_bytes(offset == 7 ? (width + 7) / 8 : 1));
      fields.push_back(codec.read_bits(width, offset));
    }
    back.levels.push_back(fields);
  }
  return back;
}

TEST(ArchiveBuilder, EveryFieldReadsBackThroughTheCodec) {
  PackSounding sounding;
  sounding.year = 2003;
  sounding.month = 12;
  sounding.day = 31;
  sounding.hour = 23;
  sounding.release_time = 2315;
  sounding.sonde_type = 10;
  sounding.indicator_a = ABSENT;
  sounding.level_reference_1 = 0;
  sounding.level_reference_2 = 3;
  sounding.level_reference_3 = ABSENT;
  sounding.indicator_b = 14;
  sounding.optional_entries = 5;
  sounding.levels = {
      {9, 10130, -9, -400, -455, 0, 0},           {4, 10000, 111, 1300, 1290, 510 - 1, 4094},
      {6, ABSENT, 1000, ABSENT, ABSENT, 45, 123}, {5, 16382, ABSENT, -2731, 1363, ABSENT, ABSENT},
      {3, 10, 31000, -880, ABSENT, 10, 1},  // kind 3: no known flag, stored unchanged
  };
  const ReadBack back = read_back(build_record(sounding));

  EXPECT_EQ(back.flag, 1);
  EXPECT_EQ(back.year, 2003);
  EXPECT_EQ(back.month, 12);
  EXPECT_EQ(back.day, 31);
  EXPECT_EQ(back.hour, 23);
  ASSERT_EQ(back.level_count, 5);
  const uint32_t header[7] = {2315, 10, 7, 0, 3, 14, 255};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(back.header[i], header[i]) << "header field " << i;

  const std::vector<std::vector<uint32_t>> levels = {
      {10130, 1, height_raw(-9), 2331, 2276, 0, 0},
      {10000, 2, height_raw(111), 4031, 4021, 509, 4094},
      {16383, 32, height_raw(1000), 4095, 4095, 45, 123},
      {16382, 16, 131071, 0, 4094, 511, 4095},
      {10, 3, height_raw(31000), 1851, 4095, 10, 1},
  };
  EXPECT_EQ(back.levels, levels);
  for (int level = 0; level < 5; ++level) {
    if (sounding.levels[level].height != ABSENT) {
      EXPECT_EQ(height_metres(back.levels[level][2]), sounding.levels[level].height);
    }
  }
}

TEST(ArchiveBuilder, SondeTypesAndKindsAreStoredAsTheDecoderMapsThem) {
  const int32_t decoded[] = {45, 46, 49, 51, 37, 52, 61, 63, 0, 9, 14, ABSENT};
  const uint32_t stored[] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 14, 15};
  for (size_t i = 0; i < std::size(decoded); ++i) {
    EXPECT_EQ(sonde_type_raw(decoded[i]), stored[i]) << decoded[i];
  }
  const int32_t kinds[] = {9, 4, 7, 8, 5, 6};
  const uint32_t flags[] = {1, 2, 4, 8, 16, 32};
  for (size_t i = 0; i < std::size(kinds); ++i) {
    PackSounding sounding;
    PackLevel level;
    level.kind = kinds[i];
    sounding.levels = {level};
    EXPECT_EQ(read_back(build_record(sounding)).levels[0][1], flags[i]) << kinds[i];
  }
}

TEST(ArchiveBuilder, HeightsComeBackAsTheMetresWritten) {
  EXPECT_EQ(height_raw(0), 400u);
  EXPECT_EQ(height_raw(1000), 1380u);
  EXPECT_EQ(height_metres(390), -9);
  int unstorable = 0;
  for (int32_t metres = -400; metres <= 40000; ++metres) {
    try {
      ASSERT_EQ(height_metres(height_raw(metres)), metres);
      EXPECT_EQ(storable_height(metres), metres);
    } catch (const std::invalid_argument&) {
      ++unstorable;
      ASSERT_EQ(storable_height(metres), metres + 1);
    }
  }
  // One raw step is 1/0.98 m: about one metre value in fifty falls between two of them.
  EXPECT_NEAR(unstorable, 40400 / 50, 10);
  EXPECT_THROW(height_raw(25), std::invalid_argument);
}

TEST(ArchiveBuilder, ValuesTheirFieldsCannotHoldAreRefused) {
  struct Case {
    const char* what;
    void (*spoil)(PackSounding&);
  };
  const Case cases[] = {
      {"pressure all ones", [](PackSounding& s) { s.levels[0].pressure = 16383; }},
      {"negative pressure", [](PackSounding& s) { s.levels[0].pressure = -1; }},
      {"temperature below 0 K", [](PackSounding& s) { s.levels[0].temperature = -2732; }},
      {"dew point all ones", [](PackSounding& s) { s.levels[0].dew_point = 4095 - 2731; }},
      {"direction 511", [](PackSounding& s) { s.levels[0].wind_direction = 511; }},
      {"speed 4095", [](PackSounding& s) { s.levels[0].wind_speed = 4095; }},
      {"height between raw steps", [](PackSounding& s) { s.levels[0].height = 25; }},
      {"height above the field", [](PackSounding& s) { s.levels[0].height = 140000; }},
      {"kind 128", [](PackSounding& s) { s.levels[0].kind = 128; }},
      {"sonde type 1", [](PackSounding& s) { s.sonde_type = 1; }},
      {"indicator a 7", [](PackSounding& s) { s.indicator_a = 7; }},
      {"indicator b 15", [](PackSounding& s) { s.indicator_b = 15; }},
      {"reference 255", [](PackSounding& s) { s.level_reference_2 = 255; }},
      {"release time 4095", [](PackSounding& s) { s.release_time = 4095; }},
      {"year 1899", [](PackSounding& s) { s.year = 1899; }},
  };
  for (const Case& c : cases) {
    PackSounding sounding = small_sounding();
    c.spoil(sounding);
    EXPECT_THROW(build_record(sounding), std::invalid_argument) << c.what;
  }
}

TEST(ArchiveBuilder, StationYearFileDirectoryPointsAtRecordsInDateAndHourOrder) {
  PackSounding late = small_sounding();  // March 4, 12 UTC
  PackSounding early = small_sounding();
  early.hour = 0;
  PackSounding february = small_sounding();
  february.month = 2;
  february.day = 31;  // a day the month does not have still has its directory entry
  february.hour = 6;
  const Bytes file = build_station_year_file({late, february, early});

  EXPECT_EQ(std::string(file.begin(), file.begin() + 34).substr(0, 14), "WXPACK STATION");
  const size_t directory_bytes = 12 * 31 * 5 + 3 * 5;
  const size_t records = 34 + directory_bytes;
  const size_t record_length = build_record(late).size();
  ASSERT_EQ(file.size(), records + 3 * record_length);

  // Day entries before February 31 are empty; February 31 is day entry 61.
  size_t at = 34;
  for (int day = 0; day < 61; ++day, at += 5) ASSERT_EQ(file[at], 0) << day;
  EXPECT_EQ(slice(file, at, 10),
            (Bytes{1, 0, 0, 0, 0, 6, 0, 0, uint8_t(records >> 8), uint8_t(records & 0xFF)}));
  at += 10;
  for (int day = 62; day < 31 + 31 + 3; ++day, at += 5) ASSERT_EQ(file[at], 0) << day;
  // March 4: two soundings, 00 UTC first.
  const size_t second = records + record_length;
  const size_t third = second + record_length;
  EXPECT_EQ(slice(file, at, 15),
            (Bytes{2, 0, 0, 0, 0, 0, 0, 0, uint8_t(second >> 8), uint8_t(second & 0xFF), 12, 0, 0,
                   uint8_t(third >> 8), uint8_t(third & 0xFF)}));
  EXPECT_EQ(slice(file, records + 20, 4), (Bytes{99, 2, 31, 6}));
  EXPECT_EQ(slice(file, second + 20, 4), (Bytes{99, 3, 4, 0}));
  EXPECT_EQ(slice(file, third + 20, 4), (Bytes{99, 3, 4, 12}));
}

TEST(ArchiveBuilder, StationYearFileRefusesMixedStationsAndBadDates) {
  PackSounding other_station = small_sounding();
  other_station.wban = 94823;
  EXPECT_THROW(build_station_year_file({small_sounding(), other_station}), std::invalid_argument);
  PackSounding other_year = small_sounding();
  other_year.year = 1998;
  EXPECT_THROW(build_station_year_file({small_sounding(), other_year}), std::invalid_argument);
  PackSounding month_13 = small_sounding();
  month_13.month = 13;
  EXPECT_THROW(build_station_year_file({month_13}), std::invalid_argument);
}

TEST(ArchiveBuilder, BitWriterFieldsReadBackAtEveryWidthAndOffset) {
  BitFieldCodec codec;
  codec_init(codec);
  BitWriter writer;
  std::vector<std::pair<uint32_t, int>> fields;
  uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 2000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const int width = 1 + static_cast<int>((state >> 33) % 32);
    const uint32_t value = static_cast<uint32_t>(state >> 7) & codec.all_ones[width];
    writer.put(value, width);
    fields.emplace_back(value, width);
  }
  EXPECT_EQ(writer.bytes().size(), (writer.bit_count() + 7) / 8);
  codec.place(writer.bytes().data(), writer.bytes().size());
  int offset = 7;
  for (const auto& [value, width] : fields) ASSERT_EQ(codec.read_bits(width, offset), value);
  EXPECT_THROW(writer.put(16, 4), std::invalid_argument);
  // A wide field is the same bits as its halves, at any offset.
  for (int offset = 0; offset < 8; ++offset) {
    BitWriter wide, halves;
    if (offset > 0) {
      wide.put(1, offset);
      halves.put(1, offset);
    }
    const uint64_t value = 0x1'2345'6789'ABCDull << 7 | 0x55;
    wide.put(value, 57);
    halves.put(value >> 28, 29);
    halves.put(value & 0xFFFFFFF, 28);
    EXPECT_EQ(wide.bytes(), halves.bytes()) << offset;
  }
  EXPECT_THROW(writer.put(1, 58), std::invalid_argument);
}

TEST(PackText, ReadsSoundingsWithTheirLevels) {
  std::istringstream text(
      "# two soundings\n"
      "\n"
      "SOUNDING 23062 1999030412 1115 51 2 5 1 99999 0 -1\n"
      "  LEVEL 9 8400 1611 125 -31 270 52\r\n"
      "LEVEL\t4 7000 3050 -21 99999 280 123\n"
      "SOUNDING 910410 2001123100 2330 99999 99999 14 99999 99999 99999 3\n");
  const std::vector<PackSounding> soundings = read_pack_text(text);
  ASSERT_EQ(soundings.size(), 2u);
  // The first sounding is the small one with a second level and a third reference of 0.
  PackSounding expected = small_sounding();
  expected.level_reference_3 = 0;
  expected.levels.push_back(PackLevel{4, 7000, 3050, -21, ABSENT, 280, 123});
  EXPECT_EQ(build_record(soundings[0]), build_record(expected));
  EXPECT_EQ(soundings[0].wban, 23062);
  const PackSounding& second = soundings[1];
  EXPECT_EQ(second.wban, 910410);
  EXPECT_EQ(second.year, 2001);
  EXPECT_EQ(second.month, 12);
  EXPECT_EQ(second.day, 31);
  EXPECT_EQ(second.hour, 0);
  EXPECT_EQ(second.release_time, 2330);
  EXPECT_EQ(second.sonde_type, ABSENT);
  EXPECT_EQ(second.indicator_b, 14);
  EXPECT_EQ(second.optional_entries, 3);
  EXPECT_TRUE(second.levels.empty());
}

TEST(PackText, FaultsNameTheirLine) {
  const std::string sounding = "SOUNDING 23062 1999030412 1115 51 2 5 1 99999 0 -1\n";
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"LEVEL 9 8400 1611 125 -31 270 52\n", "line 1: a LEVEL line before"},
      {sounding + "LEVEL 9 8400 1611 125 -31 270\n", "line 2: a LEVEL line needs 7 values"},
      {sounding + "LEVEL 9 8400 1611 12.5 -31 270 52\n", "line 2: \"12.5\" is not a whole"},
      {"\nSOUNDING 23062 19990304 1115 51 2 5 1 99999 0 -1\n", "line 2: the date must be"},
      {"SOUNDING 23062 1999130412 1115 51 2 5 1 99999 0 -1\n", "line 1: no such date"},
      {"SOUNDING 23062 1999030424 1115 51 2 5 1 99999 0 -1\n", "line 1: no such date"},
      {"SOUNDING 23062 1999030412 1115 51 2 5 1 99999 0\n", "line 1: a SOUNDING line needs 10"},
      {"SOUNDING 23062 1999030412 1115 51 2 5 1 99999 0 -2\n", "line 1: optional entries"},
      {sounding + "LEVEL 9 99999999999 1611 125 -31 270 52\n", "line 2: \"99999999999\" is out"},
      {"# fine\nLEVELS 1\n", "line 2: expected SOUNDING or LEVEL"},
  };
  for (const Case& c : cases) {
    std::istringstream text(c.text);
    try {
      read_pack_text(text);
      ADD_FAILURE() << "no fault found in: " << c.text;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace wxfetch::pack
