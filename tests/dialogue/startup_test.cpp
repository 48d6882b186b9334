#include "dialogue/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "dialogue/program.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::USAGE_TEXT;

using testing::TempDir;
using testing::TestProgram;

const std::string CLEAR = "\x1b[2J";

const std::string HELP_FILE_MISSING_PROMPT =
    "\n  Enter HELP for more information \n"
    "        <return> to exit this process\n"
    "\n  Your choice?  ";

const std::string BANNER_HEAD =
    "\t\t\tWelcome to the ZEMO/KVT Rawinsonde Database \n"
    "\t\t\t\tAccess System - Version 4.1\n\n"
    "A joint development by:\n\n";

const std::string GENERAL_OFFER =
    "\n\tEnter HELP for general information about this database"
    "\n\tEnter <return> to access the rawinsonde database"
    "\n\tYour choice:  ";

const std::string ORIENTATION =
    "\n\n\t\t\t\tEntering Rawinsonde Database\n"
    "\t\t\t\t****************************\n\n"
    "    At any time: \n"
    "   \tEnter HELP for online help.\n"
    "   \tEnter STAT for station history help. \n\n"
    "    At all times: \n"
    "    \tUse either ALL uppercase or ALL lowercase letters\n"
    "\t\t    when required unless directed otherwise.\n\n\n";

const std::string HELP_TEXT = "GENERAL_INFO\nAbout the archive.\nEND.\n";
const std::string STATION_TABLE =
    "1\nDNR  23062 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US\n";
const std::string INTERNATIONAL_TABLE =
    "1\nPER  94610  31.92S 115.97E    20 19730101 99991231 PERTH AIRPORT                 AU\n";

// Runs a test body with the current directory set to `dir`, and restores it.
template <typename Body>
void in_directory(const std::filesystem::path& dir, Body body) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  body();
  std::filesystem::current_path(previous);
}

struct CommandLineCase {
  std::vector<std::string> args;
  std::string database_directory;
  std::string support_directory;
  int32_t page_length;
};

TEST(ReadCommandLine, SetsTheDirectoriesAndPageLengthByTheNumberOfArguments) {
  const CommandLineCase cases[] = {
      {{}, "", "./", 20},
      {{"db"}, "db/", "", 20},
      {{"db/"}, "db/", "", 20},
      {{"db", "support"}, "db/", "support/", 20},
      {{"db/", "support"}, "db/", "support/", 20},
      {{"db", "support/"}, "db/", "support/", 20},
      {{"", "support"}, "", "support/", 20},
      {{"db", ""}, "db/", "", 20},
      {{"db", "support", "30"}, "db/", "support/", 30},
      {{"db", "support", "abc"}, "db/", "support/", 0},
      {{"db", "support", " -5"}, "db/", "support/", -5},
      {{"db", "support", "12x"}, "db/", "support/", 12},
      {{"db", "support", "99999999999"}, "db/", "support/", INT32_MAX},
      {{"db", "support", "25", "extra"}, "", "./", 20},
      {{"a", "b", "c", "d", "e"}, "", "./", 20},
  };
  for (const CommandLineCase& c : cases) {
    std::string trace;
    for (const std::string& arg : c.args) trace += "[" + arg + "]";
    SCOPED_TRACE(trace);
    TestProgram program;
    program.ctx->page_length = 7;
    read_command_line(*program.ctx, c.args);
    EXPECT_EQ(program.ctx->database_directory, c.database_directory);
    EXPECT_EQ(program.ctx->support_directory, c.support_directory);
    EXPECT_EQ(program.ctx->page_length, c.page_length);
  }
}

TEST(StartUp, HelpFileMissingExplainsAndEndsWithStatusZeroBeforeTheBanner) {
  struct Case {
    const char* replies;
    bool usage;
  } cases[] = {
      {"\n", false}, {"", false}, {"whatever\n", false}, {"HELP\n", true}, {"help\n", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    TempDir dir;
    TestProgram program(c.replies);
    const int status = run_wxfetch(*program.ctx, {dir.dir(), dir.dir()});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(program.output(), CLEAR + " ERROR: the file tefahelp.txt was not found in: " +
                                    dir.dir() + " " + dir.dir() + "tefahelp.txt\n " +
                                    HELP_FILE_MISSING_PROMPT + (c.usage ? USAGE_TEXT : ""));
  }
}

TEST(StartUp, HelpFileMissingInTheCurrentDirectoryIsNamedSo) {
  TempDir dir;
  in_directory(dir.path(), [] {
    TestProgram program("\n");
    EXPECT_EQ(run_wxfetch(*program.ctx, {"database"}), 0);
    EXPECT_EQ(program.output(),
              CLEAR +
                  " ERROR: the file tefahelp.txt was not found in: <current directory> "
                  "tefahelp.txt\n " +
                  HELP_FILE_MISSING_PROMPT);
  });
}

TEST(StartUp, NoArgumentsLookForTheSupportFilesInDot) {
  TempDir dir;
  in_directory(dir.path(), [] {
    TestProgram program("\n");
    EXPECT_EQ(run_wxfetch(*program.ctx, {}), 0);
    EXPECT_EQ(program.output(),
              CLEAR + " ERROR: the file tefahelp.txt was not found in: ./ ./tefahelp.txt\n " +
                  HELP_FILE_MISSING_PROMPT);
  });
}

TEST(StartUp, StationTableMissingEmptyReplyGoesOnWithAnEmptyCatalogue) {
  TempDir dir;
  dir.write("tefahelp.txt", HELP_TEXT);
  dir.write("international_sites.txt", INTERNATIONAL_TABLE);
  // The empty reply at the station table message; the input then ends at the general offer.
  TestProgram program("\n");
  EXPECT_EQ(run_wxfetch(*program.ctx, {dir.dir(), dir.dir()}), 0);
  const std::string expected_start =
      CLEAR + " ERROR: the station file: stat2000.txt was not in: " + dir.dir() +
      " \n    Type HELP for more information \n" + BANNER_HEAD;
  EXPECT_EQ(program.output().substr(0, expected_start.size()), expected_start);
  EXPECT_TRUE(program.output().ends_with(GENERAL_OFFER));
  EXPECT_EQ(program.ctx->catalogue.count, 0);
  EXPECT_EQ(program.ctx->selected.stations[0].wmo, 72469);
  EXPECT_EQ(program.ctx->selected.stations[0].wban, 23062);
}

TEST(StartUp, StationTableMissingHelpShowsUsageAndEndsWithStatusZero) {
  TempDir dir;
  dir.write("tefahelp.txt", HELP_TEXT);
  TestProgram program("HELP\n\n");
  EXPECT_EQ(run_wxfetch(*program.ctx, {dir.dir(), dir.dir()}), 0);
  EXPECT_EQ(program.output(),
            CLEAR + " ERROR: the station file: stat2000.txt was not in: " + dir.dir() +
                " \n    Type HELP for more information \n" + USAGE_TEXT);
}

TEST(StartUp, HelpAtTheGeneralOfferShowsGeneralInfoAndAsksAgain) {
  TempDir dir;
  dir.write("tefahelp.txt", HELP_TEXT);
  dir.write("stat2000.txt", STATION_TABLE);
  dir.write("international_sites.txt", INTERNATIONAL_TABLE);
  TestProgram program("HELP\nhelp\n");
  EXPECT_EQ(run_wxfetch(*program.ctx, {dir.dir(), dir.dir()}), 0);
  const std::string output = program.output();
  ASSERT_TRUE(output.starts_with(CLEAR + BANNER_HEAD)) << output;
  const std::string section = "\nAbout the archive.\n\n\n";
  EXPECT_TRUE(output.ends_with(GENERAL_OFFER + section + GENERAL_OFFER + section + GENERAL_OFFER))
      << output;
  EXPECT_EQ(program.ctx->catalogue.count, 2);
  EXPECT_EQ(program.ctx->catalogue.entries[1].wban, 994610);
}

TEST(StartUp, AnEmptyReplyAtTheGeneralOfferEntersTheDatabase) {
  TempDir dir;
  dir.write("tefahelp.txt", HELP_TEXT);
  dir.write("stat2000.txt", STATION_TABLE);
  dir.write("international_sites.txt", INTERNATIONAL_TABLE);
  TestProgram program("\n");
  EXPECT_EQ(run_wxfetch(*program.ctx, {dir.dir(), dir.dir()}), 0);
  EXPECT_NE(program.output().find(GENERAL_OFFER + ORIENTATION), std::string::npos);
}

TEST(StartUp, TheDefaultDateIsTheFirstDayOfTheFirstDatabaseYear) {
  struct Case {
    int first_year;
    const char* default_date;
  } cases[] = {{1993, "1993081300"}, {1998, "1998010100"}, {2001, "2001010100"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first_year);
    TempDir dir;
    dir.write("support/tefahelp.txt", HELP_TEXT);
    dir.write("support/stat2000.txt", STATION_TABLE);
    dir.write("support/international_sites.txt", INTERNATIONAL_TABLE);
    std::filesystem::create_directories(year_folder_name(dir.dir(), c.first_year));
    std::filesystem::create_directories(year_folder_name(dir.dir(), c.first_year + 1));
    // The input ends at the first question of the dialogue.
    TestProgram program("\n");
    EXPECT_EQ(run_wxfetch(*program.ctx, {dir.dir(), dir.dir() + "support"}), 0);
    EXPECT_EQ(program.ctx->first_year, c.first_year);
    EXPECT_EQ(program.ctx->default_date, c.default_date);
  }
}

}  // namespace
}  // namespace wxfetch
