#include "import/wyoming.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

#include "import/import_test_support.h"
#include "stations/catalogue.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

using testing::bare_sounding;
using testing::records_in;
using wxfetch::testing::TempDir;

std::string import(const std::string& text, const TempDir& archive,
                   const std::optional<CsvSounding>& csv = std::nullopt) {
  std::ostringstream messages, summary;
  ImportRun run(archive.path().string(), messages);
  std::istringstream in(text);
  read_wyoming(in, "list.txt", StationTable(), csv, run);
  run.finish();
  return messages.str();
}

const char* const RULE =
    "-----------------------------------------------------------------------------\n";

// Rows: a standard level below the ground, the surface, a standard level, a significant level
// with wind, a wind-only level.
std::string table(const char* speed_name, const char* speed_unit) {
  return std::string(RULE) + "   PRES   HGHT   TEMP   DWPT   RELH   MIXR   DRCT   " + speed_name +
         "   THTA   THTE   THTV\n    hPa     m      C      C      %    g/kg    deg   " +
         speed_unit + "     K      K      K \n" + RULE +
         " 1000.0    120                                                               \n"
         "  966.0    345   22.2   21.0     93  16.50    180      7  298.3  346.4  301.2\n"
         "  925.0    720   20.4   20.4    100  16.61    200     33  300.2  349.0  303.1\n"
         "  873.3   1219   23.2   13.3     54  11.12    220     45  308.0  342.0  310.1\n"
         "  850.5   1450                                205     40                     \n";
}

PackSounding expected_sounding(int32_t wban, int day, double speed_scale) {
  PackSounding s = bare_sounding(wban, 2011, 5, day, 12);
  auto speed = [speed_scale](double value) {
    return static_cast<int32_t>(std::lround(value * speed_scale));
  };
  const int32_t A = ABSENT;
  s.levels = {{9, 9660, 345, 222, 210, 180, speed(7)},
              {4, 10000, storable_height(120), A, A, A, A},
              {4, 9250, storable_height(720), 204, 204, 200, speed(33)},
              {5, 8733, storable_height(1219), 232, 133, 220, speed(45)},
              {6, 8505, storable_height(1450), A, A, 205, speed(40)}};
  return s;
}

TEST(Wyoming, TextListsOfBothTitlesGiveTheirLevels) {
  const std::string text =
      "72357 OUN Norman Observations at 12Z 22 May 2011\n\n" + table("SKNT", "knot") +
      "Station information and sounding indices\n"
      "                             Station number: 72357\n"
      "                          Station elevation: 345.0\n" +
      "Observations for Station 83779 at 12 UTC 23 May 2011\nMARTE\n\n" + table("SPED", " m/s");
  TempDir archive;
  EXPECT_EQ(import(text, archive), "");
  const auto norman = records_in(archive.path(), 2011, 972357);
  ASSERT_EQ(norman.size(), 1u);
  EXPECT_EQ(norman[0].bytes, build_record(expected_sounding(972357, 22, 5.14444)));
  const auto marte = records_in(archive.path(), 2011, 983779);
  ASSERT_EQ(marte.size(), 1u);
  EXPECT_EQ(marte[0].bytes, build_record(expected_sounding(983779, 23, 10)));
}

TEST(Wyoming, CsvTakesStationAndTimeFromTheCommandLine) {
  const std::string csv =
      "time,longitude,latitude,pressure_hPa,geopotential height_m,temperature_C,dew point "
      "temperature_C,wind direction_degree,wind speed_m/s\n"
      "2011-05-22 11:06:00,-97.4,35.2,1000.0,120,,,,\n"
      "2011-05-22 11:06:00,-97.4,35.2,966.0,345,22.2,21.0,180,3.6\n"
      "2011-05-22 11:06:00,-97.4,35.2,925.0,720,20.4,20.4,200,17.0\n"
      "2011-05-22 11:06:00,-97.4,35.2,873.3,1219,23.2,13.3,220,23.2\n"
      "2011-05-22 11:06:00,-97.4,35.2,850.5,1450,,,205,20.6\n";
  TempDir archive;
  EXPECT_EQ(import(csv, archive).rfind("list.txt:1: a CSV listing needs --station and --time", 0),
            0u);
  EXPECT_EQ(import(csv, archive, CsvSounding{72357, 2011, 5, 22, 12}), "");
  PackSounding expected = expected_sounding(972357, 22, 10);
  expected.release_time = 1106;
  const int32_t speeds[] = {36, ABSENT, 170, 232, 206};
  for (size_t i = 0; i < 5; ++i) expected.levels[i].wind_speed = speeds[i];
  const auto records = records_in(archive.path(), 2011, 972357);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].bytes, build_record(expected));

  TempDir other;
  const std::string bad =
      csv.substr(0, csv.find("2011-05-22 11:06:00,-97.4,35.2,925.0")) + "x,y,z\n";
  EXPECT_EQ(import(bad, other, CsvSounding{72357, 2011, 5, 22, 12}).rfind("list.txt:4: CSV row", 0),
            0u);
  EXPECT_TRUE(records_in(other.path(), 2011, 972357).empty());
}

TEST(Wyoming, PagesGiveStationRowsTheInternationalLoaderReads) {
  // Norman in two years (the block gives the position); Marte with the newer title, its name on
  // the next line and no elevation (its surface row gives it); Pittsburgh, which the station
  // table holds; a station whose page gives no position.
  const std::string pages =
      "72357 OUN Norman Observations at 12Z 22 May 2011\n\n" + table("SKNT", "knot") +
      "Station information and sounding indices\n"
      "                          Station latitude: 35.18\n"
      "                         Station longitude: -97.44\n"
      "                          Station elevation: 357.0\n"
      "72357 OUN Norman Observations at 00Z 04 May 1999\n\n" +
      table("SKNT", "knot") +
      "Observations for Station 83779 at 12 UTC 23 May 2011\nMARTE CIV/MIL, Brazil\n\n"
      "Latitude: -23.520 Longitude: -46.630\n\n" +
      table("SPED", " m/s") + "72520 PIT Pittsburgh Observations at 12Z 22 May 2011\n\n" +
      table("SKNT", "knot") +
      "Station information and sounding indices\n"
      "                          Station latitude: 40.53\n"
      "                         Station longitude: -80.22\n"
      "82244  Santarem Observations at 00Z 01 Jan 2012\n\n" +
      table("SKNT", "knot") +
      "                          Station latitude: ******\n"
      "                          Station elevation: -9999.0\n";
  std::istringstream history(
      "1\nPIT  94823 72520  40.53   80.22   360 19480101 99991231 PITTSBURGH/INTL           PA "
      "US\n"),
      in(pages);
  WyomingStations seen;
  collect_wyoming_stations(in, seen);
  std::ostringstream rows, messages;
  EXPECT_EQ(write_wyoming_station_rows(seen, StationTable(history), rows, messages), 1);
  EXPECT_EQ(messages.str(), "wxpack: station 82244: the listings give no position; no row\n");
  EXPECT_EQ(rows.str(),
            "2   INIT  WMO   LAT     LONG    ELEV    BEGIN      END NAME                          "
            "CY\n"
            "OUN  72357  35.18N  97.44W   357 19990101 20111231 Norman\n"
            "MART 83779  23.52S  46.63W   345 20110101 20111231 MARTE CIV/MIL, Brazil\n");
  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  std::istringstream written(rows.str());
  ASSERT_EQ(load_international_rows(written, *catalogue, overflow), 2);
  EXPECT_EQ(catalogue->entries[1].wban, 983779);
  EXPECT_NEAR(catalogue->entries[1].latitude, -23.52, 0.006);

  // A surface row without a height stands at the elevation the page gives.
  std::string no_height = table("SKNT", "knot");
  no_height.replace(no_height.find("  966.0    345"), 14, "  966.0       ");
  TempDir archive;
  EXPECT_EQ(import("72357 OUN Norman Observations at 12Z 22 May 2011\n" + no_height +
                       "                          Station elevation: 345.0\n",
                   archive),
            "");
  const auto norman = records_in(archive.path(), 2011, 972357);
  ASSERT_EQ(norman.size(), 1u);
  EXPECT_EQ(norman[0].bytes, build_record(expected_sounding(972357, 22, 5.14444)));
}

TEST(Wyoming, DatesRowsAndValuesThatCannotBeReadSkipOnlyTheirSounding) {
  const std::string title = "72357 OUN Norman Observations at 12Z 22 May 2011\n";
  // The fourth row (line 9 after the title) with one field changed; the first 21 characters
  // hold PRES, HGHT and TEMP.
  auto with_row = [&title](const std::string& start) {
    std::string text = table("SKNT", "knot");
    text.replace(text.find("  873.3   1219   23.2"), 21, start);
    return title + text;
  };
  auto with_title = [](const std::string& line) { return line + "\n" + table("SKNT", "knot"); };
  struct Case {
    std::string bad;
    std::string message;
  };
  const Case cases[] = {
      {with_title("72357 OUN Norman Observations at 12Z 30 Feb 2011"),
       "list.txt:1: no such date (2011-02-30 12 UTC)"},
      {with_title("72357 OUN Norman Observations at 24Z 22 May 2011"),
       "list.txt:1: no such date (2011-05-22 24 UTC)"},
      {with_title("Observations for Station 83779 at 99 UTC 23 Feb 2023"),
       "list.txt:1: no such date (2023-02-23 99 UTC)"},
      {with_title("72357 OUN Norman Observations at 12Z 22 May 2100"),
       "list.txt:1: no such date (2100-05-22 12 UTC)"},
      {with_title("72357 OUN Norman Observations at 12Z 22 May 1899"),
       "list.txt:1: no such date (1899-05-22 12 UTC)"},
      {with_title("72357 OUN Norman Observations at "),
       "list.txt:1: title line without station or time"},
      {with_title("99999999999999999999 OUN Norman Observations at 12Z 22 May 2011"),
       "list.txt:1: title line without station or time"},
      {with_row(" +873.3   1219   23.2"), "list.txt:9: table row does not parse (PRES \"+873.3\")"},
      {with_row("    nan   1219   23.2"), "list.txt:9: table row does not parse (PRES \"nan\")"},
      {with_row("    nan    nan   23.2"), "list.txt:9: table row does not parse (PRES \"nan\")"},
      {with_row("words in the table\n  873.3   1219   23.2"),
       "list.txt:10: table row after the end of its table"},
      {with_row("  873.3   1219    nan"), "list.txt:9: table row does not parse (TEMP \"nan\")"},
      {with_row("  873.3   1e30   23.2"), "list.txt:9: table row does not parse (HGHT \"1e30\")"},
      {with_row("garbage            "), "list.txt:9: table row does not parse (PRES \"garbage\")"},
      {with_row("  873.39999999   23.2"),
       "list.txt:1: sounding of 972357 at 2011052212: no height near 9999999 m"},
      {with_row("  873.3   1219 9000.0"),
       "list.txt:1: sounding of 972357 at 2011052212: temperature"},
  };
  const std::string good = "72357 OUN Norman Observations at 12Z 23 May 2011\n" +
                           table("SKNT", "knot") + "Station information and sounding indices\n";
  for (const Case& c : cases) {
    TempDir archive;
    EXPECT_EQ(import(c.bad + good, archive).rfind(c.message, 0), 0u)
        << c.message << "\n"
        << import(c.bad + good, archive);
    const auto records = records_in(archive.path(), 2011, 972357);
    ASSERT_EQ(records.size(), 1u) << c.message;
    EXPECT_EQ(records[0].bytes, build_record(expected_sounding(972357, 23, 5.14444)));
  }
}

TEST(Wyoming, CsvRowsAndTimesThatCannotBeReadSkipTheListing) {
  const std::string header =
      "pressure_hPa,geopotential height_m,temperature_C,dew point temperature_C,wind "
      "direction_degree,wind speed_m/s\n";
  const std::string surface = "966.0,345,22.2,21.0,180,3.6\n";
  struct Case {
    std::string rows;
    CsvSounding time;
    std::string message;
  };
  const Case cases[] = {
      {surface + "925.0,720,nan,20.4,200,17.0\n",
       {72357, 2011, 5, 22, 12},
       "list.txt:3: CSV row does not parse (TEMP \"nan\")"},
      {surface + "925.0,720,20.4,20.4,200,inf\n",
       {72357, 2011, 5, 22, 12},
       "list.txt:3: CSV row does not parse (speed \"inf\")"},
      {surface + "925.0,1000000000000000000000000000000,20.4,20.4,200,17.0\n",
       {72357, 2011, 5, 22, 12},
       "list.txt:3: CSV row has HGHT 1000000000000000000000000000000"},
      {surface + ",720,20.4,20.4,200,17.0\n",
       {72357, 2011, 5, 22, 12},
       "list.txt:3: CSV row without a pressure"},
      {surface, {72357, 2011, 2, 30, 12}, "list.txt:1: no such date (2011-02-30 12 UTC)"},
      {surface, {72357, 2200, 5, 22, 12}, "list.txt:1: no such date (2200-05-22 12 UTC)"},
  };
  for (const Case& c : cases) {
    TempDir archive;
    EXPECT_EQ(import(header + c.rows, archive, c.time).rfind(c.message, 0), 0u) << c.message;
    EXPECT_TRUE(records_in(archive.path(), c.time.year, 972357).empty()) << c.message;
  }
}

}  // namespace
}  // namespace wxfetch::pack
