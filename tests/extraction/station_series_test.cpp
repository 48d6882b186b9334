#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "extraction/extraction.h"
#include "support/driver_fixture.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::sounding_at;
using testing::soundings_in;
using Soundings = std::vector<std::string>;

class StationSeriesTest : public testing::DriverTest {
 protected:
  StationSeriesTest() : DriverTest(extract_station_series, SortOrder::CLIMATOLOGICAL) {}
};

TEST_F(StationSeriesTest, ClipsTheFirstAndLastDayByTheRecordsOwnHours) {
  std::vector<pack::PackSounding> soundings;
  for (int day = 1; day <= 3; ++day) {
    for (int hour : {0, 12, 18}) soundings.push_back(sounding_at(23062, 1994, 1, day, hour));
  }
  write(soundings);
  select({23062});
  EXPECT_EQ(to_screen("1994010112", "1994010312"), 7);
  EXPECT_EQ(
      soundings_in(program.output()),
      (Soundings{"1994010112 23062", "1994010118 23062", "1994010200 23062", "1994010212 23062",
                 "1994010218 23062", "1994010300 23062", "1994010312 23062"}));
}

TEST_F(StationSeriesTest, OffHourSoundingsOnlyWithAllTimes) {
  write({sounding_at(23062, 1994, 5, 1, 0), sounding_at(23062, 1994, 5, 1, 6),
         sounding_at(23062, 1994, 5, 1, 12)});
  select({23062});
  to_screen("1994050100", "1994050123", 0);
  EXPECT_EQ(soundings_in(program.output()),
            (Soundings{"1994050100 23062", "1994050106 23062", "1994050112 23062"}));
  program.out.str("");
  to_screen("1994050100", "1994050123", 1);
  EXPECT_EQ(soundings_in(program.output()), (Soundings{"1994050100 23062", "1994050112 23062"}));
}

TEST_F(StationSeriesTest, DeliversStationByStationThenByTime) {
  write({sounding_at(94823, 1998, 12, 31, 0), sounding_at(23062, 1998, 12, 31, 12),
         sounding_at(23062, 1999, 1, 1, 0), sounding_at(94823, 1999, 1, 1, 0)});
  select({94823, 23062});
  EXPECT_EQ(to_screen("1998123100", "1999010100"), 4);
  EXPECT_EQ(soundings_in(program.output()), (Soundings{"1998123112 23062", "1999010100 23062",
                                                       "1998123100 94823", "1999010100 94823"}));
  // On the screen the only status line is the one saying that no data was available.
  EXPECT_EQ(program.output().find("STATUS"), std::string::npos);
}

TEST_F(StationSeriesTest, FileStructuresStartFilesPerStationOrPerSounding) {
  write({sounding_at(23062, 1999, 1, 1, 0), sounding_at(23062, 1999, 1, 1, 12),
         sounding_at(24011, 1999, 1, 1, 0), sounding_at(94823, 1999, 1, 2, 12)});
  select({23062, 24011, 94823});

  EXPECT_EQ(to_files("1999010100", "1999010223", 1), 1);
  EXPECT_EQ(files_written(),
            (std::vector<std::string>{"72469_DEN_1999010100.txt", "72520_PIT_1999010212.txt",
                                      "72764_BIS_1999010100.txt"}));
  EXPECT_EQ(soundings_in(read_file(archive.path() / "out" / "72469_DEN_1999010100.txt")),
            (Soundings{"1999010100 23062", "1999010112 23062"}));
  const std::string out = archive.dir() + "out/";
  EXPECT_EQ(program.output(),
            "\n STATUS:  Writing output file: " + out + "72469_DEN_1999010100.txt        \n" +
                " STATUS:  processing station: 23062 date: 1999010100\r"
                " STATUS:  processing station: 23062 date: 1999010112\r"
                " STATUS:  number of soundings written: 2                    \n\n"
                " STATUS:  Writing output file: " +
                out + "72764_BIS_1999010100.txt        \n" +
                " STATUS:  processing station: 24011 date: 1999010100\r"
                " STATUS:  number of soundings written: 1                    \n\n"
                " STATUS:  Writing output file: " +
                out + "72520_PIT_1999010212.txt        \n" +
                " STATUS:  processing station: 94823 date: 1999010212\r"
                " STATUS:  number of soundings written: 1                    \n\n");

  EXPECT_EQ(to_files("1999010100", "1999010223", 2), 1);
  EXPECT_EQ(files_written().size(), 4u);
  EXPECT_EQ(to_files("1999010100", "1999010223", 0), 4);
  EXPECT_EQ(files_written(), (std::vector<std::string>{"1999010100.txt"}));
}

TEST_F(StationSeriesTest, ResultIsMinusOneWhenNothingOpensAndZeroWhenNothingMatches) {
  write({sounding_at(23062, 1999, 1, 1, 0)});
  select({23062});
  EXPECT_EQ(to_screen("1999020100", "1999020200"), 0);
  EXPECT_EQ(program.output(), "\n STATUS:  No data was available to meet your request.\n\n");
  program.out.str("");
  program.set_replies("\n");
  EXPECT_EQ(to_screen("1998020100", "1998020200"), -1);
  EXPECT_NE(program.output().find("\tWARNING:  No database files could be opened in: "),
            std::string::npos);
}

}  // namespace
}  // namespace wxfetch
