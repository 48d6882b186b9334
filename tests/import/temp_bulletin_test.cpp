#include "import/temp_bulletin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "base/text.h"
#include "import/import_test_support.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

namespace fs = std::filesystem;
using testing::bare_sounding;
using testing::records_in;
using wxfetch::testing::TempDir;

struct Imported {
  std::string messages;
  int status = 0;
};

Imported import(const std::string& text, const TempDir& archive, TempOptions options = {1999, 6, 0},
                const StationTable& stations = StationTable()) {
  std::ostringstream messages, summary;
  ImportRun run(archive.path().string(), messages);
  std::istringstream in(text);
  read_temp_bulletins(in, "temp.txt", stations, options, run);
  run.finish();
  return {messages.str(), run.summary(summary)};
}

PackLevel at_height(int32_t kind, int32_t pressure, int32_t height, int32_t temperature,
                    int32_t dew_point, int32_t direction, int32_t speed) {
  return {kind,        pressure,  height == ABSENT ? ABSENT : storable_height(height),
          temperature, dew_point, direction,
          speed};
}

// Parts in any order, with heading lines, parts ending at "=" or at the next heading; part A
// gives winds down to 700 mb (Id 7), lacks its 925-mb level and has a 1000-mb level below the
// ground; the wind parts' levels by height go among the others by height.
const char* const BULLETIN =
    "PPBB 6512/ 72999 90012 20010 24020 25530 925// 27044=\n"
    "USUS99 KXXX 151200\n"
    "MANABC 72999 TTAA 65127 72999 99980 15452 20010 00130 ///// /////\n"
    "92/// ///// ///// 85498 06257 25024 70064 03361 26535 50570 20559\n"
    "88217 57164 28064 77250 27608 41012 31313 58708 81103 51515 10164 00051\n"
    "UMUS99 KXXX 151200\n"
    "SGLABC 72999 TTBB 6512/ 72999 00980 15452 11963 12040 22780 02058\n"
    "21212 00980 20010 11900 22015 31313 58708 81103 41414 45531=\n"
    "TTCC 6512/ 72999 70866 651// 88999 77999=\n"
    "TTDD 6512/ 72999 11704 653//=\n";

TEST(TempBulletin, GathersThePartsOfASoundingInPressureOrder) {
  TempDir archive;
  const Imported result = import(BULLETIN, archive);
  EXPECT_EQ(result.messages, "");
  EXPECT_EQ(result.status, 0);
  PackSounding expected = bare_sounding(972999, 1999, 6, 15, 12);
  expected.release_time = 1103;  // sonde 87 has no code in the archive: not known
  const int32_t A = ABSENT;
  expected.levels = {
      at_height(9, 9800, A, 154, 102, 200, 51),      at_height(4, 10000, 130, A, A, A, A),
      at_height(6, A, 305, A, A, 240, 103),          at_height(5, 9630, A, 120, 80, A, A),
      at_height(6, A, 610, A, A, 255, 154),          at_height(6, 9000, A, A, A, 220, 77),
      at_height(4, 8500, 1498, 62, -8, 250, 123),    at_height(5, 7800, A, 20, -60, A, A),
      at_height(4, 7000, 3064, -33, -143, 265, 180), at_height(4, 5000, 5700, -205, -295, A, A),
      at_height(6, A, 7620, A, A, 270, 226),         at_height(8, 2500, A, A, A, 275, 556),
      at_height(7, 2170, A, -571, -711, 280, 329),   at_height(5, 704, A, -653, A, A, A),
      at_height(4, 700, 18660, -651, A, A, A)};
  const auto records = records_in(archive.path(), 1999, 972999);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].bytes, build_record(expected));
}

TEST(TempBulletin, StationTableGivesWbanAndSurfaceHeightAndPpbbUnitsApply) {
  std::istringstream history(
      "1\nABC  12345 72999  30.00   90.00   100 19900101 99991231 TEST STATION              XX "
      "US\n");
  TempDir archive;
  const Imported result = import(
      "TTBB 65120 72999 00980 15452 11963 12040=\nPPBB 65120 72999 90012 20010 24020 25530=\n",
      archive, {1999, 6, 300}, StationTable(history));
  EXPECT_EQ(result.messages, "");
  PackSounding expected = bare_sounding(12345, 1999, 6, 15, 12);
  const int32_t A = ABSENT;
  // With no level known by pressure and height but the surface, the standard atmosphere
  // places the wind levels: 300 m above the sea lies near 977 mb, 600 m near 943 mb.
  expected.levels = {at_height(9, 9800, 100, 154, 102, 200, 51),
                     at_height(6, A, 300, A, A, 240, 103), at_height(5, 9630, A, 120, 80, A, A),
                     at_height(6, A, 600, A, A, 255, 154)};
  const auto records = records_in(archive.path(), 1999, 12345);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].bytes, build_record(expected));
}

TEST(TempBulletin, FaultsNameTheGroupAndLineAndSkipOnlyTheirSounding) {
  const std::string good = "TTBB 6500/ 72888 00980 15452 11963 12040 22780 02058=\n";
  struct Case {
    std::string bad;
    std::string message;
  };
  const Case cases[] = {
      {"TTAA 65127 72999 99980 15452\n", "temp.txt:1: group \"99980\": the part ends"},
      {"TTAA 65127 72999\n00130 ///// /////=\n", "temp.txt:2: group \"00130\": part A begins"},
      {"TTBB 6512/ 72999 00980 15452\n12963 12040=\n", "temp.txt:2: group \"12963\": not a level"},
      {"TTBB 6512/ 72999 00980 1545A=\n", "temp.txt:1: group \"00980\": the part ends"},
      {"TTBB 9912/ 72999 00980 15452=\n", "temp.txt:1: TTBB without day"},
      {"TTBB 6512/ 72999 00980 154/2=\n", "temp.txt:1: group \"154/2\": not a temperature"},
      {"PPBB 6512/ 72999 90012 20010 24020=\n", "temp.txt:1: group \"90012\": the part ends"},
      {"PPBB 6512/ 72999 80012 20010=\n", "temp.txt:1: group \"80012\": not a height group"},
  };
  for (const Case& c : cases) {
    TempDir archive;
    const Imported result = import(c.bad + good, archive);
    EXPECT_EQ(result.messages.rfind(c.message, 0), 0u) << result.messages;
    EXPECT_EQ(result.status, 1) << c.message;
    EXPECT_EQ(records_in(archive.path(), 1999, 972888).size(), 1u) << c.message;
  }
}

TEST(TempBulletin, DaysOutsideTheMonthAndYearsOutsideTheArchiveSkipTheirSounding) {
  struct Case {
    int year, month;
    const char* yygg;     // day (+ 50 for knots) and hour
    std::string message;  // "" for a date that exists
  };
  const Case cases[] = {
      {1999, 2, "8112/", "temp.txt:1: no such date (1999-02-31 12 UTC); sounding of 72999"},
      {1999, 2, "2900/", "temp.txt:1: no such date (1999-02-29 00 UTC)"},
      {2000, 2, "2900/", ""},
      {1999, 6, "3023/", ""},
      {2100, 1, "0112/", "temp.txt:1: no such date (2100-01-01 12 UTC)"},
      {1899, 12, "3112/", "temp.txt:1: no such date (1899-12-31 12 UTC)"},
      {1999, 0, "0112/", "temp.txt:1: no such date (1999-00-01 12 UTC)"},
      {1999, 13, "0112/", "temp.txt:1: no such date (1999-13-01 12 UTC)"},
  };
  for (const Case& c : cases) {
    TempDir archive;
    const Imported result = import(std::string("TTBB ") + c.yygg + " 72999 00980 15452=\n", archive,
                                   {c.year, c.month, 0});
    EXPECT_EQ(result.messages.rfind(c.message, 0), 0u) << result.messages;
    EXPECT_EQ(result.status, c.message.empty() ? 0 : 1) << c.message;
    EXPECT_EQ(records_in(archive.path(), c.year, 972999).size(), c.message.empty() ? 1u : 0u)
        << c.message;
  }
}

}  // namespace
}  // namespace wxfetch::pack
