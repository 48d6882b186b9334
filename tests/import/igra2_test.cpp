#include "import/igra2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <string>

#include "base/text.h"
#include "import/import_test_support.h"
#include "stations/catalogue.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

using testing::bare_sounding;
using testing::records_in;
using wxfetch::testing::TempDir;

// A header line in the documented columns.
std::string header(const char* id, int year, int month, int day, int hour, int reltime,
                   int levels) {
  return cformat("#%s %4d %02d %02d %02d %04d %4d ncdc-nws ncdc-gts  351808  -974378\n", id, year,
                 month, day, hour, reltime, levels);
}

// A level line in the documented columns (ETIME and RH missing).
std::string level(const char* type, int press, int gph, int temp, int dpdp, int wdir, int wspd) {
  return cformat("%s %5d %6d %5d %5d %5d %5d %5d %5d\n", type, -9999, press, gph, temp, -9999, dpdp,
                 wdir, wspd);
}

const char* const DENVER_HISTORY =
    "1 INIT WBAN WMO LAT LONG ELEV BEGIN END NAME ST CY\n"
    "DNR  23062 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US\n";

struct Imported {
  std::string messages;
  int status = 0;
  std::string summary;
};

Imported import(const std::string& text, const TempDir& archive,
                const StationTable& stations = StationTable()) {
  std::ostringstream messages, summary;
  ImportRun run(archive.path().string(), messages);
  std::istringstream in(text);
  read_igra2(in, "igra.txt", stations, run);
  run.finish();
  const int status = run.summary(summary);
  return {messages.str(), status, summary.str()};
}

TEST(Igra2, ConvertsLevelsAndPutsTheSurfaceFirst) {
  // A height the archive cannot hold exactly is stored 1 m higher and counted in a note.
  int32_t odd_height = 1400;
  while (storable_height(odd_height) == odd_height) ++odd_height;
  const std::string text =
      header("USM00072469", 1999, 3, 4, 12, 1115, 6) +
      level("10", 100000, 120, -9999, -9999, -9999, -9999) +  // below the ground
      level("21", 84012, 1611, 125, 156, 270, 52) +           // surface, QC-removed nothing
      level("10", 70000, 3050, -21, 64, 280, 123) +
      level("20", 65006, -8888, -50, -8888, 285, 130) +
      level("30", -9999, odd_height, -9999, -9999, 290, 140) +  // wind by height
      level("12", 25000, 10400, -520, -9999, 300, 400);         // tropopause at 250 mb
  TempDir archive;
  std::istringstream history(DENVER_HISTORY);
  const Imported result = import(text, archive, StationTable(history));
  EXPECT_EQ(result.messages, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.summary.find("1 sounding imported into 1 station-year file"), std::string::npos);
  EXPECT_NE(result.summary.find("1 height stored 1 m off"), std::string::npos) << result.summary;
  EXPECT_EQ(result.summary.find("fewer than five"), std::string::npos);

  PackSounding expected = bare_sounding(23062, 1999, 3, 4, 12);
  expected.release_time = 1115;
  expected.levels = {{9, 8401, 1611, 125, -31, 270, 52},
                     {4, 10000, 120, ABSENT, ABSENT, ABSENT, ABSENT},
                     {4, 7000, 3050, -21, -85, 280, 123},
                     {5, 6501, ABSENT, -50, ABSENT, 285, 130},
                     {6, ABSENT, odd_height + 1, ABSENT, ABSENT, 290, 140},
                     {7, 2500, 10400, -520, ABSENT, 300, 400}};
  const auto records = records_in(archive.path(), 1999, 23062);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].bytes, build_record(expected));
}

// Every level type of the format is read (pilot-balloon files have a non-pressure surface, 31;
// recent ones 01), blank lines are passed over, and a dew point missing beside a relative
// humidity comes from the humidity over water, never above the temperature.
TEST(Igra2, ReadsEveryLevelTypeAndDewPointsFromHumidity) {
  auto with_rh = [](const char* type, int press, int gph, int temp, int rh) {
    return cformat("%s %5d %6d %5d %5d %5d %5d %5d %5d\n", type, -9999, press, gph, temp, rh, -9999,
                   270, 50);
  };
  const std::string text =
      "\n" + header("USM00072469", 1999, 3, 4, 12, 9999, 7) +
      with_rh("01", 84000, 1611, 253, 873) +    // 87.3 %: 23.04 C
      with_rh("10", 70000, 3050, -100, 500) +   // 50 %: -18.46 C
      with_rh("20", 65000, 3600, -150, 1000) +  // saturated
      with_rh("00", 60000, 4200, -200, -9999) + with_rh("32", 25000, 10400, -520, 0) +
      with_rh("31", -9999, 1700, -9999, 500) + with_rh("30", -9999, 5000, -9999, -9999) + "\n\n" +
      header("USM00072469", 1999, 3, 5, 0, 9999, 1) + with_rh("41", 84000, 1611, 1, 1);
  TempDir archive;
  std::istringstream history(DENVER_HISTORY);
  const Imported result = import(text, archive, StationTable(history));
  EXPECT_EQ(result.messages.rfind("igra.txt:13: level type \"41\" is not one of LVLTYP1 0 to 3", 0),
            0u)
      << result.messages;
  EXPECT_NE(result.summary.find("3 dew points computed from the relative humidity"),
            std::string::npos)
      << result.summary;

  PackSounding expected = bare_sounding(23062, 1999, 3, 4, 12);
  expected.levels = {
      {9, 8400, 1611, 253, 230, 270, 50},        {4, 7000, 3050, -100, -185, 270, 50},
      {5, 6500, 3600, -150, -150, 270, 50},      {5, 6000, 4200, -200, ABSENT, 270, 50},
      {7, 2500, 10400, -520, ABSENT, 270, 50},   {9, ABSENT, 1700, ABSENT, ABSENT, 270, 50},
      {6, ABSENT, 5000, ABSENT, ABSENT, 270, 50}};
  for (PackLevel& level : expected.levels) level.height = storable_height(level.height);
  const auto records = records_in(archive.path(), 1999, 23062);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].bytes, build_record(expected));
}

TEST(Igra2, BadLinesSkipTheirSoundingAndNameTheLine) {
  const std::string good =
      header("USM00072469", 1999, 3, 5, 0, 9999, 5) + level("21", 84000, 1611, 125, 30, 270, 52) +
      level("10", 70000, 3050, -21, 64, 280, 123) + level("10", 50000, 5700, -205, 100, 270, 200) +
      level("10", 40000, 7300, -301, 120, 275, 220) + level("10", 30000, 9300, -441, 130, 275, 250);
  struct Case {
    std::string bad;
    std::string message;
  };
  const Case cases[] = {
      {header("ZZV00DBBH01", 1999, 3, 4, 0, 9999, 1) + level("21", 100000, 5, 10, 1, 0, 0),
       "igra.txt:1: station ZZV00DBBH01 has no WMO number"},
      {header("USM00072469", 1999, 3, 4, 0, 9999, 2) + level("21", 84000, 1611, 125, 30, 0, 0) +
           "10 bad line\n",
       "igra.txt:3: level line does not parse"},
      {header("USM00072469", 1999, 3, 4, 0, 9999, 3) + level("21", 84000, 1611, 125, 30, 0, 0),
       "igra.txt:1: NUMLEV says 3 levels, 1 level lines follow"},
      {header("USM00072469", 1999, 3, 4, 0, 9999, 1) + level("40", 84000, 1611, 125, 30, 0, 0),
       "igra.txt:2: level type \"40\""},
      {header("USM00072469", 1999, 3, 4, 99, 9999, 1) + level("21", 84000, 1611, 125, 30, 0, 0),
       "igra.txt:1: no hour"},
      {level("21", 84000, 1611, 125, 30, 0, 0), "igra.txt:1: a level line before the first"},
  };
  for (const Case& c : cases) {
    TempDir archive;
    const Imported result = import(c.bad + good, archive);
    EXPECT_EQ(result.messages.rfind(c.message, 0), 0u) << result.messages;
    EXPECT_EQ(result.status, 1) << c.message;
    // The good sounding after the bad one is imported all the same (WMO 72469 is international).
    EXPECT_EQ(records_in(archive.path(), 1999, 972469).size(), 1u) << c.message;
  }
}

TEST(Igra2, DatesThatDoNotExistOrLieOutsideTheArchiveYearsSkipTheirSounding) {
  struct Case {
    int year, month, day, hour, reltime;
    std::string message;  // "" for a date that exists
  };
  const Case cases[] = {
      {1999, 2, 30, 0, 9999, "igra.txt:1: no such date (1999-02-30 00 UTC)"},
      {1999, 4, 31, 12, 9999, "igra.txt:1: no such date (1999-04-31 12 UTC)"},
      {1900, 2, 29, 0, 9999, "igra.txt:1: no such date (1900-02-29 00 UTC)"},
      {2000, 2, 29, 0, 9999, ""},
      {1999, 3, 4, 24, 9999, "igra.txt:1: no such date (1999-03-04 24 UTC)"},
      {1999, 3, 4, 99, 2430, "igra.txt:1: no hour"},
      {1999, 3, 4, 99, -100, "igra.txt:1: no hour"},
      {1999, 3, 4, 99, 1130, ""},
      {1999, 13, 1, 0, 9999, "igra.txt:1: no such date (1999-13-01 00 UTC)"},
      {1999, -1, 1, 0, 9999, "igra.txt:1: no such date (1999--1-01 00 UTC)"},
      {1999, 3, 0, 0, 9999, "igra.txt:1: no such date (1999-03-00 00 UTC)"},
      {2100, 1, 1, 0, 9999, "igra.txt:1: no such date (2100-01-01 00 UTC)"},
      {1899, 12, 31, 0, 9999, "igra.txt:1: no such date (1899-12-31 00 UTC)"},
  };
  for (const Case& c : cases) {
    const std::string text = header("USM00072469", c.year, c.month, c.day, c.hour, c.reltime, 1) +
                             level("21", 84000, 1611, 125, 30, 270, 52) +
                             header("USM00072469", 2001, 1, 1, 0, 9999, 1) +
                             level("21", 84000, 1611, 125, 30, 270, 52);
    TempDir archive;
    const Imported result = import(text, archive);
    EXPECT_EQ(result.messages.rfind(c.message, 0), 0u) << result.messages;
    EXPECT_EQ(result.status, c.message.empty() ? 0 : 1) << c.message;
    EXPECT_EQ(records_in(archive.path(), 2001, 972469).size(), 1u) << c.message;
    if (c.message.empty()) {
      const int hour = c.hour == 99 ? c.reltime / 100 : c.hour;
      const auto records = records_in(archive.path(), c.year, 972469);
      ASSERT_EQ(records.size(), 1u) << c.year << "-" << c.month << "-" << c.day;
      EXPECT_EQ(records[0].day * 100 + records[0].hour, c.day * 100 + hour);
    }
  }
}

TEST(Igra2, MergesIntoTheArchiveAndKeepsTheLastOfTwins) {
  TempDir archive;
  PackSounding old_midnight = bare_sounding(972469, 1999, 3, 4, 0);
  old_midnight.levels = {{9, 8400, 1611, 100, ABSENT, ABSENT, ABSENT}};
  PackSounding old_noon = old_midnight;
  old_noon.hour = 12;
  write_archive(archive.path(), {old_midnight, old_noon});

  // Noon again (twice: the last counts), a new day, another year and back to 1999 (unsorted).
  auto sounding = [](int year, int day, int hour, int temperature) {
    return header("USM00072469", year, 3, day, hour, 9999, 1) +
           level("21", 84000, 1611, temperature, -9999, -9999, -9999);
  };
  const Imported result = import(sounding(1999, 4, 12, 1) + sounding(1999, 4, 12, 2) +
                                     sounding(2000, 1, 0, 3) + sounding(1999, 5, 0, 4),
                                 archive);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.messages.rfind("igra.txt:3: station 972469 at 1999030412 again", 0), 0u)
      << result.messages;
  EXPECT_NE(result.summary.find("3 soundings imported into 2 station-year files"),
            std::string::npos)
      << result.summary;
  EXPECT_NE(result.summary.find("1 sounding of the archive replaced"), std::string::npos);

  const auto records = records_in(archive.path(), 1999, 972469);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].bytes, build_record(old_midnight));
  PackSounding noon = old_noon;
  noon.levels[0].temperature = 2;
  EXPECT_EQ(records[1].bytes, build_record(noon));
  EXPECT_EQ(records[2].day, 5);
  EXPECT_EQ(records_in(archive.path(), 2000, 972469).size(), 1u);
  EXPECT_FALSE(
      std::filesystem::exists(database_file_name(archive.dir(), 1999, 972469) + ".wxpack-part"));
}

TEST(Igra2, ThinsSoundingsLongerThanWxfetchReads) {
  std::string text =
      header("USM00072469", 1999, 3, 4, 0, 9999, 402) + level("21", 84000, 1611, 100, 10, 0, 0);
  for (int i = 0; i < 400; ++i) text += level("20", 83000 - i * 100, -9999, 50, 10, 0, 0);
  text += level("10", 30000, 9300, -441, 130, 275, 250);
  TempDir archive;
  const Imported result = import(text, archive);
  EXPECT_NE(result.summary.find("1 sounding thinned to 350 levels"), std::string::npos);
  const auto records = records_in(archive.path(), 1999, 972469);
  ASSERT_EQ(records.size(), 1u);
  // 24 bytes of header and sections, 64 bits of data header, 83 bits a level.
  EXPECT_EQ(records[0].bytes[35] * 256 + records[0].bytes[36], 350);
}

TEST(Igra2, StationListGivesRowsTheInternationalLoaderReads) {
  // A station reporting in the list's latest year (2025) is still reporting: its period is open.
  auto row = [](const char* id, double lat, double lon, double elev, const char* name,
                int last = 2025) {
    return cformat("%-11s %8.4f %9.4f %6.1f    %-30s 1950 %4d   1234\n", id, lat, lon, elev, name,
                   last);
  };
  const std::string list = row("USM00072469", 39.7675, -104.8694, 1611, "DENVER/STAPLETON") +
                           row("BRM00083779", -23.5167, -46.6333, 722, "SAO PAULO/MARTE") +
                           row("ZZV00DBBH01", 50, -20, -998.8, "SHIP DBBH") +
                           row("ASM00094120", -12.4239, 130.8925, 29, "DARWIN AIRPORT", 2019) +
                           row("USM00072520", 40.5317, -80.2172, 360, "PITTSBURGH") +
                           "USM00072201  not a number\n" +
                           row("USM00072202", NAN, 10, 10, "NO NUMBER FOR A LATITUDE") +
                           row("USM00072203", 10, 10, 10, "LAST YEAR 2150").replace(77, 4, "2150");
  const char* const pittsburgh =
      "1\nPIT  94823 72520  40.53   80.22   360 19480101 99991231 PITTSBURGH/INTL           PA "
      "US\n";
  std::istringstream history(pittsburgh), in(list);
  std::ostringstream rows, messages;
  EXPECT_EQ(write_igra2_station_rows(in, "list.txt", StationTable(history), rows, messages), 3);
  EXPECT_EQ(messages.str(),
            "list.txt:6: station line does not parse\nlist.txt:7: station line does not parse\n"
            "list.txt:8: station line does not parse\n");

  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  std::istringstream written(rows.str());
  ASSERT_EQ(load_international_rows(written, *catalogue, overflow), 3) << rows.str();
  struct Expected {
    int32_t wmo;
    float latitude, longitude;
    int16_t elevation;
    int32_t begin, end;
  };
  const Expected expected[] = {{72469, 39.77f, -104.87f, 1611, 19500101, 99991231},
                               {83779, -23.52f, -46.63f, 722, 19500101, 99991231},
                               {94120, -12.42f, 130.89f, 29, 19500101, 20191231}};
  for (int i = 0; i < 3; ++i) {
    const StationEntry& row = catalogue->entries[i];
    EXPECT_EQ(row.wmo, expected[i].wmo);
    EXPECT_EQ(row.wban, 900000 + expected[i].wmo);
    EXPECT_NEAR(row.latitude, expected[i].latitude, 0.006);
    EXPECT_NEAR(row.longitude, expected[i].longitude, 0.006);
    EXPECT_EQ(row.elevation, expected[i].elevation);
    EXPECT_EQ(row.period_begin, expected[i].begin);
    EXPECT_EQ(row.period_end, expected[i].end);
  }

  // With the WMO numbers an archive holds, only their rows.
  const std::set<int32_t> held = {83779};
  long held_count = 0;
  std::istringstream again(list), history_again(pittsburgh);
  std::ostringstream held_rows, held_messages;
  write_igra2_station_rows(again, "list.txt", StationTable(history_again), held_rows, held_messages,
                           StationRowsChoice{&held, &held_count});
  EXPECT_EQ(held_count, 1);
  EXPECT_NE(held_rows.str().find("83779"), std::string::npos);
  EXPECT_EQ(held_rows.str().find("72469"), std::string::npos);
  EXPECT_STREQ(catalogue->entries[1].initials, "SAOP");
}

}  // namespace
}  // namespace wxfetch::pack
