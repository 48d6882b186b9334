#include "output/kvt_writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "console/pager.h"
#include "dialogue/console_reporters.h"
#include "output/output_files.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

// The nineteen levels of a sounding of 15 June 1999 at 12 UTC: kind, pressure, height,
// temperature, dew point, wind direction, wind speed.
const SoundingLevel EXAMPLE_LEVELS[19] = {
    {9, 10050, 100, 153, 101, 200, 51},          {4, 10000, 142, 149, 99, 205, 62},
    {5, 9630, 470, 120, 80, 99999, 99999},       {4, 9250, 812, 95, 35, 230, 93},
    {6, 99999, 1219, 99999, 99999, 240, 103},    {4, 8500, 1498, 62, -12, 250, 124},
    {6, 99999, 2438, 99999, 99999, 255, 150},    {5, 7800, 2200, 20, -60, 99999, 99999},
    {4, 7000, 3064, -32, -151, 265, 180},        {4, 5000, 5700, -205, -301, 270, 257},
    {6, 99999, 6100, 99999, 99999, 270, 270},    {4, 4000, 7300, -301, -420, 275, 300},
    {4, 3000, 9300, -440, 99999, 275, 380},      {4, 2500, 10480, -520, 99999, 275, 560},
    {8, 2500, 10480, -520, 99999, 275, 560},     {7, 2170, 11500, -571, 99999, 280, 330},
    {4, 2000, 11900, -560, 99999, 280, 300},     {4, 1500, 13700, -580, 99999, 285, 200},
    {4, 1000, 16300, -620, 99999, 99999, 99999},
};

const char EXAMPLE_FULL[] =
    "    254     12     15      JUN    1999\n"
    "      1  12345  72999  39.77N104.87W   100   1105\n"
    "      2  10050   2500   2170     23      7      3\n"
    "      3           ABC                   51     kt\n"
    "      9  10050    100    153    101    200     10\n"
    "      4  10000    142    149     99    205     12\n"
    "      5   9630    470    120     80  99999  99999\n"
    "      4   9250    812     95     35    230     18\n"
    "      6  99999   1219  99999  99999    240     20\n"
    "      4   8500   1498     62    -12    250     24\n"
    "      6  99999   2438  99999  99999    255     29\n"
    "      5   7800   2200     20    -60  99999  99999\n"
    "      4   7000   3064    -32   -151    265     35\n"
    "      4   5000   5700   -205   -301    270     49\n"
    "      6  99999   6100  99999  99999    270     52\n"
    "      4   4000   7300   -301   -420    275     58\n"
    "      4   3000   9300   -440  99999    275     73\n"
    "      4   2500  10480   -520  99999    275    108\n"
    "      8   2500  10480   -520  99999    275    108\n"
    "      7   2170  11500   -571  99999    280     64\n"
    "      4   2000  11900   -560  99999    280     58\n"
    "      4   1500  13700   -580  99999    285     39\n"
    "      4   1000  16300   -620  99999  99999  99999\n";

// The same sounding in whole mb with 32767 for absent values.
const char EXAMPLE_100MB[] =
    "    254     12     15      JUN    1999\n"
    "      1  12345  72999  39.77N104.87W   100   1105\n"
    "      2   1005    250    217     23      7      3\n"
    "      3           ABC                   51     kt\n"
    "      9   1005    100    153    101    200     10\n"
    "      4   1000    142    149     99    205     12\n"
    "      5    963    470    120     80  32767  32767\n"
    "      4    925    812     95     35    230     18\n"
    "      6  32767   1219  32767  32767    240     20\n"
    "      4    850   1498     62    -12    250     24\n"
    "      6  32767   2438  32767  32767    255     29\n"
    "      5    780   2200     20    -60  32767  32767\n"
    "      4    700   3064    -32   -151    265     35\n"
    "      4    500   5700   -205   -301    270     49\n"
    "      6  32767   6100  32767  32767    270     52\n"
    "      4    400   7300   -301   -420    275     58\n"
    "      4    300   9300   -440  32767    275     73\n"
    "      4    250  10480   -520  32767    275    108\n"
    "      8    250  10480   -520  32767    275    108\n"
    "      7    217  11500   -571  32767    280     64\n"
    "      4    200  11900   -560  32767    280     58\n"
    "      4    150  13700   -580  32767    285     39\n"
    "      4    100  16300   -620  32767  32767  32767\n";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The whitespace-separated columns of a line, as numbers.
std::vector<long> columns(const std::string& line) {
  std::vector<long> values;
  std::istringstream stream(line);
  for (long value; stream >> value;) values.push_back(value);
  return values;
}

class KvtWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    StationEntry& row = ctx.catalogue.entries[STATION_ROW];
    std::strcpy(row.initials, "ABC");
    row.wban = 12345;
    row.wmo = 72999;
    row.latitude = 39.77f;
    row.lat_hemisphere = 'N';
    row.longitude = -104.87f;
    row.lon_hemisphere = 'W';
    row.elevation = 100;
    ctx.catalogue.count = STATION_ROW + 1;

    Sounding& s = sounding;
    s.year = 1999;
    s.month = 6;
    s.day = 15;
    s.hour = 12;
    s.release_time = 1105;
    s.sonde_type = 51;
    s.reference_pressure_1 = 10050;
    s.reference_pressure_2 = 2170;
    s.reference_pressure_3 = 2500;
    s.indicator_b = 7;
    s.indicator_a = 3;
    set_levels(EXAMPLE_LEVELS, EXAMPLE_LEVELS + 19);
    ctx.output_stream.use_console();
  }

  void set_levels(const SoundingLevel* begin, const SoundingLevel* end) {
    sounding.level_count = static_cast<int32_t>(end - begin);
    std::copy(begin, end, sounding.levels.begin());
  }

  // Writes the sounding with a writer chosen for these options, as for one request.
  void write(bool above_100mb, int16_t wind_units = 0, int16_t level_type = 0) {
    ctx.request.above_100mb = above_100mb;
    ctx.request.wind_units = static_cast<WindUnits>(wind_units);
    ctx.request.levels = static_cast<LevelSelection>(level_type);
    wxfetch::KvtWriter writer(ctx.pager, files, ctx.request);
    writer.write(sounding, StationRow{STATION_ROW, &ctx.catalogue.entries[STATION_ROW]});
  }

  static constexpr int16_t STATION_ROW = 3;
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  ConsoleFileReporter file_reporter{ctx, ctx.output_stream};
  OutputFiles files{ctx.output_stream, file_reporter, ""};
  Sounding sounding;
};

TEST_F(KvtWriter, WritesTheExampleSoundingInBothVariantsWithoutChangingIt) {
  const Sounding before = sounding;
  write(true);
  EXPECT_EQ(program.output(), EXAMPLE_FULL);

  program.out.str("");
  write(false);
  EXPECT_EQ(program.output(), EXAMPLE_100MB);
  EXPECT_EQ(std::memcmp(&before, &sounding, sizeof before), 0);
}

TEST_F(KvtWriter, SelectsLevelsByLevelTypeAndCountsTheBlockLines) {
  struct Case {
    int16_t level_type;
    const char* kinds;  // first column of the level lines
  };
  const Case cases[] = {
      {0, "9 4 5 4 6 4 6 5 4 4 6 4 4 4 8 7 4 4 4"},
      {1, "9 4 4 4 4 4 4 4 4 4 4 4"},
      {2, "9 4 5 4 4 5 4 4 4 4 4 4 4 4"},
  };
  for (const Case& c : cases) {
    program.out.str("");
    write(true, 0, c.level_type);
    const std::vector<std::string> lines = split_lines(program.output());
    ASSERT_GT(lines.size(), 4u);
    std::string kinds;
    for (size_t i = 4; i < lines.size(); ++i) {
      kinds += (kinds.empty() ? "" : " ") + std::to_string(columns(lines[i])[0]);
    }
    EXPECT_EQ(kinds, c.kinds) << "level type " << c.level_type;
    EXPECT_EQ(columns(lines[2])[4], static_cast<long>(lines.size()))
        << "level type " << c.level_type;
  }
}

TEST_F(KvtWriter, WritesTenthsOfMetresPerSecondWithTheMsTag) {
  write(true, 1);
  const std::vector<std::string> lines = split_lines(program.output());
  EXPECT_EQ(lines[3], "      3           ABC                   51     ms");
  EXPECT_EQ(lines[13], "      4   5000   5700   -205   -301    270    257");
  EXPECT_EQ(lines[22], "      4   1000  16300   -620  99999  99999  99999");
}

TEST_F(KvtWriter, HundredMbVariantCutsAtTheFirstLevelUnder100MbAndBoundsReferences) {
  const SoundingLevel levels[] = {
      {9, 10000, 100, 150, 100, 180, 257},
      {5, 995, 16000, -600, 99999, 270, 99999},   // 99.5 mb rounds to 100 and stays
      {6, 99999, 16500, 99999, 99999, 275, 100},  // no pressure: does not end the list
      {5, 994, 17000, -610, 99999, 280, 100},     // 99.4 mb rounds to 99 and ends it
      {4, 10000, 100, 150, 100, 180, 50},         // never reached
  };
  set_levels(levels, levels + 5);
  sounding.reference_pressure_1 = 950;
  sounding.reference_pressure_2 = 950;
  sounding.reference_pressure_3 = MISSING_VALUE;
  sounding.indicator_b = MISSING_VALUE;
  sounding.release_time = MISSING_VALUE;
  write(false);
  EXPECT_EQ(program.output(),
            "    254     12     15      JUN    1999\n"
            "      1  12345  72999  39.77N104.87W   100  32767\n"
            "      2    100  32767     95      7  32767      3\n"
            "      3           ABC                   51     kt\n"
            "      9   1000    100    150    100    180     49\n"
            "      5    100  16000   -600  32767    270  32767\n"
            "      6  32767  16500  32767  32767    275     19\n");

  // The third reference has the same floor as the first.
  program.out.str("");
  sounding.reference_pressure_3 = 500;
  write(false);
  EXPECT_EQ(split_lines(program.output())[2], "      2    100    100     95      7  32767      3");
}

TEST_F(KvtWriter, PrintsStationPositionsAsMagnitudesWithHemisphereLetters) {
  struct Case {
    float latitude;
    char lat_hemisphere;
    float longitude;
    char lon_hemisphere;
    int32_t wban;
    const char* line;
  };
  const Case cases[] = {
      {39.77f, 'N', -104.87f, 'W', 12345, "      1  12345  72999  39.77N104.87W   100   1105"},
      {39.77f, 'N', -95.5f, 'W', 12345, "      1  12345  72999  39.77N 95.50W   100   1105"},
      {-10.25f, 'S', 120.5f, 'E', 12345, "      1  12345  72999  10.25S120.50E   100   1105"},
      {-10.25f, 'S', 5.0f, 'E', 972999, "      1  99999  72999  10.25S  5.00E   100   1105"},
      {51.0f, 'N', 0.0f, 'E', 900000, "      1 900000  72999  51.00N  0.00E   100   1105"},
  };
  StationEntry& row = ctx.catalogue.entries[STATION_ROW];
  for (const Case& c : cases) {
    row.latitude = c.latitude;
    row.lat_hemisphere = c.lat_hemisphere;
    row.longitude = c.longitude;
    row.lon_hemisphere = c.lon_hemisphere;
    row.wban = c.wban;
    for (bool above_100mb : {true, false}) {
      program.out.str("");
      write(above_100mb);
      EXPECT_EQ(split_lines(program.output())[1], c.line);
    }
  }
}

TEST_F(KvtWriter, DatesTheBlockAndDropsTheSondeTypeBefore1991) {
  struct Case {
    int16_t year;
    int16_t month;
    const char* first_line;
    const char* type_3_line;
  };
  const Case cases[] = {
      {1991, 1, "    254     12     15      JAN    1991",
       "      3           ABC                   51     kt"},
      {1990, 12, "    254     12     15      DEC    1990",
       "      3           ABC                          kt"},
      {1999, 13, "    254     12     15      ???    1999",
       "      3           ABC                   51     kt"},
      {1999, 0, "    254     12     15      ???    1999",
       "      3           ABC                   51     kt"},
  };
  for (const Case& c : cases) {
    sounding.year = c.year;
    sounding.month = c.month;
    program.out.str("");
    write(true);
    const std::vector<std::string> lines = split_lines(program.output());
    EXPECT_EQ(lines[0], c.first_line);
    EXPECT_EQ(lines[3], c.type_3_line);
  }
}

TEST_F(KvtWriter, WritesNothingWhenNoLevelIsSelected) {
  const SoundingLevel levels[] = {
      {6, 99999, 1000, 99999, 99999, 270, 100},
      {7, 2000, 11000, -560, 99999, 280, 300},
      {NO_KIND, 5000, 5500, -200, -300, 270, 250},
  };
  set_levels(levels, levels + 3);
  write(true, 0, 1);
  write(true, 0, 2);
  EXPECT_EQ(program.output(), "");
  // In the 100-mb variant a first level under 100 mb leaves nothing either.
  sounding.levels[0] = {9, 500, 100, 150, 100, 180, 50};
  write(false, 0, 0);
  EXPECT_EQ(program.output(), "");
}

TEST_F(KvtWriter, PagesAfterEveryLineButTheType2Line) {
  ctx.page_length = 3;
  start_paging(ctx, true);
  program.set_replies("\nc\n");
  write(true);
  const std::string prompt = " Enter <return> to scroll, 'a' to abort, 'c' to continue:  ";
  const std::string output = program.output();
  // Counted lines: 254, 1, 3 (the type 2 line between them is not counted); then three levels.
  const size_t first = output.find(prompt);
  ASSERT_NE(first, std::string::npos);
  const std::string example = EXAMPLE_FULL;
  size_t header_end = 0;
  for (int line = 0; line < 4; ++line) header_end = example.find('\n', header_end) + 1;
  EXPECT_EQ(output.substr(0, first), example.substr(0, header_end));
  const size_t second = output.find(prompt, first + prompt.size());
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(
      split_lines(output.substr(first + prompt.size(), second - first - prompt.size())).size(), 3u);
  EXPECT_EQ(output.find(prompt, second + prompt.size()), std::string::npos);
  // After 'c' the rest of the levels follow unpaged: every level line is there once.
  std::string levels = output.substr(first + prompt.size());
  levels.erase(second - first - prompt.size(), prompt.size());
  EXPECT_EQ(levels, example.substr(header_end));
}

TEST_F(KvtWriter, EndsTheProgramOnAWriteError) {
  ASSERT_TRUE(ctx.output_stream.open_file("/dev/full"));
  // About a kilobyte a block: the 1 MiB buffer overflows within a few thousand blocks.
  int status = -1;
  int blocks = 0;
  try {
    for (; blocks < 5000; ++blocks) write(true);
  } catch (const ProgramExit& exit) {
    status = exit.status;
  }
  EXPECT_EQ(status, 0);
  EXPECT_GT(blocks, 900);
  EXPECT_EQ(program.errors(), "Write error: No space left on device\n");
  EXPECT_FALSE(ctx.output_stream.is_file());
}

TEST(PutRightAligned, WritesWhatPrintfWrites) {
  const int64_t values[] = {0,       7,       -7,        99999,     -151,      123456,
                            -123456, 1234567, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN};
  for (const int64_t value : values) {
    for (const int width : {0, 1, 6, 7, 12}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%*lld", width, static_cast<long long>(value));
      char text[64];
      char* end = put_right_aligned(text, value, width);
      EXPECT_EQ(std::string(text, static_cast<size_t>(end - text)), expected)
          << value << " in " << width;
    }
  }
}

TEST(PutRightAligned, FixedWidthFieldsWritePrintfsTextForEveryValue) {
  // Every value around the field widths of the level lines, and the 32-bit extremes.
  std::vector<int64_t> values = {INT32_MAX, INT32_MIN, 99999999, 100000000, -9999999, -10000000};
  for (int64_t value = -1100000; value <= 11000000;
       value += value < -100 || value > 2000000 ? 97 : 1) {
    values.push_back(value);
  }
  char expected[64];
  char text[64];
  for (const int64_t value : values) {
    std::snprintf(expected, sizeof expected, "%6lld", static_cast<long long>(value));
    ASSERT_EQ(std::string(text, put_right_aligned_fixed<6>(text, value)), expected) << value;
    ASSERT_EQ(std::string(text, put_right_aligned_6(text, value)), expected) << value;
    std::snprintf(expected, sizeof expected, "%7lld", static_cast<long long>(value));
    ASSERT_EQ(std::string(text, put_right_aligned_fixed<7>(text, value)), expected) << value;
    std::snprintf(expected, sizeof expected, "%8lld", static_cast<long long>(value));
    ASSERT_EQ(std::string(text, put_right_aligned_fixed<8>(text, value)), expected) << value;
  }
}

}  // namespace
}  // namespace wxfetch
