// A record whose own date is not the one its directory entry files it under is a damaged
// record in every program, and wxget never writes a number JSON cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/wxget.h"
#include "commands/wxls.h"
#include "database/archive_names.h"
#include "database/archive_writer.h"
#include "output/level_text.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;

TEST(DamagedRecords, ARecordOfAnotherDateIsReportedNotWritten) {
  testing::TempDir archive;
  pack::PackSounding sounding;
  sounding.wban = 23062;
  sounding.year = 1999;
  sounding.month = 1;
  sounding.day = 2;  // filed below under 1 January
  for (int32_t pressure : {8400, 7000, 5000, 3000, 1000}) {
    pack::PackLevel level;
    level.pressure = pressure;
    sounding.levels.push_back(level);
  }
  const auto bytes =
      pack::build_station_year_file(23062, 1999, {{1, 1, 0, pack::build_record(sounding)}});
  const fs::path file = database_file_name(archive.dir(), 1999, 23062);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const std::string support = (testing::source_dir() / "data" / "sample" / "support").string();

  std::ostringstream out, err;
  run_wxget({"--archive", archive.dir(), "--support", support, "--wmo", "72469", "--from",
             "1999010100", "--to", "1999010312", "--format", "csv", "--output", "-"},
            out, err, false);
  EXPECT_NE(err.str().find("damaged sounding record skipped"), std::string::npos) << err.str();
  EXPECT_EQ(out.str().find("1999-01-0"), std::string::npos) << out.str();

  std::ostringstream listing, problems;
  run_wxls({archive.dir(), "--support", support, "--format", "csv"}, listing, problems);
  EXPECT_NE(listing.str().find("gives another date"), std::string::npos) << listing.str();
}

TEST(DamagedRecords, NumbersJsonCannotHoldAreNull) {
  EXPECT_EQ(json_number(39.77, 2), "39.77");
  EXPECT_EQ(json_number(-104.875, 1), "-104.9");
  EXPECT_EQ(json_number(HUGE_VAL, 2), "null");
  EXPECT_EQ(json_number(-HUGE_VAL, 2), "null");
  EXPECT_EQ(json_number(std::nan(""), 2), "null");
}

}  // namespace
}  // namespace wxfetch

namespace wxfetch {
namespace {

// A station whose period in the tables ended before the soundings the archive holds: the
// reason for an empty selection names the files, the years and the period.
TEST(EmptySelection, FilesOutsideTheTablesPeriodsAreNamed) {
  testing::TempDir work;
  work.write("support/stat2000.txt",
             "1    INIT  WBAN   WMO    LAT   LONG W  ELEV    BEGIN      END NAME                "
             "      ST CY\n"
             "DNR  23062 72469  39.77  104.87  1611 19480101 20201231 DENVER                    "
             "CO US\n");
  work.write("support/international_sites.txt", "0    INIT  WMO\n");
  pack::PackSounding sounding;
  sounding.wban = 23062;
  sounding.year = 2022;
  sounding.month = 1;
  sounding.day = 1;
  for (int32_t pressure : {8400, 7000, 5000, 3000, 1000}) {
    pack::PackLevel level;
    level.pressure = pressure;
    sounding.levels.push_back(level);
  }
  pack::write_archive(work.path() / "archive", {sounding});
  std::ostringstream out, err;
  const int status =
      run_wxget({"-a", (work.path() / "archive").string(), "-s", (work.path() / "support").string(),
                 "-w", "72469", "--from", "2022010100", "--to", "2022123112", "-o", "-"},
                out, err, false);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.str().find("the archive holds files of WMO 72469 (WBAN 23062) for 2022, outside "
                           "its period 19480101 to 20201231"),
            std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace wxfetch
