// Naming the year folders and station-year files, finding the years present and opening a
// station-year file into a slot.
#include "database/archive_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "database/year_files.h"
#include "dialogue/archive_years.h"
#include "dialogue/program.h"
#include "extraction/file_slot.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TempDir;
using testing::TestProgram;

TEST(ArchiveNames, NameRules) {
  EXPECT_EQ(year_text(1900), "0");
  EXPECT_EQ(year_text(1905), "5");
  EXPECT_EQ(year_text(1993), "93");
  EXPECT_EQ(year_text(1994), "1994");
  EXPECT_EQ(year_text(2000), "2000");

  EXPECT_EQ(two_digit_year(1993), "93");
  EXPECT_EQ(two_digit_year(2005), "05");
  EXPECT_EQ(two_digit_year(2000), "00");

  EXPECT_EQ(station_file_number(23062), "23062");
  EXPECT_EQ(station_file_number(900000), "900000");
  EXPECT_EQ(station_file_number(900123), "I00123");
  EXPECT_EQ(station_file_number(910410), "I10410");

  EXPECT_EQ(year_folder_name("db/", 1905), "db/TEFA5");
  EXPECT_EQ(database_file_name("db/", 2005, 94823), "db/TEFA2005/94823_05.BUF");
  EXPECT_EQ(database_file_name("db/", 2005, 900123), "db/TEFA2005/I00123_05.BUF");
  EXPECT_EQ(database_file_name("db/", 2001, 910410), "db/TEFA2001/I10410_01.BUF");
  EXPECT_EQ(database_file_name("", 1993, 23062), "TEFA93/23062_93.BUF");
}

class DiscoverYears : public ::testing::Test {
 protected:
  void make_folders(std::initializer_list<const char*> names) {
    for (const char* name : names) std::filesystem::create_directory(dir.path() / name);
  }
  TempDir dir;
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
};

TEST_F(DiscoverYears, ReportsFirstAndLastYearOverAllThreeSpellingsWithGaps) {
  make_folders({"tefa1994", "TEFA1996", "Tefa1998", "tefa93", "TEFA93", "TEFA1997x", "tefa2100"});
  ctx.database_directory = dir.dir();
  ctx.first_year = 0;
  ctx.last_year = 0;

  discover_years(ctx);

  EXPECT_EQ(program.output(), "    NOTE: Tefa data from the directory: " + dir.dir() +
                                  "\n\t    is available for the years:  1993 thru 1998\n");
  EXPECT_EQ(ctx.first_year, 1993);
  EXPECT_EQ(ctx.last_year, 1998);
  // The first spelling found, in the order tefa, TEFA, Tefa; gaps stay empty.
  EXPECT_EQ(ctx.years.spelling[93], 1);
  EXPECT_EQ(ctx.years.spelling[94], 1);
  EXPECT_EQ(ctx.years.spelling[95], 0);
  EXPECT_EQ(ctx.years.spelling[96], 2);
  EXPECT_EQ(ctx.years.spelling[97], 0);
  EXPECT_EQ(ctx.years.spelling[98], 3);
}

TEST_F(DiscoverYears, RediscoveryForgetsYearsThatWent) {
  make_folders({"TEFA1994", "TEFA1996"});
  ctx.database_directory = dir.dir();
  discover_years(ctx);
  std::filesystem::remove(dir.path() / "TEFA1994");
  discover_years(ctx);
  EXPECT_EQ(ctx.first_year, 1996);
  EXPECT_EQ(ctx.last_year, 1996);
  EXPECT_EQ(ctx.years.spelling[94], 0);
}

// Runs `body` with `directory` as the current directory.
template <typename Body>
void in_directory(const std::filesystem::path& directory, Body body) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  body();
  std::filesystem::current_path(previous);
}

TEST_F(DiscoverYears, EmptyDirectoryMeansTheCurrentOne) {
  make_folders({"TEFA2001"});
  in_directory(dir.path(), [&] { discover_years(ctx); });
  EXPECT_EQ(program.output(),
            "    NOTE: Tefa data from the directory: <current directory>\n"
            "\t    is available for the years:  2001 thru 2001\n");
  EXPECT_EQ(ctx.first_year, 2001);
  EXPECT_EQ(ctx.last_year, 2001);
}

const char* const NO_FILES_PROMPT =
    " ERROR:  No tefa data could be found in the directory: %s\n\n"
    "\tEnter HELP for more information \n"
    "\tEnter <return> to exit the database\n"
    "    Your choice? ";

std::string no_files_prompt(const std::string& shown) {
  std::string text = NO_FILES_PROMPT;
  return text.replace(text.find("%s"), 2, shown);
}

TEST_F(DiscoverYears, NoYearOffersHelpUntilAnotherReplyThenEndsWithStatusZero) {
  make_folders({"TEFA", "data1994"});
  ctx.database_directory = dir.dir();
  ctx.help_file = std::make_unique<std::istringstream>(
      "OTHER_TOPIC\nnot this\nEND\n"
      "NO_FILES_AVAILABLE\n  Name the folder that holds the TEFAyyyy folders.\nEND\n");
  program.set_replies("HELP\n\n");

  try {
    discover_years(ctx);
    FAIL() << "discover_years returned without a year";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  EXPECT_EQ(program.output(), no_files_prompt(dir.dir()) +
                                  "\n  Name the folder that holds the TEFAyyyy folders.\n\n\n" +
                                  no_files_prompt(dir.dir()) + "\n\tExiting tefa database ...\n");
  EXPECT_EQ(ctx.last_year, -1);
}

TEST_F(DiscoverYears, NoYearInTheCurrentDirectoryNamesIt) {
  program.set_replies("quit\n");
  in_directory(dir.path(), [&] { EXPECT_THROW(discover_years(ctx), ProgramExit); });
  EXPECT_EQ(program.output(),
            no_files_prompt("<current directory>") + "\n\tExiting tefa database ...\n");
}

// Open statuses as the tests name them; CLOSE_FIRST on entry first closes the slot to close.
constexpr int16_t CLOSE_FIRST = -1;
constexpr int16_t FILE_ABSENT = 0;
constexpr int16_t FILE_OPENED = 1;
constexpr int16_t FILE_NOT_OPENED = 2;

// As many slots as a synoptic run of a full station table holds.
constexpr int SLOT_COUNT = 2000;

class OpenYearFile : public ::testing::Test {
 protected:
  void SetUp() override { ctx.database_directory = dir.dir(); }
  void open(int year, int32_t wban, int16_t& status, int slot, int slot_to_close = 0) {
    if (status == CLOSE_FIRST) slots[static_cast<size_t>(slot_to_close)].file.close();
    status = static_cast<int16_t>(
        open_year_file(ctx.database_directory, ctx.years, year, wban, slot_file(slot)));
  }
  YearFile& slot_file(int slot) { return slots[static_cast<size_t>(slot)].file; }
  std::FILE* stream(int slot) {
    return slot_file(slot).is_open() ? slot_file(slot).stream() : nullptr;
  }
  void close_database_files() {
    for (FileSlot& slot : slots) slot.file.close();
  }
  TempDir dir;
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  std::vector<FileSlot> slots = std::vector<FileSlot>(SLOT_COUNT);
};

TEST_F(OpenYearFile, OpensTheUpperCaseNameAndReportsAnAbsentFile) {
  const auto file = dir.write("TEFA1999/23062_99.BUF", "records");
  int16_t status = FILE_ABSENT;
  open(1999, 23062, status, 5);
  EXPECT_EQ(status, FILE_OPENED);
  ASSERT_NE(stream(5), nullptr);
  EXPECT_EQ(slot_file(5).path(), file.string());
  char head[8] = {};
  EXPECT_EQ(std::fread(head, 1, 7, stream(5)), 7u);
  EXPECT_STREQ(head, "records");

  status = FILE_ABSENT;
  open(1999, 94823, status, 6);
  EXPECT_EQ(status, FILE_ABSENT);
  EXPECT_EQ(stream(6), nullptr);
  open(1998, 23062, status, 6);
  EXPECT_EQ(status, FILE_ABSENT);
}

TEST_F(OpenYearFile, CloseFirstClosesTheNamedSlotEvenWhenTheOpenFails) {
  dir.write("TEFA1999/23062_99.BUF", "x");
  int16_t status = FILE_ABSENT;
  open(1999, 23062, status, 3);
  ASSERT_EQ(status, FILE_OPENED);

  status = CLOSE_FIRST;
  open(1999, 94823, status, 4, 3);
  EXPECT_EQ(status, FILE_ABSENT);
  EXPECT_EQ(stream(3), nullptr);
  EXPECT_EQ(stream(4), nullptr);

  // Closing and reopening the same slot.
  open(1999, 23062, status, 3);
  status = CLOSE_FIRST;
  open(1999, 23062, status, 3, 3);
  EXPECT_EQ(status, FILE_OPENED);
  EXPECT_NE(stream(3), nullptr);
}

TEST_F(OpenYearFile, FallsBackToTheDiscoveredFolderSpellingAndLowerCaseNames) {
  const auto lower = dir.write("tefa1999/i10410_99.buf", "lower");
  const auto mixed = dir.write("Tefa2001/23062_01.BUF", "mixed");
  int16_t status = FILE_ABSENT;
  open(1999, 910410, status, 0);
  EXPECT_EQ(status, FILE_ABSENT) << "spellings other than TEFA are only known after discovery";

  discover_years(ctx);
  open(1999, 910410, status, 0);
  EXPECT_EQ(status, FILE_OPENED);
  EXPECT_EQ(slot_file(0).path(), lower.string());
  open(2001, 23062, status, 1);
  EXPECT_EQ(status, FILE_OPENED);
  EXPECT_EQ(slot_file(1).path(), mixed.string());
  open(2001, 94823, status, 2);
  EXPECT_EQ(status, FILE_ABSENT);
}

TEST_F(OpenYearFile, AFileThatExistsButCannotBeReadIsReportedAsNotOpened) {
  const auto file = dir.write("TEFA1999/23062_99.BUF", "x");
  std::filesystem::permissions(file, std::filesystem::perms::none);
  if (std::FILE* probe = std::fopen(file.c_str(), "rb")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user reads files whatever their permissions";
  }
  int16_t status = FILE_ABSENT;
  open(1999, 23062, status, 7);
  EXPECT_EQ(status, FILE_NOT_OPENED);
  EXPECT_EQ(stream(7), nullptr);
  EXPECT_EQ(slot_file(7).path(), file.string());
}

TEST_F(OpenYearFile, AFolderInPlaceOfTheFileIsReportedAsNotOpened) {
  std::filesystem::create_directories(dir.path() / "TEFA1999" / "23062_99.BUF");
  int16_t status = FILE_ABSENT;
  open(1999, 23062, status, 7);
  EXPECT_EQ(status, FILE_NOT_OPENED);
  EXPECT_EQ(stream(7), nullptr);
}

TEST_F(OpenYearFile, CloseDatabaseFilesClosesEverySlot) {
  dir.write("TEFA1999/23062_99.BUF", "x");
  int16_t status = FILE_ABSENT;
  open(1999, 23062, status, 0);
  open(1999, 23062, status, SLOT_COUNT - 1);
  close_database_files();
  EXPECT_EQ(stream(0), nullptr);
  EXPECT_EQ(stream(SLOT_COUNT - 1), nullptr);
}

}  // namespace
}  // namespace wxfetch
