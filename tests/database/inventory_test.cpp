// wxls against the archive builder's input: the counts per station and year, per month, the
// hours and the first and last sounding; a damaged file reported in its row while the listing
// goes on; the search of the station tables.
#include "database/inventory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "commands/wxls.h"
#include "database/archive_names.h"
#include "database/archive_writer.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using pack::PackSounding;

class Inventory : public ::testing::Test {
 protected:
  Inventory() {
    // Denver over two years at 00 and 12 UTC on odd days, at 06 on the 10th, 18 on the 20th and
    // 03 on the 25th; Camborne (an international site) on a few days of 1999.
    for (int year : {1998, 1999}) {
      for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 28; ++day) {
          if (day % 2 == 1) add(23062, year, month, day, 0), add(23062, year, month, day, 12);
          if (day == 10) add(23062, year, month, day, 6);
          if (day == 20) add(23062, year, month, day, 18);
          if (day == 25) add(23062, year, month, day, 3);
        }
      }
    }
    for (int day : {2, 3, 17}) add(903808, 1999, 6, day, 12);
    pack::write_archive(archive.path(), input);
  }

  void add(int32_t wban, int year, int month, int day, int hour) {
    PackSounding s;
    s.wban = wban, s.year = year, s.month = month, s.day = day, s.hour = hour;
    s.levels = {{9, 10000, 100, 150, 100, 0, 0}};
    input.push_back(s);
  }

  // The builder's input counted as wxls counts it: "soundings,h00,h06,h12,h18,other,first,last"
  // by "wban,year" (or "wban,year,month" when `by_month`).
  std::map<std::string, std::string> expected(bool by_month) const {
    std::map<std::string, SoundingCounts> counts;
    for (const PackSounding& s : input) {
      const std::string key =
          cformat("%d,%d", s.wban, s.year) + (by_month ? cformat(",%d", s.month) : std::string());
      counts[key].add(s.year * 1000000 + s.month * 10000 + s.day * 100 + s.hour);
    }
    std::map<std::string, std::string> rows;
    for (const auto& [key, c] : counts) {
      rows[key] = cformat("%ld,%ld,%ld,%ld,%ld,%ld,", c.soundings, c.hours[0], c.hours[1],
                          c.hours[2], c.hours[3], c.hours[4]) +
                  iso(c.first) + "," + iso(c.last) + ",";
    }
    return rows;
  }

  static std::string iso(int32_t d) {
    return cformat("%04d-%02d-%02dT%02d:00Z", d / 1000000, d / 10000 % 100, d / 100 % 100, d % 100);
  }

  // wxls's CSV rows by "wban,year[,month]": the columns after name, year and month (wmo and
  // wmo_id come before wban).
  std::map<std::string, std::string> listed(std::vector<std::string> options, int& status) {
    options.insert(options.begin(),
                   {archive.dir(), "--support",
                    (testing::source_dir() / "data/sample/support").string(), "--format", "csv"});
    std::ostringstream out, err;
    status = run_wxls(options, out, err);
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    const bool by_month = line.find(",month,") != std::string::npos;
    std::map<std::string, std::string> rows;
    while (std::getline(lines, line)) {
      std::vector<std::string> f;
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
      if (line.back() == ',') f.emplace_back();
      const size_t first_count = by_month ? 7 : 6;
      std::string key = f[2] + "," + f[5] + (by_month ? "," + f[6] : "");
      std::string rest;
      for (size_t i = first_count; i < f.size(); ++i) rest += f[i] + (i + 1 < f.size() ? "," : "");
      rows[key] = rest;
      names[f[2]] = f[0] + " " + f[1] + " " + f[3] + " " + f[4];
    }
    return rows;
  }

  testing::TempDir archive;
  std::vector<PackSounding> input;
  std::map<std::string, std::string> names;  // "wmo initials name" by WBAN
};

TEST_F(Inventory, CountsPerStationYearAndMonthAreTheBuildersInput) {
  int status = -1;
  EXPECT_EQ(listed({}, status), expected(false));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(names["23062"], "72469 72469 DNR DENVER/STAPLETON");
  EXPECT_EQ(names["903808"], "3808 03808 CAM CAMBORNE");
  const auto denver = expected(true);
  std::map<std::string, std::string> denver_only;
  for (const auto& [key, row] : denver) {
    if (key.rfind("23062,", 0) == 0) denver_only[key] = row;
  }
  EXPECT_EQ(listed({"--station", "72469"}, status), denver_only);
  EXPECT_EQ(status, 0);
}

TEST_F(Inventory, DamagedFileIsReportedInItsRowAndTheListingGoesOn) {
  namespace fs = std::filesystem;
  const std::string y98 = database_file_name(archive.dir(), 1998, 23062);
  const std::string y99 = database_file_name(archive.dir(), 1999, 23062);
  // 1998: the first sounding of 1 January (of 372) gets hour 30. 1999: the file ends inside March's
  // directory.
  {
    std::fstream file(y98, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(34 + 5);
    file.put(static_cast<char>(30));
  }
  fs::resize_file(y99, 34 + 5 * 31 * 2 + 5 * 28 + 100);
  int status = -1;
  auto rows = listed({}, status);
  auto want = expected(false);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(rows["903808,1999"], want["903808,1999"]);
  EXPECT_NE(rows["23062,1998"].find("damaged: the hour 30 on 19980101"), std::string::npos);
  EXPECT_EQ(rows["23062,1998"].substr(0, 4), "371,") << rows["23062,1998"];
  EXPECT_NE(rows["23062,1999"].find("damaged: the directory ends past the end of the file"),
            std::string::npos);
  // A file of random bytes, a file too short for its header, an empty one.
  for (const std::string& content :
       {std::string("\x07\x01\x02", 3), std::string(), std::string(40, '\xff')}) {
    std::ofstream(y99, std::ios::binary | std::ios::trunc) << content;
    const StationYear scanned = scan_station_year(y99, 1999);
    EXPECT_NE(scanned.problem, "");
  }
  // A named pipe of a station-year's name is a file that cannot be read, not a wait for a writer.
  fs::remove(y99);
  ASSERT_EQ(::mkfifo(y99.c_str(), 0600), 0);
  EXPECT_EQ(scan_station_year(y99, 1999).problem, "cannot be read");
}

TEST_F(Inventory, FindSaysWhichMatchesTheArchiveHolds) {
  std::ostringstream out, err;
  EXPECT_EQ(run_wxls({archive.dir(), "--support",
                      (testing::source_dir() / "data/sample/support").string(), "--find", "gB",
                      "--format", "json"},
                     out, err),
            0);
  EXPECT_EQ(out.str(),
            "{\"wmo\":3005,\"wmo_id\":\"03005\",\"wban\":903005,\"station\":\"LWK\","
            "\"name\":\"LERWICK/SHETLAND\",\"state\":null,\"country\":\"GB\","
            "\"begin\":\"1973-01-01\",\"end\":null,\"in_archive\":false}\n"
            "{\"wmo\":3808,\"wmo_id\":\"03808\",\"wban\":903808,\"station\":\"CAM\","
            "\"name\":\"CAMBORNE\",\"state\":null,\"country\":\"GB\","
            "\"begin\":\"1973-01-01\",\"end\":null,\"in_archive\":true}\n");
  std::ostringstream none_out, none_err;
  EXPECT_EQ(run_wxls({archive.dir(), "--find", "nowhere", "--support",
                      (testing::source_dir() / "data/sample/support").string()},
                     none_out, none_err),
            1);
  EXPECT_EQ(none_err.str(), "wxls: no station of the tables matches 'nowhere'\n");
}

TEST(InventoryNames, StationFileNames) {
  struct Case {
    const char* name;
    int year;
    int32_t wban;
  };
  for (const Case& c : {Case{"23062_99.BUF", 1999, 23062}, Case{"i03808_05.buf", 2005, 903808},
                        Case{"23062_98.BUF", 1999, 0}, Case{"README", 1999, 0},
                        Case{"_99.BUF", 1999, 0}, Case{"I_99.BUF", 1999, 0},
                        Case{"1234567_99.BUF", 1999, 0}, Case{"23a62_99.BUF", 1999, 0}}) {
    EXPECT_EQ(station_of_file_name(c.name, c.year), c.wban) << c.name;
  }
}

}  // namespace
}  // namespace wxfetch
