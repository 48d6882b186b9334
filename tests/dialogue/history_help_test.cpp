#include "dialogue/history_help.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "console/keyword_help.h"
#include "console/reply.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

const char* const HELP_TEXT =
    "DATE_HIS_HELP\nDate question help.\nEND.\n"
    "DATES_STAT\nDate entry help.\nEND.\n"
    "VIEW_STAT_HELP\nSearch help.\nEND.\n"
    "VIEW_SCREEN_HELP\nColumn help.\nEND.\n";

void add_row(StationCatalogue& catalogue, const char* initials, int32_t wban, int32_t wmo,
             float latitude, float longitude, int16_t elevation, int32_t begin, int32_t end,
             const char* name, const char* state, const char* country) {
  StationEntry& entry = catalogue.entries[catalogue.count++];
  std::snprintf(entry.initials, sizeof entry.initials, "%s", initials);
  entry.wban = wban;
  entry.wmo = wmo;
  entry.latitude = latitude;
  entry.longitude = longitude;
  entry.elevation = elevation;
  entry.period_begin = begin;
  entry.period_end = end;
  std::snprintf(entry.name, sizeof entry.name, "%s", name);
  std::snprintf(entry.state, sizeof entry.state, "%s", state);
  std::snprintf(entry.country, sizeof entry.country, "%s", country);
}

// Two periods of one station, another station, a row left empty by a damaged line and two
// international sites.
void fill_catalogue(StationCatalogue& c) {
  add_row(c, "DEN", 23062, 72469, 39.77f, -104.87f, 1611, 19460101, 19980101,
          "DENVER/STAPLETON INT AP  ", "CO", "US");
  add_row(c, "DEN", 23062, 72469, 39.85f, -104.65f, 1640, 19980102, 20051231,
          "DENVER INTERNATIONAL AP  ", "CO", "US");
  add_row(c, "ABC", 12345, 70001, 61.17f, -150.02f, 40, 19500101, 20051231,
          "ANCHORAGE                ", "AK", "US");
  add_row(c, "", 0, 0, 0, 0, 0, 0, 0, "", "", "");
  add_row(c, "SBBR", 983378, 83378, -15.87f, -47.93f, 1061, 19730101, 20051231, "BRASILIA", "99",
          "BR");
  add_row(c, "EGLL", 903772, 3772, 51.48f, -0.45f, 25, 19460101, 20051231, "LONDON HEATHROW", "99",
          "UK");
}

struct Visit {
  std::string output;
  bool ended = false;  // the program was ended (end of input)
  int status = -1;
};

// Runs one visit with `replies` typed on the console.
Visit run_visit(const std::string& replies, int32_t page_length = 20,
                void (*prepare)(StationCatalogue&) = nullptr) {
  TestProgram program(replies);
  ProgramContext& ctx = *program.ctx;
  ctx.help_file = std::make_unique<std::istringstream>(HELP_TEXT);
  ctx.default_date = "1998010100";
  ctx.page_length = page_length;
  fill_catalogue(ctx.catalogue);
  if (prepare != nullptr) prepare(ctx.catalogue);
  Visit visit;
  try {
    ctx.station_history();
  } catch (const ProgramExit& exit) {
    visit.ended = true;
    visit.status = exit.status;
  }
  visit.output = program.output();
  return visit;
}

// The initials column of every table row printed, in order, over all searches.
std::vector<std::string> shown_initials(const std::string& output) {
  std::vector<std::string> initials;
  std::istringstream lines(output);
  std::string line;
  bool in_table = false;
  const std::string pause = " Press <enter> to continue";
  while (std::getline(lines, line)) {
    if (line.rfind(pause, 0) == 0) line.erase(0, pause.size());
    if (line.rfind(" INIT   WBAN", 0) == 0) {
      std::getline(lines, line);  // the dash line under the head
      in_table = true;
    } else if (line.rfind("****", 0) == 0) {
      in_table = false;
    } else if (in_table) {
      const std::string column = line.substr(0, 4);
      initials.push_back(column.substr(column.find_first_not_of(' ') == std::string::npos
                                           ? column.size()
                                           : column.find_first_not_of(' ')));
    }
  }
  return initials;
}

size_t count_of(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::string STARS(79, '*');
const std::string DASHES(79, '-');
const std::string NOTHING_FOUND = "\n\t\tNo station entry was found for your search\n\n";

TEST(StationHistoryHelp, PrintsWholeTranscriptOfOneCountrySearch) {
  const Visit visit = run_visit("n\n2\nBR\n\nEXIT\n");
  const std::string expected =
      DASHES + "\n\t\tEntering Station Identification HELP\t\n" +
      "\t\t************************************\t\n\n" +
      "\tThere are over 1000 station entries in the station history file\n" +
      "\n Do you wish to view station history entries for a specific date? [Y/N] Y\b" +
      "\n\tHow do you wish to search the station history file?\n" +
      "\t\t0  -  by 3 letter initials \n\t\t1  -  by 2 letter state id \n" +
      "\t\t2  -  by 2 letter country abbreviation\n\t\t3  -  by WBAN station number\n" +
      "\t\t4  -  by WMO station number\n\t\t5  -  view all station entries\n" +
      "\tYour choice: [0]\b\b" +
      "  Enter the two letter (upper case) COUNTRY identifier: " + STARS +
      "\n INIT   WBAN    WMO    LAT   LONG   ELEV    NAME           ST  CY   BYR    EYR\n" +
      DASHES + "\n" +
      "SBBR  983378   83378 -15.87 -47.93  1061         BRASILIA  99  BR 19730101 20051231\n" +
      STARS + "\n  WARNING: These station history entries contain the best information\n" +
      "   currently available, however, they may not be completely accurate. \n\n" +
      "\n   Two Letter Country:  another search? [Y/N] N\b" +
      "\n  Enter <return> for another search category\n" +
      "  Enter HELP for an explanation of the column headings \n" +
      "  Enter EXIT to leave the station file help\n\tYour choice: " + DASHES + "\n\n";
  EXPECT_EQ(visit.output, expected);
  EXPECT_FALSE(visit.ended);
}

TEST(StationHistoryHelp, RowCutsNameToSixteenColumns) {
  const Visit visit = run_visit("n\n3\n23062\n\nEXIT\n");
  EXPECT_NE(visit.output.find(
                " DEN   23062   72469  39.77 -104.87  1611 DENVER/STAPLETON  CO  US 19460101 "
                "19980101\n"),
            std::string::npos);
}

TEST(StationHistoryHelp, DateFilterShowsOnlyRowsValidOnTheDate) {
  // The default date 19980101 is the last day of the first DEN period.
  const Visit filtered = run_visit("\n\n0\nDEN\n\nEXIT\n");
  EXPECT_NE(filtered.output.find("\n What is the date? YYYYMMDD [19980101]\b\b\b\b\b\b\b\b\b"),
            std::string::npos);
  EXPECT_EQ(shown_initials(filtered.output), std::vector<std::string>{"DEN"});
  EXPECT_NE(filtered.output.find(" 19460101 19980101\n" + STARS +
                                 "\n\t\t\tStation History for 19980101 \n  WARNING:"),
            std::string::npos);

  const Visit unfiltered = run_visit("N\n0\nDEN\n\nEXIT\n");
  EXPECT_EQ(shown_initials(unfiltered.output), (std::vector<std::string>{"DEN", "DEN"}));
  EXPECT_EQ(unfiltered.output.find("Station History for"), std::string::npos);
  EXPECT_EQ(unfiltered.output.find("What is the date?"), std::string::npos);
}

TEST(StationHistoryHelp, DateEntryAcceptsOnlyDatesInRange) {
  struct Case {
    std::string reply;
    bool accepted;
  };
  const Case cases[] = {
      {"19460101", true},  {"19451231", false}, {"46001231", true},  {"46010101", false},
      {"19981301", false}, {"19980100", false}, {"19980231", true},  {"19980132", false},
      {"199801AB", false}, {"19980a01", false}, {"00000000", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    // A rejected date is offered as the next default; 19980101 is then typed. A row valid on
    // every date shows the date accepted.
    const Visit visit =
        run_visit("y\n" + c.reply + "\n" + (c.accepted ? "" : "19980101\n") + "5\nEXIT\n", 20,
                  [](StationCatalogue& catalogue) {
                    add_row(catalogue, "ANY", 1, 1, 0, 0, 0, 10000101, 99991231, "", "", "");
                  });
    const std::string accepted_date = c.accepted ? c.reply : "19980101";
    EXPECT_EQ(count_of(visit.output, " ERROR - date out of range\n\n"), c.accepted ? 0u : 1u);
    EXPECT_EQ(count_of(visit.output, "YYYYMMDD [" + c.reply + "]"), c.accepted ? 0u : 1u);
    EXPECT_NE(visit.output.find("Station History for " + accepted_date + " \n"), std::string::npos);
  }
}

TEST(StationHistoryHelp, DateOfWrongLengthOffersTheStartDefaultAgain) {
  const Visit visit = run_visit("y\n19450101\n1998011\n199801011\n\n5\nEXIT\n");
  EXPECT_EQ(count_of(visit.output, " ERROR - date string must have 8 digits\n\n"), 2u);
  const size_t rejected = visit.output.find("[19450101]");
  const size_t wrong_length = visit.output.find(" ERROR - date string");
  ASSERT_NE(rejected, std::string::npos);
  ASSERT_NE(wrong_length, std::string::npos);
  EXPECT_LT(rejected, wrong_length);
  EXPECT_EQ(count_of(visit.output.substr(wrong_length), "[19980101]"), 2u);
  EXPECT_NE(visit.output.find("Station History for 19980101 \n"), std::string::npos);
}

TEST(StationHistoryHelp, SearchesMatchWholeKeysExactly) {
  struct Case {
    std::string replies;
    std::vector<std::string> shown;
  };
  const std::vector<std::string> all = {"DEN", "DEN", "ABC", "", "SBBR", "EGLL"};
  const Case cases[] = {
      {"0\nDEN\n", {"DEN", "DEN"}},
      {"0\nDEN more words\n", {"DEN", "DEN"}},
      {"0\nden\n", {}},
      {"0\nDE\n", {}},
      {"0\nSBBRXXXXXXXSBBR\n", {}},
      {"1\nCO\n", {"DEN", "DEN"}},
      {"1\nC\n", {}},
      {"1\n99\n", {"SBBR", "EGLL"}},
      {"2\nUS\n", {"DEN", "DEN", "ABC"}},
      {"2\nbr\n", {}},
      {"3\n983378\n", {"SBBR"}},
      {"3\n72469\n", {}},
      {"4\n03772\n", {"EGLL"}},
      {"4\n12345\n", {}},
      {"5\n", all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    // Mode 5 asks no "another search" question.
    const std::string another = c.replies == "5\n" ? "" : "\n";
    const Visit visit = run_visit("n\n" + c.replies + another + "EXIT\n");
    EXPECT_FALSE(visit.ended);
    EXPECT_EQ(shown_initials(visit.output), c.shown);
    EXPECT_EQ(count_of(visit.output, NOTHING_FOUND), c.shown.empty() ? 1u : 0u);
  }
}

TEST(StationHistoryHelp, MenuKeepsOrRejectsChoices) {
  // Empty at the first menu is 0; "x" keeps the previous choice; 9 and -1 are refused and offered.
  const Visit visit = run_visit("n\n\nABC\n\n\nx\nABC\n\n\n9\n\n-1\n1\nAK\n\nEXIT\n");
  EXPECT_EQ(shown_initials(visit.output), (std::vector<std::string>{"ABC", "ABC", "ABC"}));
  EXPECT_EQ(count_of(visit.output, "\n ERROR: value out of range - please choose again\n\n"), 3u);
  EXPECT_EQ(count_of(visit.output, "\tYour choice: [9]\b\b"), 2u);
  EXPECT_EQ(count_of(visit.output, "\tYour choice: [-1]\b\b"), 1u);
}

TEST(StationHistoryHelp, AnotherSearchRepeatsTheModeOnlyForYes) {
  const Visit visit = run_visit("n\n0\nDEN\ny\nABC\nYes\nEGLL\nn\nEXIT\n");
  EXPECT_EQ(shown_initials(visit.output), (std::vector<std::string>{"DEN", "DEN", "ABC", "EGLL"}));
  EXPECT_EQ(count_of(visit.output, "\n   Three Letter ID:  another search? [Y/N] N\b"), 3u);
}

TEST(StationHistoryHelp, PagesPauseEveryPageLengthLessTwoRows) {
  struct Case {
    int32_t page_length;
    int rows;
    size_t pauses;
  };
  const Case cases[] = {{20, 40, 2}, {20, 18, 1}, {20, 17, 0}, {3, 4, 4}, {1, 2, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page_length);
    TestProgram program("n\n5\n" + std::string(c.pauses, '\n') + "EXIT\n");
    program.ctx->page_length = c.page_length;
    for (int i = 0; i < c.rows; ++i) {
      add_row(program.ctx->catalogue, "ROW", 10000 + i, i, 0, 0, 0, 0, 0, "NAME", "XX", "YY");
    }
    program.ctx->station_history();
    const std::string out = program.output();
    EXPECT_EQ(count_of(out, " Press <enter> to continue"), c.pauses);
    EXPECT_EQ(shown_initials(out).size(), static_cast<size_t>(c.rows));
    EXPECT_EQ(out.find("another search?"), std::string::npos);
    if (c.rows > 18) {
      // The first pause comes right after the 18th row.
      EXPECT_NE(out.find("   10017      17"), std::string::npos);
      EXPECT_NE(out.find("      0\n Press <enter> to continue ROW   10018"), std::string::npos);
    }
  }
}

TEST(StationHistoryHelp, PauseDiscardsAWholeLongLine) {
  // If the rest of the long line were read as a reply, the visit would not end at EXIT.
  const Visit visit = run_visit("n\n5\n\n\n" + std::string(120, 'E') + "\n\n\n\nEXIT\n", 3);
  EXPECT_FALSE(visit.ended);
  EXPECT_EQ(count_of(visit.output, " Press <enter> to continue"), 6u);
}

TEST(StationHistoryHelp, OnlyExitInCapitalsOrSmallLettersLeaves) {
  const Visit visit = run_visit("n\n0\nABC\n\nExit\nquit\nHELP\nexit\n");
  EXPECT_FALSE(visit.ended);
  EXPECT_EQ(count_of(visit.output, "  Enter EXIT to leave the station file help\n"), 4u);
  EXPECT_NE(visit.output.find("\nColumn help.\n"), std::string::npos);
  EXPECT_EQ(count_of(visit.output, "How do you wish to search"), 1u);

  // An empty reply goes back to the menu.
  const Visit again = run_visit("n\n0\nABC\n\n\n1\nAK\n\nEXIT\n");
  EXPECT_EQ(count_of(again.output, "How do you wish to search"), 2u);
  EXPECT_EQ(shown_initials(again.output), (std::vector<std::string>{"ABC", "ABC"}));
}

TEST(StationHistoryHelp, HelpAtTheKeyPromptAsksForTheKeyAgain) {
  const Visit visit = run_visit("n\n0\nHELP\nhelp\nABC\n\nEXIT\n");
  EXPECT_EQ(count_of(visit.output, "\nSearch help.\n"), 2u);
  EXPECT_EQ(count_of(visit.output, "STATION identifier: "), 3u);
  EXPECT_EQ(shown_initials(visit.output), std::vector<std::string>{"ABC"});
}

TEST(StationHistoryHelp, EmptyKeyKeepsThePreviousKeyOfItsKind) {
  struct Case {
    std::string replies;
    std::vector<std::string> shown;
    size_t nothing_found;
  };
  const Case cases[] = {
      // Before any search there is no key; the empty row must not match.
      {"0\n\n\n", {}, 1},
      {"3\nx\n\n", {}, 1},
      {"0\nABC\ny\n\n\n", {"ABC", "ABC"}, 0},
      {"3\n12345\ny\nnone\n\n", {"ABC", "ABC"}, 0},
      // A number key is no text key.
      {"3\n12345\n\n\n0\n\n\n", {"ABC"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    const Visit visit = run_visit("n\n" + c.replies + "EXIT\n");
    EXPECT_EQ(shown_initials(visit.output), c.shown);
    EXPECT_EQ(count_of(visit.output, NOTHING_FOUND), c.nothing_found);
  }
}

TEST(StationHistoryHelp, StatStartsANestedVisitAndThePromptCarriesOn) {
  const std::string nested = "n\n5\nEXIT\n";
  const std::string entering = "Entering Station Identification HELP";

  // At the date entry: the date is asked again after the nested visit.
  const Visit at_date = run_visit("y\nSTAT\n" + nested + "\n2\nBR\n\nEXIT\n");
  EXPECT_EQ(count_of(at_date.output, entering), 2u);
  EXPECT_NE(at_date.output.find(DASHES + "\n\n\n What is the date?"), std::string::npos);
  EXPECT_NE(at_date.output.find("Station History for 19980101"), std::string::npos);

  // At the date question: straight to the menu without a date.
  const Visit at_question = run_visit("stat\n" + nested + "2\nBR\n\nEXIT\n");
  EXPECT_EQ(count_of(at_question.output, entering), 2u);
  EXPECT_EQ(at_question.output.find("What is the date?"), std::string::npos);
  EXPECT_EQ(at_question.output.find("Station History for"), std::string::npos);
  EXPECT_EQ(shown_initials(at_question.output),
            (std::vector<std::string>{"DEN", "DEN", "ABC", "", "SBBR", "EGLL", "SBBR"}));

  // Help at the date question also leads to the menu without a date.
  const Visit help = run_visit("HELP\n5\nEXIT\n");
  EXPECT_NE(help.output.find("\nDate question help.\n"), std::string::npos);
  EXPECT_EQ(help.output.find("What is the date?"), std::string::npos);
}

TEST(StationHistoryHelp, NestedVisitsStopAtSixteenSoThatStatRepliesCannotExhaustTheStack) {
  const std::string entering = "Entering Station Identification HELP";
  const std::string already_open = "\n The station history help is already open.\n";
  std::string replies;
  for (int i = 0; i < 100000; ++i) replies += "STAT\n";
  const Visit visit = run_visit(replies);
  EXPECT_TRUE(visit.ended);
  EXPECT_EQ(count_of(visit.output, entering), 16u);
  EXPECT_EQ(count_of(visit.output, already_open), 100000u - 15u);

  // The visits close again: a later STAT opens one as before.
  const std::string nested = "n\n5\nEXIT\n";
  const Visit after = run_visit("stat\n" + nested + "stat\n" + nested + "5\nEXIT\n");
  EXPECT_EQ(count_of(after.output, entering), 3u);
  EXPECT_EQ(count_of(after.output, already_open), 0u);
}

TEST(StationHistoryHelp, EndOfInputEndsTheProgram) {
  for (const std::string replies : {"", "y\n", "n\n5\n", "n\n0\n", "n\n0\nABC\n"}) {
    SCOPED_TRACE(replies);
    const Visit visit = run_visit(replies);
    EXPECT_TRUE(visit.ended);
    EXPECT_EQ(visit.status, 0);
  }
}

TEST(StationHistoryHelp, KeywordHelpRunsAVisitForStat) {
  for (const std::string word : {"STAT", "stat"}) {
    TestProgram program("n\n5\nEXIT\n");
    std::string reply = word;
    EXPECT_EQ(KeywordHelp(*program.ctx, reply, "INPUT_DATES"), 1);
    EXPECT_NE(program.output().find("Entering Station Identification HELP"), std::string::npos);
    EXPECT_NE(program.output().find(NOTHING_FOUND), std::string::npos);  // empty catalogue
  }
  TestProgram program("n\n5\nEXIT\n");
  std::string reply = "Stat";
  EXPECT_EQ(KeywordHelp(*program.ctx, reply, "INPUT_DATES"), 0);
  EXPECT_EQ(program.output(), "");
}

}  // namespace
}  // namespace wxfetch
