#include "console/keyword_help.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "console/reply.h"
#include "dialogue/program.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::USAGE_TEXT;

using testing::source_dir;
using testing::TestProgram;

const std::string PAUSE = " Press <enter> to continue" + std::string(25, '\b');

// Reads replies until the program ends at the end of input; returns them.
std::vector<std::string> all_replies(const std::string& input) {
  TestProgram program(input);
  std::vector<std::string> replies;
  std::string reply;
  try {
    for (;;) {
      read_reply(*program.ctx, reply);
      replies.push_back(reply);
    }
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  return replies;
}

TEST(ReadReply, ReadsAtMost79CharactersAndDropsTheLastOne) {
  const std::string s78(78, 'a');
  const std::string s79 = s78 + "b";
  const std::string s80 = s79 + "c";
  struct Case {
    const char* behaviour;
    std::string input;
    std::vector<std::string> replies;
  } cases[] = {
      {"an empty line is the empty reply", "\n\n", {"", ""}},
      {"the line end is removed", "HELP\nstat\n", {"HELP", "stat"}},
      {"a CR-LF line end is removed whole", "HELP\r\n\r\n", {"HELP", ""}},
      {"a line of 78 characters is read whole", s78 + "\n", {s78}},
      {"a line of 79 loses its 79th character and its line end is the next reply",
       s79 + "\nnext\n",
       {s78, "", "next"}},
      {"a line of 80: the rest of the line is the next reply", s80 + "\n", {s78, "c"}},
      {"a long line is read in pieces",
       std::string(200, 'x') + "\n",
       {std::string(78, 'x'), std::string(78, 'x'), std::string(42, 'x')}},
      {"a 78-character line with a CR-LF end gives one reply", s78 + "\r\nnext\r\n", {s78, "next"}},
      {"a last line without a line end is taken whole", "first\nlast", {"first", "last"}},
      {"no input at all ends the program", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    EXPECT_EQ(all_replies(c.input), c.replies);
  }
}

TEST(ReadReply, EndOfInputEndsTheProgramWithStatusZero) {
  TestProgram program("only\n");
  std::string reply;
  read_reply(*program.ctx, reply);
  EXPECT_EQ(reply, "only");
  try {
    read_reply(*program.ctx, reply);
    FAIL() << "read_reply returned at the end of input";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
}

// A program whose help file holds `help_text`.
std::unique_ptr<TestProgram> with_help_file(const std::string& help_text,
                                            const std::string& replies = "") {
  auto program = std::make_unique<TestProgram>(replies);
  program->ctx->help_file = std::make_unique<std::istringstream>(help_text);
  return program;
}

// A section of `lines` numbered text lines.
std::string section(const std::string& keyword, int lines) {
  std::string text = keyword + "\n";
  for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\n";
  return text + "END.\n";
}

const std::string HELP_FILE =
    "Text before the first section is never printed.\n"
    "GENERAL_INFO\n"
    "General one.\n"
    "  General two.\n"
    "END.\n"
    "INPUT_DATES\n"
    "Dates one.\n"
    "ENDING here stops the section.\n"
    "Not printed.\n"
    "END.\n"
    "INPUT_HOUR\n"
    "EN is no end line\n"
    " END with a blank before is no end line\n"
    "END\n"
    "INPUT_HOUR\n"
    "The second section of a keyword is never reached.\n"
    "END.\n";

TEST(KeywordHelp, RepliesOtherThanHelpOrStatReturnZeroWithoutOutput) {
  for (const char* reply :
       {"", "12", "Y", "Help", "hElp", "HELP ", " HELP", "HELP me", "STAT ", "Stat", "HELPHELP"}) {
    SCOPED_TRACE(reply);
    auto program = with_help_file(HELP_FILE);
    std::string text = reply;
    EXPECT_EQ(KeywordHelp(*program->ctx, text, "GENERAL_INFO"), 0);
    EXPECT_EQ(program->output(), "");
    EXPECT_EQ(text, reply);
  }
}

TEST(KeywordHelp, HelpPrintsTheTopicsSectionWithEachLineFollowedByABlankLine) {
  struct Case {
    const char* behaviour;
    std::string reply;
    std::string topic;
    std::string printed;
  } cases[] = {
      {"HELP", "HELP", "GENERAL_INFO", "\nGeneral one.\n\n  General two.\n\n\n"},
      {"help prints the same", "help", "GENERAL_INFO", "\nGeneral one.\n\n  General two.\n\n\n"},
      {"a line beginning with END stops the section", "HELP", "INPUT_DATES", "\nDates one.\n\n\n"},
      {"only a line beginning with the three letters END ends it; the first section wins", "HELP",
       "INPUT_HOUR", "\nEN is no end line\n\n END with a blank before is no end line\n\n\n"},
      {"the search key is the topic's first word", "HELP", "  INPUT_DATES and more",
       "\nDates one.\n\n\n"},
      {"only the first 10 characters of the keyword are compared", "HELP", "GENERAL_INxyz",
       "\nGeneral one.\n\n  General two.\n\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    auto program = with_help_file(HELP_FILE);
    std::string reply = c.reply;
    EXPECT_EQ(KeywordHelp(*program->ctx, reply, c.topic), 1);
    EXPECT_EQ(program->output(), c.printed);
  }
}

TEST(KeywordHelp, EveryRequestRereadsTheHelpFileFromItsStart) {
  auto program = with_help_file(HELP_FILE);
  std::string reply = "HELP";
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "INPUT_DATES"), 1);
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "GENERAL_INFO"), 1);
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "INPUT_DATES"), 1);
  EXPECT_EQ(program->output(),
            "\nDates one.\n\n\n\nGeneral one.\n\n  General two.\n\n\n\nDates one.\n\n\n");
}

TEST(KeywordHelp, LongSectionsPauseAfterPageLengthPlusOneLines) {
  struct Case {
    int page_length;
    int lines;
    std::vector<int> pauses_before;  // numbers of the lines printed right after a pause
  } cases[] = {
      {20, 21, {}},       {20, 22, {22}},         {20, 43, {22}}, {20, 44, {22, 44}},
      {20, 45, {22, 44}}, {20, 66, {22, 44, 66}}, {0, 5, {2, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.page_length) + "/" + std::to_string(c.lines));
    auto program = with_help_file(section("INPUT_DATES", c.lines), "\n\n\n\n\n");
    program->ctx->page_length = c.page_length;
    std::string reply = "HELP";
    EXPECT_EQ(KeywordHelp(*program->ctx, reply, "INPUT_DATES"), 1);
    std::string expected = "\n";
    size_t next_pause = 0;
    for (int i = 1; i <= c.lines; ++i) {
      if (next_pause < c.pauses_before.size() && c.pauses_before[next_pause] == i) {
        expected += PAUSE;
        ++next_pause;
      }
      expected += "line " + std::to_string(i) + "\n\n";
    }
    EXPECT_EQ(program->output(), expected + "\n");
  }
}

TEST(KeywordHelp, LinesLongerThan79CharactersArePrintedInPieces) {
  const std::string long_line = std::string(79, 'a') + std::string(10, 'b');
  auto program = with_help_file("GENERAL_INFO\n" + long_line + "\nEND.\n");
  std::string reply = "HELP";
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "GENERAL_INFO"), 1);
  EXPECT_EQ(program->output(), "\n" + std::string(79, 'a') + "\n" + std::string(10, 'b') +
                                   "\n\n"
                                   "\n");
}

TEST(KeywordHelp, CrLfHelpFilePrintsLikeLf) {
  auto program = with_help_file("GENERAL_INFO\r\nGeneral one.\r\nEND.\r\n");
  std::string reply = "HELP";
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "GENERAL_INFO"), 1);
  EXPECT_EQ(program->output(), "\nGeneral one.\n\n\n");
}

TEST(KeywordHelp, MissingTopicEndsTheProgramWithStatusZero) {
  for (const bool has_file : {true, false}) {
    SCOPED_TRACE(has_file ? "topic missing from the file" : "no help file");
    auto program = with_help_file(HELP_FILE);
    if (!has_file) program->ctx->help_file.reset();
    std::string reply = "HELP";
    try {
      KeywordHelp(*program->ctx, reply, "NO_DIRECTORY");
      FAIL() << "KeywordHelp returned";
    } catch (const ProgramExit& exit) {
      EXPECT_EQ(exit.status, 0);
    }
    EXPECT_EQ(program->output(), " END OF FILE\n\n");
  }
}

TEST(KeywordHelp, SectionWithoutEndLinePrintsTheRestAndReportsACorruptFile) {
  auto program = with_help_file("GENERAL_INFO\nonly line\nlast line");
  std::string reply = "HELP";
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "GENERAL_INFO"), 1);
  EXPECT_EQ(program->output(),
            "\nonly line\n\nlast line\n \n ERROR: corrupt help file:  tefahelp.txt \n");
  // The help file can still be read afterwards.
  program->out.str("");
  EXPECT_EQ(KeywordHelp(*program->ctx, reply, "GENERAL_INFO"), 1);
  EXPECT_NE(program->output().find("only line"), std::string::npos);
}

TEST(KeywordHelp, SoftwareLocationPrintsTheUsageTextWithoutAHelpFile) {
  for (const char* reply_text : {"HELP", "help"}) {
    SCOPED_TRACE(reply_text);
    TestProgram program;
    std::string reply = reply_text;
    EXPECT_EQ(KeywordHelp(*program.ctx, reply, "SOFTWARE_LOCATION"), 1);
    EXPECT_EQ(program.output(), USAGE_TEXT);
    EXPECT_EQ(reply, reply_text);
  }
  // Only the first 16 characters of the topic are compared.
  TestProgram program;
  std::string reply = "HELP";
  EXPECT_EQ(KeywordHelp(*program.ctx, reply, "SOFTWARE_LOCATIOX"), 1);
  EXPECT_EQ(program.output(), USAGE_TEXT);
}

TEST(ShippedHelpFile, HoldsAShortSectionForEveryTopic) {
  const std::string path = (source_dir() / "data/sample/support/tefahelp.txt").string();
  for (const char* topic :
       {"GENERAL_INFO",       "INPUT_DATES",       "INPUT_HOUR",      "ACCESS_TYPE",
        "STATION_TYPE",       "STATION_FILE",      "STATFILE_NAME",   "NUMBER_STATIONS",
        "STATION_NUMBER",     "GEOGRAPHIC_ACCESS", "OUTPUT_FORMAT",   "LEVEL_TYPE",
        "WIND_UNITS",         "SORT_ORDER_TYPE",   "OUTPUT_LOCATION", "OUTPUT_DIRECTORY",
        "TIME_OUTFILE",       "STATION_OUTFILE",   "REPEAT_ACCESS",   "ANOTHER_REQUEST",
        "DATE_HIS_HELP",      "DATES_STAT",        "VIEW_STAT_HELP",  "VIEW_SCREEN_HELP",
        "NO_FILES_AVAILABLE", "NO_FILES_OPEN",     "NO_DIRECTORY"}) {
    SCOPED_TRACE(topic);
    TestProgram program;
    program.ctx->help_file = std::make_unique<std::ifstream>(path);
    ASSERT_TRUE(static_cast<std::ifstream&>(*program.ctx->help_file).is_open());
    std::string reply = "help";
    EXPECT_EQ(KeywordHelp(*program.ctx, reply, topic), 1);
    const std::string printed = program.output();
    EXPECT_EQ(printed.find("ERROR"), std::string::npos);
    EXPECT_EQ(printed.find("Press <enter>"), std::string::npos) << "the section needs a pause";
    // A few lines of text at least, each line followed by a blank line.
    EXPECT_GE(printed.size(), 100u);
  }
}

}  // namespace
}  // namespace wxfetch
