#include "output/faa604_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dialogue/console_reporters.h"
#include "output/output_files.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

constexpr int32_t M = MISSING_VALUE;

// kind, pressure (tenths of mb), height, temperature, dew point, direction, speed (tenths m/s).
using Row = SoundingLevel;

// The levels of the worked example message: 15 June 1999, 12 UTC, station 72999 "ABC".
const std::vector<Row> EXAMPLE_LEVELS = {
    {9, 10050, 100, 153, 101, 200, 51},   {4, 10000, 142, 149, 99, 205, 62},
    {5, 9630, 470, 120, 80, M, M},        {4, 9250, 812, 95, 35, 230, 93},
    {6, M, 1219, M, M, 240, 103},         {4, 8500, 1498, 62, -12, 250, 124},
    {6, M, 2438, M, M, 255, 150},         {5, 7800, 2200, 20, -60, M, M},
    {4, 7000, 3064, -32, -151, 265, 180}, {4, 5000, 5700, -205, -301, 270, 257},
    {6, M, 6100, M, M, 270, 270},         {4, 4000, 7300, -301, -420, 275, 300},
    {4, 3000, 9300, -440, M, 275, 380},   {4, 2500, 10480, -520, M, 275, 560},
    {8, 2500, 10480, -520, M, 275, 560},  {7, 2170, 11500, -571, M, 280, 330},
    {4, 2000, 11900, -560, M, 280, 300},  {4, 1500, 13700, -580, M, 285, 200},
    {4, 1000, 16300, -620, M, M, M},
};

const char* const EXAMPLE_MESSAGE =
    "ABCMANABC\n"
    "72999 TTAA  65121 72999 99005 15452 20010 00142 15050 20512 \n"
    "92812 09656 23018 85498 06257 25024 70064 03361 26535 50570 \n"
    "20559 27049 40730 30161 27558 30930 441// 27573 25048 521// \n"
    "27608 20190 561// 28058 15370 581// 28539 10630 621// ///// \n"
    "88217 571// 28064 77250 521// 27608 \n"
    "ABCSGLABC\n"
    "72999 TTBB  6512/ 72999 00005 15452 11963 12040 22780 02058 \n"
    "31313 051// 1105/=\n"
    "PPBB  65120 72999 90048 20010 24020 25529 920// 27052 \n"
    "\n";

// A test program writing to the console, with station row 0 = 72999 "ABC" and a sounding of
// 15 June 1999, 12 UTC, release time 1105, sonde type 51.
struct Fixture {
  explicit Fixture(const std::vector<Row>& rows, const std::string& replies = "")
      : program(replies) {
    ProgramContext& ctx = *program.ctx;
    ctx.output_stream.use_console();
    std::strcpy(ctx.catalogue.entries[0].initials, "ABC");
    ctx.catalogue.entries[0].wmo = 72999;
    ctx.catalogue.count = 1;
    Sounding& s = sounding_;
    s.year = 1999;
    s.month = 6;
    s.day = 15;
    s.hour = 12;
    s.release_time = 1105;
    s.sonde_type = 51;
    set_levels(rows);
  }
  void set_levels(const std::vector<Row>& rows) {
    Sounding& s = sounding_;
    s.level_count = static_cast<int32_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) s.levels[i] = rows[i];
  }
  // Writes the message of every level with a writer chosen for the level type, as for one
  // request.
  std::string write(int16_t level_type = 0) {
    ProgramContext& ctx = *program.ctx;
    ctx.request.levels = static_cast<LevelSelection>(level_type);
    Faa604Writer writer(ctx.pager, files, ctx.request);
    writer.write_message(sounding_, StationRow{0, &ctx.catalogue.entries[0]});
    return program.output();
  }
  Sounding& sounding() { return sounding_; }

  TestProgram program;
  ConsoleFileReporter file_reporter{*program.ctx, program.ctx->output_stream};
  OutputFiles files{program.ctx->output_stream, file_reporter, ""};
  Sounding sounding_;
};

// The lines of a message (line ends removed).
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    lines.push_back(text.substr(begin, end - begin));
  }
  return lines;
}

// Part A's groups after the four leading items, joined on one line.
std::string part_a_groups(const std::string& message) {
  const std::vector<std::string> lines = lines_of(message);
  std::string groups;
  for (size_t i = 1; i < lines.size() && lines[i] != "ABCSGLABC" && !lines[i].empty(); ++i) {
    groups += lines[i];
  }
  return groups.substr(std::string("72999 TTAA  65120 72999 ").size());
}

// A surface at 1005 mb and mandatory levels at the given pressures (mb), each with a height,
// temperature, dew point and wind.
std::vector<Row> surface_and_mandatory(const std::vector<int32_t>& pressures_mb) {
  std::vector<Row> rows = {{9, 10050, 100, 150, 100, 200, 52}};
  int32_t height = 500;
  for (int32_t p : pressures_mb) {
    rows.push_back({4, p * 10, height, -100, -150, 270, 104});
    height += 1000;
  }
  return rows;
}

TEST(Faa604Writer, WritesTheExampleMessageByteForByte) {
  Fixture fixture(EXAMPLE_LEVELS);
  EXPECT_EQ(fixture.write(0), EXAMPLE_MESSAGE);
  // The sounding is left as it was (pressures stay in tenths of mb).
  EXPECT_EQ(fixture.sounding().level_count, static_cast<int32_t>(EXAMPLE_LEVELS.size()));
  for (size_t i = 0; i < EXAMPLE_LEVELS.size(); ++i) {
    EXPECT_EQ(fixture.sounding().levels[i].pressure, EXAMPLE_LEVELS[i].pressure);
  }
}

TEST(Faa604Writer, LevelTypeChoosesTheParts) {
  const std::string full = EXAMPLE_MESSAGE;
  const std::string part_a = full.substr(0, full.find("ABCSGLABC"));
  const std::string part_b =
      full.substr(full.find("ABCSGLABC"), full.find("PPBB") - full.find("ABCSGLABC"));
  {
    Fixture fixture(EXAMPLE_LEVELS);
    EXPECT_EQ(fixture.write(1), part_a + "\n");
  }
  {
    Fixture fixture(EXAMPLE_LEVELS);
    EXPECT_EQ(fixture.write(2), part_a + part_b + "\n");
  }
}

TEST(Faa604Writer, FirstLevelNotSurfaceGivesOnlyAnEmptyLine) {
  std::vector<Row> rows = EXAMPLE_LEVELS;
  rows[0].kind = SIGNIFICANT;
  Fixture fixture(rows);
  EXPECT_EQ(fixture.write(0), "\n");
}

TEST(Faa604Writer, PartAWalksTheStandardSlots) {
  struct Case {
    const char* behaviour;
    std::vector<Row> rows;
    const char* groups;  // part A after the leading items
  };
  const Case cases[] = {
      {"without a 925 level the 850 level follows the 1000 level",
       surface_and_mandatory({1000, 850, 700, 500}),
       "99005 15050 20010 00500 10150 27020 85500 10150 27020 70500 10150 27020 50350 10150 "
       "27020 88999 77999 "},
      {"a 350-mb level has no slot and is passed over",
       surface_and_mandatory({1000, 925, 850, 700, 500, 400, 350, 300, 250}),
       "99005 15050 20010 00500 10150 27020 92500 10150 27020 85500 10150 27020 70500 10150 "
       "27020 50450 10150 27020 40550 10150 27020 30750 10150 27020 25850 10150 27020 88999 "
       "77999 "},
      {"a station above the 1000-mb surface writes the 1000-mb slot as absent",
       surface_and_mandatory({850, 700, 500}),
       "99005 15050 20010 00/// ///// ///// 85500 10150 27020 70500 10150 27020 50250 10150 "
       "27020 88999 77999 "},
      {"an 850-mb level without temperature and wind keeps its own slot",
       {{9, 9000, 1000, 150, 100, 200, 52},
        {4, 8500, 1457, M, M, M, M},
        {4, 7000, 3012, -100, -150, 270, 104}},
       "99900 15050 20010 00/// ///// ///// 85457 ///// ///// 70012 10150 27020 88999 77999 "},
      {"missing 400- and 300-mb levels are written as absent slots",
       surface_and_mandatory({1000, 850, 700, 500, 250}),
       "99005 15050 20010 00500 10150 27020 85500 10150 27020 70500 10150 27020 50350 10150 "
       "27020 40/// ///// ///// 30/// ///// ///// 25450 10150 27020 88999 77999 "},
      {"a level stored out of order is passed over", surface_and_mandatory({1000, 700, 850, 500}),
       "99005 15050 20010 00500 10150 27020 85/// ///// ///// 70500 10150 27020 50350 10150 "
       "27020 88999 77999 "},
      {"the standard levels end at the 100-mb slot",
       surface_and_mandatory({1000, 850, 700, 500, 400, 300, 250, 200, 150, 100, 100}),
       "99005 15050 20010 00500 10150 27020 85500 10150 27020 70500 10150 27020 50350 10150 "
       "27020 40450 10150 27020 30550 10150 27020 25650 10150 27020 20750 10150 27020 15850 "
       "10150 27020 10950 10150 27020 88999 77999 "},
      {"a tropopause and a maximum wind take prefixes 88 and 77",
       {{9, 10130, 100, 150, 100, 200, 52},
        {8, 3000, 9000, -450, M, 270, 520},
        {7, 2000, 11000, -560, M, M, M}},
       "99013 15050 20010 88200 561// ///// 77300 451// 27100 "},
  };
  for (const Case& c : cases) {
    Fixture fixture(c.rows);
    EXPECT_EQ(part_a_groups(fixture.write(1)), c.groups) << c.behaviour;
  }
}

TEST(Faa604Writer, PartALeadsWithTheWindIndicatorOfTheLastMandatoryWind) {
  struct Case {
    std::vector<Row> rows;
    const char* leading;
  };
  const Case cases[] = {
      {{{9, 10050, 100, 150, 100, 200, 52},
        {4, 10000, 142, 149, 99, 205, 62},
        {4, 8500, 1498, 62, -12, M, 124}},
       "72999 TTAA  65120 72999 "},
      {{{9, 10050, 100, 150, 100, 200, 52}, {4, 8500, 1498, 62, -12, 250, 124}},
       "72999 TTAA  65128 72999 "},
      {{{9, 10050, 100, 150, 100, 200, 52}, {6, M, 1000, M, M, 250, 124}},
       "72999 TTAA  65120 72999 "},
  };
  for (const Case& c : cases) {
    Fixture fixture(c.rows);
    EXPECT_EQ(lines_of(fixture.write(1))[1].substr(0, 24), c.leading);
  }
}

TEST(Faa604Writer, EncodesLevelAndHeightGroups) {
  struct Case {
    int32_t kind;
    int32_t pressure_tenths;
    int32_t height;
    int32_t code;
    const char* level_group;
    const char* height_group;
  };
  const Case cases[] = {
      {SURFACE, 10130, 0, 99, "99013 ", nullptr},
      {SURFACE, 9870, 0, 99, "99987 ", nullptr},
      {SURFACE, 10005, 0, 99, "99000 ", nullptr},
      {SURFACE, M, 0, 99, "///// ", nullptr},
      {SIGNIFICANT, 9639, 0, 0, "00963 ", nullptr},
      {SIGNIFICANT, 1000, 0, 44, "44100 ", nullptr},
      {TROPOPAUSE, 2170, 0, 33, "88217 ", nullptr},
      {MAX_WIND, 2500, 0, 33, "77250 ", nullptr},
      {MANDATORY, 10000, -30, 0, nullptr, "00530 "},
      {MANDATORY, 10000, 2, 0, nullptr, "00002 "},
      {MANDATORY, 9250, 812, 92, nullptr, "92812 "},
      {MANDATORY, 8500, 1457, 85, nullptr, "85457 "},
      {MANDATORY, 8500, M, 85, nullptr, "85/// "},
      {MANDATORY, 7000, 3012, 70, nullptr, "70012 "},
      {MANDATORY, 5000, 5580, 50, nullptr, "50558 "},
      {MANDATORY, 2500, 10350, 25, nullptr, "25035 "},
      {MANDATORY, 1000, 16300, 10, nullptr, "10630 "},
      {MANDATORY, 8500, 1457, 0, nullptr, "00457 "},  // prefix 00 in slot 0
  };
  for (const Case& c : cases) {
    Sounding sounding;
    sounding.level_count = 2;
    sounding.levels[0] = {WIND, M, 0, M, M, 0, 0};
    sounding.levels[1] = {c.kind, c.pressure_tenths, c.height, 0, 0, 0, 0};
    Faa604Levels levels;
    prepare_faa604_levels(sounding, levels);
    std::string group;
    int32_t position = 0;
    const bool found = c.level_group != nullptr
                           ? encode_level_group(levels, c.code, position, c.kind, group)
                           : encode_height_group(levels, c.code, position, c.kind, group);
    EXPECT_TRUE(found);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(group, c.level_group != nullptr ? c.level_group : c.height_group)
        << c.pressure_tenths << " " << c.height;
  }
}

TEST(Faa604Writer, EncodesTemperatureAndDewPointDepression) {
  struct Case {
    int32_t temperature;
    int32_t dew_point;
    const char* group;
  };
  const Case cases[] = {
      {-1, -1, "00100 "},   {-2, -2, "00300 "},    {0, 0, "00000 "},      {153, 101, "15452 "},
      {-124, M, "125// "},  {M, 0, "///// "},      {100, 45, "10055 "},   {100, 41, "10055 "},
      {100, 40, "10056 "},  {100, -399, "10099 "}, {100, -400, "100// "}, {100, -900, "100// "},
      {100, 103, "100-3 "},
  };
  for (const Case& c : cases) {
    Sounding sounding;
    sounding.level_count = 1;
    sounding.levels[0] = {SURFACE, 10100, 0, c.temperature, c.dew_point, 0, 0};
    Faa604Levels levels;
    prepare_faa604_levels(sounding, levels);
    std::string group;
    int32_t position = 0;
    EXPECT_TRUE(encode_temperature_group(levels, 99, position, SURFACE, group));
    EXPECT_EQ(group, c.group) << c.temperature << " " << c.dew_point;
  }
}

TEST(Faa604Writer, EncodesWindsInKnots) {
  struct Case {
    int32_t direction;
    int32_t speed_tenths_ms;
    const char* group;
  };
  const Case cases[] = {
      {358, 62, "35512 "},                         // 12 knots, direction rounded down to 355
      {0, 0, "00000 "},     {247, 545, "24605 "},  // 105 knots: 1 added to the direction
      {240, 103, "24020 "}, {M, 100, "///// "},   {100, M, "///// "},
  };
  for (const Case& c : cases) {
    Sounding sounding;
    sounding.level_count = 1;
    sounding.levels[0] = {SURFACE, 10100, 0, 0, 0, c.direction, c.speed_tenths_ms};
    Faa604Levels levels;
    prepare_faa604_levels(sounding, levels);
    std::string group;
    int32_t position = 0;
    EXPECT_TRUE(encode_wind_group(levels, 99, position, SURFACE, group));
    EXPECT_EQ(group, c.group) << c.direction << " " << c.speed_tenths_ms;
  }
}

TEST(Faa604Writer, EncodersReportMissingLevelsAndMisplacedMandatoryValues) {
  Sounding sounding;
  sounding.level_count = 3;
  sounding.levels[0] = {SURFACE, 10100, 0, 0, 0, 0, 0};
  sounding.levels[1] = {MANDATORY, 8500, 1500, 10, 0, 270, 100};
  sounding.levels[2] = {MANDATORY, 7000, 3000, M, M, M, M};
  Faa604Levels levels;
  prepare_faa604_levels(sounding, levels);
  std::string group = "old";
  int32_t position = 1;
  // The 850-mb level's temperature and wind do not fit the 700-mb slot.
  EXPECT_FALSE(encode_temperature_group(levels, 70, position, MANDATORY, group));
  EXPECT_EQ(group, "");
  EXPECT_EQ(position, 1);
  EXPECT_FALSE(encode_wind_group(levels, 70, position, MANDATORY, group));
  // Absent values are not checked against the slot.
  position = 2;
  EXPECT_TRUE(encode_temperature_group(levels, 85, position, MANDATORY, group));
  EXPECT_EQ(group, "///// ");
  // No tropopause at or after the position.
  position = 0;
  EXPECT_FALSE(encode_level_group(levels, 0, position, TROPOPAUSE, group));
  EXPECT_EQ(position, 0);
  // The 31313 section kinds do not need a level, and no level of kind 0 is taken for one.
  sounding.levels[2].kind = NO_KIND;
  sounding.sonde_type = 10;
  sounding.release_time = 35;
  position = 0;
  EXPECT_TRUE(encode_level_group(levels, 0, position, GROUP_31313, group));
  EXPECT_EQ(group, "31313 ");
  EXPECT_TRUE(encode_level_group(levels, 0, position, GROUP_SONDE_TYPE, group));
  EXPECT_EQ(group, "010// ");
  EXPECT_TRUE(encode_level_group(levels, 0, position, GROUP_RELEASE_TIME, group));
  EXPECT_EQ(group, "0035/=");
}

// Part B of a sounding with a surface and `count` significant levels.
std::string part_b_of(int significant_count, int16_t year, int32_t release_time) {
  std::vector<Row> rows = {{9, 10050, 100, 150, 100, 200, 52}};
  for (int i = 0; i < significant_count; ++i) {
    rows.push_back({5, 9900 - 100 * i, M, 100, 50, M, M});
  }
  Fixture fixture(rows);
  fixture.sounding().year = year;
  fixture.sounding().release_time = release_time;
  const std::string message = fixture.write(2);
  const size_t begin = message.find("ABCSGLABC\n") + 10;
  return message.substr(begin);
}

TEST(Faa604Writer, PartBNumbersLevelsAndEndsWithThe31313Section) {
  EXPECT_EQ(part_b_of(2, 1999, 35),
            "72999 TTBB  6512/ 72999 00005 15050 11990 10050 22980 10050 \n"
            "31313 051// 0035/=\n\n");
  // Before 1991, or without a release time, there is no 31313 section and no "=".
  EXPECT_EQ(part_b_of(1, 1990, 35), "72999 TTBB  6512/ 72999 00005 15050 11990 10050 \n\n");
  EXPECT_EQ(part_b_of(1, 1999, M), "72999 TTBB  6512/ 72999 00005 15050 11990 10050 \n\n");
  // After 99 the numbers start again at 11.
  const std::string eleven = part_b_of(11, 1990, 35);
  EXPECT_NE(eleven.find("88920 10050 99910 10050 11900 10050 "), std::string::npos) << eleven;
  // No significant level: the heading alone.
  EXPECT_EQ(part_b_of(0, 1999, 35), "\n");
}

TEST(Faa604Writer, AFullLastLineLeavesAnEmptyPendingLine) {
  // Part B: the surface and two significant levels fill the first line exactly.
  EXPECT_EQ(part_b_of(2, 1990, 35),
            "72999 TTBB  6512/ 72999 00005 15050 11990 10050 22980 10050 \n\n\n");
  // Part A: two mandatory levels, 88999 and a maximum wind fill the second line exactly.
  Fixture fixture({{9, 10050, 100, 150, 100, 200, 52},
                   {4, 10000, 142, 149, 99, 205, 62},
                   {4, 9250, 812, 95, 35, 230, 93},
                   {4, 8500, 1498, 62, -12, 250, 124},
                   {8, 2500, 10000, -520, M, 275, 560}});
  EXPECT_EQ(fixture.write(1),
            "ABCMANABC\n"
            "72999 TTAA  65128 72999 99005 15050 20010 00142 15050 20512 \n"
            "92812 09656 23018 85498 06257 25024 88999 77250 521// 27608 \n"
            "\n"
            "\n");
}

TEST(Faa604Writer, WindPartGroupsLevelsByBandsOfTenThousandFeet) {
  std::vector<Row> rows = {{9, 10050, 100, 150, 100, 200, 52}};
  // Four wind levels between 10000 and 20000 feet (metres x 3.29: 10199, 11515, 13160, 19082).
  for (int32_t height : {3100, 3500, 4000, 5800}) rows.push_back({6, M, height, M, M, 90, 52});
  Fixture fixture(rows);
  const std::string message = fixture.write(0);
  EXPECT_EQ(message.substr(message.find("PPBB")),
            "PPBB  65120 72999 900// 20010 91013 09010 09010 09010 919// \n"
            "09010 \n"
            "\n");
}

TEST(Faa604Writer, WindPartTakesAnyNumberOfLevelsInABand) {
  std::vector<Row> rows = {{9, 10050, 100, 150, 100, 200, 52}};
  for (int i = 0; i < 60; ++i) rows.push_back({6, M, 100 + 10 * i, M, M, 90, 52});
  Fixture fixture(rows);
  const std::string message = fixture.write(0);
  std::istringstream wind(message.substr(message.find("PPBB")));
  // 61 levels below 10000 feet: 20 full height groups and one with a single level.
  int height_groups = 0;
  int wind_groups = 0;
  std::string last_height_group;
  for (std::string group; wind >> group;) {
    if (group[0] == '9') {
      ++height_groups;
      last_height_group = group;
    }
    if (group == "09010" || group == "20010") ++wind_groups;
  }
  EXPECT_EQ(height_groups, 21);
  EXPECT_EQ(wind_groups, 61);
  EXPECT_EQ(last_height_group, "902//");  // 690 m = 2270 feet
}

TEST(Faa604Writer, WindPartWithoutWindLevelsWritesNoCodedLine) {
  Fixture fixture(surface_and_mandatory({1000, 850, 700, 500}));
  const std::string message = fixture.write(0);
  EXPECT_EQ(message.find("PPBB"), std::string::npos);
  EXPECT_EQ(message.substr(message.size() - 11), "ABCSGLABC\n\n");
}

TEST(Faa604Writer, PadDigitsPutsZerosInFront) {
  const std::pair<std::string, std::string> cases[] = {
      {"-5", "0-5"}, {"7", "007"}, {"123", "123"}, {"12345", "12345"}, {"", "000"}};
  for (const auto& [text, padded] : cases) {
    std::string value = text;
    pad_digits(3, value);
    EXPECT_EQ(value, padded);
  }
  std::string long_text(20, '1');
  pad_digits(25, long_text);
  EXPECT_EQ(long_text, "00000" + std::string(20, '1'));
}

TEST(Faa604Writer, StraySurfaceInTheLastPositionDoesNotRepeat) {
  std::vector<Row> rows = surface_and_mandatory({1000, 850, 700, 500});
  rows.push_back({9, 9000, 900, 10, 0, 0, 0});
  Fixture fixture(rows);
  EXPECT_EQ(part_a_groups(fixture.write(1)),
            "99005 15050 20010 00500 10150 27020 85500 10150 27020 70500 10150 27020 50350 10150 "
            "27020 88999 77999 ");
}

TEST(Faa604Writer, PausesAfterCountedLinesOnly) {
  // Four counted lines (heading, two full lines, the pending line) and the closing empty line.
  const std::vector<Row> rows = surface_and_mandatory({1000, 850, 700, 500});
  const std::string prompt = " Enter <return> to scroll, 'a' to abort, 'c' to continue:  ";
  Fixture fixture(rows, "\n\n\n");
  ProgramContext& ctx = *fixture.program.ctx;
  ctx.page_length = 5;
  ctx.paging.paging_on = true;
  ctx.paging.lines_since_pause = 0;
  const std::string first = fixture.write(1);
  EXPECT_EQ(lines_of(first).size(), 5u);
  EXPECT_EQ(first.find(prompt), std::string::npos) << "the closing empty line is not counted";
  const std::string both = fixture.write(1);
  EXPECT_EQ(both.substr(first.size(), 10 + prompt.size()), "ABCMANABC\n" + prompt);
  EXPECT_EQ(both.find(prompt, first.size() + 10 + prompt.size()), std::string::npos);
}

TEST(Faa604Writer, WriteErrorEndsTheProgram) {
  Fixture fixture(EXAMPLE_LEVELS);
  ProgramContext& ctx = *fixture.program.ctx;
  ASSERT_TRUE(ctx.output_stream.open_file("/dev/full"));
  int status = -1;
  try {
    // About 500 bytes a message: the 1 MiB buffer fills after some 2000 messages.
    for (int i = 0; i < 10000; ++i) fixture.write(0);
  } catch (const ProgramExit& exit) {
    status = exit.status;
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(fixture.program.errors(), "Write error: No space left on device\n");
}

}  // namespace
}  // namespace wxfetch
