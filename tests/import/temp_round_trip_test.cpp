// A sounding written by wxfetch as an FAA604 message reads back through the TEMP importer to the
// same levels, at the precision the message's groups keep.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "import/import_test_support.h"
#include "import/temp_bulletin.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

namespace fs = std::filesystem;
using wxfetch::testing::TempDir;

const char* const HISTORY =
    "1 INIT WBAN WMO LAT LONG ELEV BEGIN END NAME ST CY\n"
    "ABC  12345 72999  30.00   90.00   100 19900101 99991231 TEST STATION              XX US\n";

struct RoundTrip {
  PackLevel stored;
  PackLevel read;  // what the message gives back
};

TEST(TempRoundTrip, Faa604MessageOfWxfetchReadsBackToItsLevels) {
  const int32_t A = ABSENT;
  // Every value sits at the precision of its group: whole mb, temperatures with the sign in the
  // tenths digit's parity, depressions in tenths up to 5.0 and whole degrees above, directions
  // in steps of 5, speeds of whole knots up to 44 (wxfetch's knot factor is 0.1925), heights in
  // decametres above 700 mb, wind heights at whole thousands of feet. The 108-knot wind is
  // written as 108 knots of 0.1925 and reads back as 108 true knots.
  const RoundTrip levels[] = {
      {{9, 10050, 100, 154, 102, 200, 51}, {9, 10050, 100, 154, 102, 200, 51}},
      {{4, 10000, 142, 150, 100, 205, 62}, {4, 10000, 142, 150, 100, 205, 62}},
      {{5, 9630, A, 120, 80, A, A}, {5, 9630, A, 120, 80, A, A}},
      {{4, 9250, 812, 96, 36, 230, 93}, {4, 9250, 812, 96, 36, 230, 93}},
      {{6, A, 1219, A, A, 240, 103}, {6, A, 1219, A, A, 240, 103}},
      {{4, 8500, 1498, 62, 2, 250, 123}, {4, 8500, 1498, 62, 2, 250, 123}},
      {{5, 7800, A, 20, -40, A, A}, {5, 7800, A, 20, -40, A, A}},
      {{6, A, 2438, A, A, 255, 154}, {6, A, 2438, A, A, 255, 154}},
      {{4, 7000, 3064, -33, -73, 265, 180}, {4, 7000, 3064, -33, -73, 265, 180}},
      {{4, 5000, 5700, -205, -305, 270, 206}, {4, 5000, 5700, -205, -305, 270, 206}},
      {{6, A, 6096, A, A, 270, 226}, {6, A, 6096, A, A, 270, 226}},
      {{4, 4000, 7300, -301, -421, 275, 154}, {4, 4000, 7300, -301, -421, 275, 154}},
      {{4, 3000, 9300, -441, A, 275, 206}, {4, 3000, 9300, -441, A, 275, 206}},
      {{4, 2500, 10480, -521, A, 275, 560}, {4, 2500, 10480, -521, A, 275, 556}},
      {{8, 2500, A, -521, A, 275, 560}, {8, 2500, A, -521, A, 275, 556}},
      {{7, 2170, A, -571, A, 280, 154}, {7, 2170, A, -571, A, 280, 154}},
      {{4, 2000, 11900, -561, A, 280, 154}, {4, 2000, 11900, -561, A, 280, 154}},
      {{4, 1500, 13700, -581, A, 285, 103}, {4, 1500, 13700, -581, A, 285, 103}},
      {{4, 1000, 16300, -621, A, A, A}, {4, 1000, 16300, -621, A, A, A}},
  };
  PackSounding stored = testing::bare_sounding(12345, 1999, 6, 15, 12);
  stored.release_time = 1105;
  stored.sonde_type = 51;
  PackSounding expected = stored;
  for (const RoundTrip& level : levels) {
    ASSERT_TRUE(level.stored.height == A ||
                storable_height(level.stored.height) == level.stored.height);
    stored.levels.push_back(level.stored);
    expected.levels.push_back(level.read);
  }
  TempDir work;
  write_archive(work.path() / "archive", {stored});
  const fs::path support = work.path() / "support";
  work.write("support/stat2000.txt", HISTORY);
  work.write("support/international_sites.txt", "0\n");
  fs::copy_file(wxfetch::testing::source_dir() / "data/sample/support/tefahelp.txt",
                support / "tefahelp.txt");

  // One date (no hour question), WMO station 72999, FAA604, all levels, to a file in the
  // current directory.
  const std::string replies = "\n1999061512\n1999061512\n0\n0\nN\n1\n72999\n1\n0\n1\n\nN\nN\n";
  const auto run = wxfetch::testing::run_program(
      work.path(), {(work.path() / "archive").string() + "/", support.string() + "/"}, replies);
  ASSERT_EQ(run.status, 1) << run.out << run.err;
  fs::path message;
  for (const auto& entry : fs::directory_iterator(work.path())) {
    if (entry.path().extension() == ".skt") message = entry.path();
  }
  ASSERT_FALSE(message.empty()) << run.out;

  std::ifstream text(message);
  std::istringstream history(HISTORY);
  std::ostringstream messages, summary;
  ImportRun import((work.path() / "imported").string(), messages);
  read_temp_bulletins(text, message.filename().string(), StationTable(history), {1999, 6, 0},
                      import);
  import.finish();
  EXPECT_EQ(import.summary(summary), 0) << messages.str();
  const auto records = testing::records_in(work.path() / "imported", 1999, 12345);
  ASSERT_EQ(records.size(), 1u) << wxfetch::testing::read_file(message);
  EXPECT_EQ(records[0].bytes, build_record(expected)) << wxfetch::testing::read_file(message);
}

}  // namespace
}  // namespace wxfetch::pack
