#include "dialogue/request_dialogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "database/archive_writer.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TempDir;
using testing::TestProgram;
using Replies = std::vector<std::string>;

Replies operator+(Replies first, const Replies& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const char* const TOPICS[] = {
    "INPUT_DATES",   "INPUT_HOUR",      "ACCESS_TYPE",     "STATION_TYPE",      "STATION_FILE",
    "STATFILE_NAME", "NUMBER_STATIONS", "STATION_NUMBER",  "GEOGRAPHIC_ACCESS", "OUTPUT_FORMAT",
    "LEVEL_TYPE",    "WIND_UNITS",      "SORT_ORDER_TYPE", "OUTPUT_LOCATION",   "OUTPUT_DIRECTORY",
    "TIME_OUTFILE",  "STATION_OUTFILE", "REPEAT_ACCESS",   "ANOTHER_REQUEST",   "NO_FILES_OPEN"};

std::string help_text() {
  std::string text = "Help file of the tests\n";
  for (const char* topic : TOPICS) text += std::string(topic) + "\n help on " + topic + "\nEND.\n";
  return text;
}

// What a HELP reply prints for `topic`.
std::string help_section(const std::string& topic) {
  return "\n help on " + topic + "\n\n\n";
}

// Shows the printed text with its line ends and backspaces visible when the part is missing.
::testing::AssertionResult contains(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ::testing::PrintToString(part) << "\nis missing from\n"
                                       << ::testing::PrintToString(text);
}

size_t count_of(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::string B11(11, '\b');
std::string begin_prompt(const std::string& shown) {
  return "\n What is the beginning date? YYYYMMDDHH [" + shown + "]" + B11;
}
std::string end_prompt(const std::string& shown) {
  return " What is the ending date? YYMMDDHH [" + shown + "]" + B11;
}
const std::string RANGE_ERROR = "\n ERROR: value out of range - please choose again\n\n";
const std::string HOUR_MENU =
    "\n What GMT sounding hour(s) do you want?\n      0  -  All times\n"
    "      1  -  0z and 12z only\n      2  -  0z only\n      3  -  12z only\n Your Choice? [";
const std::string ACCESS_MENU =
    "\n How do you wish to access the data set?\n      0  -  by station number\n"
    "      1  -  by geographic location\n      2  -  all North/Central American Data \n"
    "      3  -  all Global Data\nYour Choice? [";
const std::string STATION_TYPE =
    "\n\t\t Station Number Access\n\n"
    " What type of station numbers are you using? [WMO=0, WBAN=1] [";
const std::string FILE_QUESTION =
    " Do you have a file containing this list of stations? [Y/N] [N]\b\b";
const std::string COUNT_QUESTION =
    " How many stations for the time period would you like? [1 - 100] [";
const std::string SORT_MENU = "\n How do you want to organize the output data?\n";
const std::string TIME_STRUCTURE = "\n\t\tTime Series Sort \n\n";
const std::string STATION_STRUCTURE = "\n\t\tStation Series Sort \n\n";
const std::string ANOTHER = " Would you like to request more data? [Y/N] [N]\b\b";

// Output to the screen after equal dates (no sort question) and after differing dates.
const Replies SCREEN_ONE_DATE = {"0", "", "", "", "0", "N"};
const Replies SCREEN = {"0", "", "", "", "", "0", "N"};
// Station 72469 (WBAN 23062) by its WMO number.
const Replies DENVER = {"0", "0", "", "", "72469"};

class RequestDialogueTest : public ::testing::Test {
 protected:
  RequestDialogueTest() {
    // Years 1998 and 1999 with one sounding of 23062 each, outside every period asked here.
    std::vector<pack::PackSounding> soundings(2);
    for (int i = 0; i < 2; ++i) {
      soundings[i].wban = 23062;
      soundings[i].year = 1998 + i;
      soundings[i].month = 12;
      soundings[i].day = 31;
    }
    pack::write_archive(database.path(), soundings);
    ctx.database_directory = database.dir();
    ctx.first_year = 1998;
    ctx.last_year = 1999;
    ctx.default_date = "1998010100";
    ctx.help_file = std::make_unique<std::istringstream>(help_text());
    ctx.selected.stations[0] = StationNumbers{72469, 23062};
    add_station(72469, 23062, 39.77f, -104.87f);
    add_station(72476, 23066, 39.12f, -108.53f);
    add_station(72520, 94823, 40.53f, -80.22f);
    add_station(72230, 53823, 33.17f, -86.77f);
    add_station(47122, 947122, 37.10f, 127.03f);
  }

  void add_station(int32_t wmo, int32_t wban, float latitude, float longitude) {
    StationEntry& row = ctx.catalogue.entries[ctx.catalogue.count++];
    row.wmo = wmo;
    row.wban = wban;
    row.latitude = latitude;
    row.longitude = longitude;
    row.period_begin = 19400101;
    row.period_end = 20991231;
  }

  // Runs the dialogue on the replies, one line each; returns everything it printed.
  std::string run(const Replies& replies) {
    std::string typed;
    for (const std::string& reply : replies) typed += reply + "\n";
    program.set_replies(typed);
    try {
      run_request_dialogue(ctx);
    } catch (const ProgramExit&) {
      ADD_FAILURE() << "the replies ran out; the dialogue printed:\n" << program.output();
    }
    return program.output();
  }

  std::vector<int32_t> selected_wban() const {
    std::vector<int32_t> numbers;
    for (int i = 0; i < ctx.selected.station_count; ++i) {
      numbers.push_back(ctx.selected.stations[i].wban);
    }
    return numbers;
  }

  TempDir database;
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
};

TEST_F(RequestDialogueTest, EqualDatesSkipHourSortAndSingleStationFileStructure) {
  ctx.request.hours = SoundingHours::ZERO;
  ctx.request.sort_order = SortOrder::SYNOPTIC;
  const std::string output =
      run(Replies{"1998030112", ""} + DENVER + Replies{"0", "", "", "", "1", "results", "N"});
  const std::string before_extraction =
      begin_prompt("1998010100") + end_prompt("1998030112") + ACCESS_MENU + "0]\b\b" +
      STATION_TYPE + "0]\b\b" + FILE_QUESTION + COUNT_QUESTION + "1]\b\b" +
      " WMO station number? 72469\b\b\b\b\b" +
      " What type of output format do you want?\n      0  -  KVT format\n"
      "      1  -  FAA604 format <USED BY VANTA SOFTWARE>\nYour Choice? [0]\b\b" +
      "\nDo you wish to obtain data above 100mb pressure? [Y/N] Y\b" +
      " What type of data levels do you want?\n      0  -  all levels\n"
      "      1  -  mandatory levels only\n      2  -  mandatory and significant levels only\n"
      "Your Choice? [0]\b\b" +
      " What type of wind speed units do you want?\n      0  -  knots\n"
      "      1  -  tenths of meters/second\nYour Choice? [0]\b\b" +
      "\n Where do you want to direct the output?\n      0  -  to the screen\n"
      "      1  -  to output file(s)\nYour Choice? [0]\b\b" +
      "\n Where do you want to write the output files?\n  Enter the disk and directory only: ";
  EXPECT_EQ(output.substr(0, before_extraction.size()), before_extraction);
  EXPECT_TRUE(output.ends_with(ANOTHER));
  EXPECT_EQ(count_of(output, STATION_STRUCTURE), 0u);

  const AccessRequest& request = ctx.request;
  EXPECT_EQ(request.begin_date, "1998030112");
  EXPECT_EQ(request.end_date, "1998030112");
  EXPECT_EQ(request.begin_value, 1998030112);
  EXPECT_EQ(request.hours, SoundingHours::ALL);
  EXPECT_EQ(request.sort_order, SortOrder::CLIMATOLOGICAL);
  EXPECT_EQ(request.station_file_structure, StationFileStructure::PER_SOUNDING);
  EXPECT_EQ(request.output_directory, "results/");
  EXPECT_EQ(ctx.default_date, "1998030112");
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062}));
  EXPECT_EQ(ctx.selected.stations[0].wmo, 72469);
}

TEST_F(RequestDialogueTest, FileStructureQuestionFollowsSortAndSkipRule) {
  struct Case {
    const char* name;
    Replies replies;
    bool time_menu;
    bool station_menu;
    int16_t time_structure;
    int16_t station_structure;
  };
  const Replies two_stations = {"0", "1", "", "2", "23062", "23066"};
  const Case cases[] = {
      {"equal dates, two stations",
       Replies{"1998030112", ""} + two_stations + Replies{"1", "", "1", "d", "1", "N"}, false, true,
       0, 1},
      {"differing dates, one station",
       Replies{"1998030100", "1998030112", ""} + DENVER +
           Replies{"1", "", "1", "1", "d/", "0", "N"},
       false, true, 0, 0},
      {"synoptic sort",
       Replies{"1998030100", "1998030112", ""} + DENVER +
           Replies{"1", "", "0", "1", "d", "6", "4", "N"},
       true, false, 4, 0},
  };
  for (const Case& c : cases) {
    program.out.str("");
    ctx.request = AccessRequest{};
    const std::string output = run(c.replies);
    EXPECT_EQ(count_of(output, TIME_STRUCTURE) > 0, c.time_menu) << c.name;
    EXPECT_EQ(count_of(output, STATION_STRUCTURE) > 0, c.station_menu) << c.name;
    EXPECT_EQ(static_cast<int16_t>(ctx.request.time_file_structure), c.time_structure) << c.name;
    EXPECT_EQ(static_cast<int16_t>(ctx.request.station_file_structure), c.station_structure)
        << c.name;
    EXPECT_EQ(ctx.request.output_directory, "d/") << c.name;
  }
}

TEST_F(RequestDialogueTest, DateDefaultsOfFirstAndLaterRequests) {
  const std::string output = run(
      // First request: a rejected pair shows default_date again; the ending date then
      // defaults to the beginning date.
      Replies{"1998050100", "1998040100", "", "1998010200", "2", "0", "1", "", "2", "23066",
              "23062"} +
      Replies{"0", "", "", "", "", "0", "Y"} +
      // Second request: the beginning date is after the last ending date.
      Replies{"1998020100", "1998020200", "", "", "", "", "", "", ""} +
      Replies{"0", "", "", "", "", "0", "Y"} +
      // Third request: everything as before.
      Replies{"", "", "", "", "", "", "", "", ""} + SCREEN);
  EXPECT_TRUE(contains(output, begin_prompt("1998010100") + end_prompt("1998050100") +
                                   " ERROR - beginning date is greater than ending date\n\n" +
                                   begin_prompt("1998010100") + end_prompt("1998010100")));
  EXPECT_TRUE(contains(output, begin_prompt("1998010100") + end_prompt("1998020100")));
  EXPECT_TRUE(contains(output, begin_prompt("1998020100") + end_prompt("1998020200") + HOUR_MENU +
                                   "2]\b\b" + ACCESS_MENU + "0]\b\b" + STATION_TYPE + "1]\b\b" +
                                   FILE_QUESTION + COUNT_QUESTION + "2]\b\b" +
                                   " WBAN station number? 23062\b\b\b\b\b" +
                                   " WBAN station number? 23066\b\b\b\b\b"));
  EXPECT_EQ(ctx.default_date, "1998020100");
  EXPECT_EQ(ctx.request.end_date, "1998020200");
  EXPECT_EQ(ctx.request.hours, SoundingHours::ZERO);
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062, 23066}));
}

TEST_F(RequestDialogueTest, BadDateRepliesAreAskedAgain) {
  struct Case {
    const char* name;
    Replies dates;
    std::string message;  // "" when nothing is rejected
    bool years_shown_again;
    std::string begin_date;
  };
  const std::string out_of_range = "\n ERROR - beginning date out of range\n\n";
  const Case cases[] = {
      {"nine digits",
       {"199803011", "1998030100"},
       " ERROR - date string must have 10 digits\n\n",
       false,
       "1998030100"},
      {"mixed-case Help is an ordinary reply",
       {"Help", "1998030100"},
       " ERROR - date string must have 10 digits\n\n",
       false,
       "1998030100"},
      {"letters",
       {"19980301AB", "1998030100"},
       "\n\tERROR:  \"19980301AB\" is not a valid date.  Enter all ten digits.\n" +
           begin_prompt("1998010100"),
       false,
       "1998030100"},
      {"hour 24", {"1998022824", "1998030100"}, out_of_range, true, "1998030100"},
      {"month 13", {"1998130100", "1998030100"}, out_of_range, true, "1998030100"},
      {"day 0", {"1998030000", "1998030100"}, out_of_range, true, "1998030100"},
      {"year before the database", {"1997123100", "1998030100"}, out_of_range, true, "1998030100"},
      {"day 31 in February", {"1998023112"}, "", false, "1998023112"},
      {"ending hour 24",
       {"1998030100", "1998030124"},
       " ERROR - ending date out of range\n\n",
       true,
       "1998030100"},
  };
  for (const Case& c : cases) {
    program.out.str("");
    ctx.request = AccessRequest{};
    ctx.default_date = "1998010100";
    const std::string output = run(c.dates + Replies{""} + DENVER + SCREEN_ONE_DATE);
    if (!c.message.empty()) {
      EXPECT_EQ(count_of(output, c.message), 1u) << c.name;
    }
    EXPECT_EQ(count_of(output, "ERROR"), c.message.empty() ? 0u : 1u) << c.name;
    EXPECT_EQ(count_of(output, "is available for the years:  1998 thru 1999\n"),
              c.years_shown_again ? 1u : 0u)
        << c.name;
    EXPECT_EQ(ctx.request.begin_date, c.begin_date) << c.name;
    EXPECT_EQ(ctx.request.end_date, c.begin_date) << c.name;
  }
}

TEST_F(RequestDialogueTest, RejectedMenuNumberIsShownUntilOneInRange) {
  const std::string output =
      run(Replies{"1998030100", "1998030200", "7", "", "2x"} + DENVER + SCREEN);
  EXPECT_TRUE(contains(output, HOUR_MENU + "0]\b\b" + RANGE_ERROR + HOUR_MENU + "7]\b\b" +
                                   RANGE_ERROR + HOUR_MENU + "7]\b\b" + ACCESS_MENU));
  EXPECT_EQ(ctx.request.hours, SoundingHours::ZERO);
}

TEST_F(RequestDialogueTest, HelpRepliesServeTheSectionAndAskAgain) {
  const std::string output = run(Replies{"1998030100", "", "HELP", "0", "0", "", "help", "", "0",
                                         "", "1", "HELP", "72469", "0", "HELP"} +
                                 Replies{"", "", "0", "N"});
  EXPECT_TRUE(contains(output, ACCESS_MENU + "0]\b\b" + help_section("ACCESS_TYPE") + ACCESS_MENU +
                                   "0]\b\b" + STATION_TYPE));
  // Help at the count, and a count out of range, go back to the file question.
  EXPECT_TRUE(contains(output, COUNT_QUESTION + "1]\b\b" + help_section("NUMBER_STATIONS") +
                                   FILE_QUESTION + COUNT_QUESTION + "1]\b\b" + RANGE_ERROR +
                                   FILE_QUESTION + COUNT_QUESTION + "1]\b\b"));
  EXPECT_TRUE(contains(output, " WMO station number? 72469\b\b\b\b\b" +
                                   help_section("STATION_NUMBER") +
                                   " WMO station number? 72469\b\b\b\b\b"));
  // The question about data above 100 mb has no help: HELP is an answer other than yes.
  EXPECT_FALSE(ctx.request.above_100mb);
  EXPECT_EQ(count_of(output, "\n help on "), 3u);
}

TEST_F(RequestDialogueTest, StationCountProposal) {
  struct Case {
    int16_t station_id_type;
    int16_t previous_count;
    std::string shown;
  };
  const Case cases[] = {
      {0, 5, "1]\b\b"}, {1, 12, "12]\b\b\b"}, {1, 100, "100]\b\b\b\b"}, {1, 150, "1]\b\b"}};
  for (const Case& c : cases) {
    program.out.str("");
    ctx.selected.station_count = c.previous_count;
    ctx.selected.stations[0] = StationNumbers{72469, 23062};
    const std::string type = std::to_string(c.station_id_type);
    const std::string output =
        run(Replies{"1998030100", "", "0", type, "", "1", ""} + SCREEN_ONE_DATE);
    EXPECT_TRUE(contains(output, COUNT_QUESTION + c.shown)) << c.previous_count;
  }
}

TEST_F(RequestDialogueTest, StationNumberShownInFiveColumns) {
  ctx.selected.station_count = 2;
  ctx.selected.stations[0].wban = 23062;
  ctx.selected.stations[1].wban = 3160;
  const std::string output =
      run(Replies{"1998030100", "", "0", "1", "", "", "23062 ", "", ""} + SCREEN_ONE_DATE);
  EXPECT_TRUE(contains(
      output, " WBAN station number? 23062\b\b\b\b\b" +
                  std::string("\n\tERROR:  \"23062 \" is not a valid station number.  "
                              "Enter all the digits.\n\n") +
                  " WBAN station number? 23062\b\b\b\b\b" + " WBAN station number?  3160\b\b\b\b"));
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062}));
}

TEST_F(RequestDialogueTest, StationListFile) {
  TempDir files;
  const std::string list =
      files.write("list.txt", "72469\n  72476 Grand Junction\n72520\n\n").string();
  const std::string missing = files.dir() + "missing.txt";
  // The blank line counts as an element and keeps its number.
  ctx.selected.stations[3].wmo = 72230;
  const std::string output =
      run(Replies{"1998030100", "", "0", "0", "Y", missing, "y", list} + SCREEN_ONE_DATE);
  EXPECT_TRUE(contains(output, "\n  Enter the full name of this file: \n  ERROR -  station file: " +
                                   missing + " does not exist \n" + FILE_QUESTION));
  EXPECT_TRUE(contains(output, "\n STATUS:  4 stations read from file: " + list + "\n\n"));
  EXPECT_EQ(count_of(output, COUNT_QUESTION), 0u);
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{53823, 23062, 23066, 94823}));
}

TEST_F(RequestDialogueTest, StationListFileBeyondCapacityUsesTheFirst2000) {
  TempDir files;
  std::string numbers = "72469\n";
  for (int i = 0; i < MAX_STATION_ROWS; ++i) numbers += "72476\n";
  const std::string list = files.write("long.txt", numbers).string();
  const std::string output = run(Replies{"1998030100", "", "0", "0", "Y", list} + SCREEN_ONE_DATE);
  EXPECT_TRUE(contains(output,
                       " WARNING: only the first 2000 stations of the file are used\n"
                       "\n STATUS:  2000 stations read from file: "));
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062, 23066}));
}

TEST_F(RequestDialogueTest, StationListFileThatIsNoRegularFileCannotBeOpened) {
  // A device that never ends and a named pipe without a writer (which would block an open):
  // neither is read; the question comes again and a list file follows.
  TempDir files;
  const std::string fifo = files.dir() + "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string list = files.write("list.txt", "72469\n72520\n").string();
  const std::string output =
      run(Replies{"1998030100", "", "0", "0", "Y", "/dev/zero", "Y", fifo, "Y", list} +
          SCREEN_ONE_DATE);
  for (const std::string& name : {std::string("/dev/zero"), fifo}) {
    EXPECT_TRUE(contains(output, "  ERROR -  station file: " + name + " does not exist \n"));
  }
  EXPECT_TRUE(contains(output, "\n STATUS:  2 stations read from file: " + list + "\n\n"));
}

TEST_F(RequestDialogueTest, GeographicBoxIsAskedAgainWhileMaximumBelowMinimum) {
  const std::string output = run(Replies{"1998030100", "", "1", "40.0", "30.0", "39.77", "45",
                                         "39.77", "-100.0", "-110.0", "-110.0", "-100.0"} +
                                 SCREEN_ONE_DATE);
  const std::string lat_min = "\t Enter the MINIMUM value latitude: [";
  const std::string lon_min = "\n\t Enter the MINIMUM value longitude: [";
  EXPECT_TRUE(
      contains(output,
               "\n\t\t Geographic Location Access \n\n"
               "  NOTE:  For soundings in the western hemisphere, use negative longitudes.\n\n"
               " Input the bounds of your lat/long box \n" +
                   lat_min + "10.00]\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, " ERROR: the MAX latitude is less than the MIN latitude\n" +
                                   lat_min + "40.00]\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output,
                       "\n\tERROR:  a decimal point is required for this number.\n\n"
                       "\t Enter the MAXIMUM value latitude: [30.00]\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, lon_min + "100.00]\b\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, " ERROR: the MAX longitude is less than the MIN longitude\n" +
                                   lon_min + "-100.00]\b\b\b\b\b\b\b"));
  const AccessRequest& request = ctx.request;
  EXPECT_EQ(request.station_id_type, StationIdType::WBAN);
  EXPECT_EQ(request.lat_min, 39.77f);
  EXPECT_EQ(request.lat_max, 39.77f);
  EXPECT_EQ(request.lon_min, -110.0f);
  EXPECT_EQ(request.lon_max, -100.0f);
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062}));
}

TEST_F(RequestDialogueTest, AreaAccessCarriesOverToLaterRequests) {
  const std::string output =
      run(Replies{"1998030100", "", "2", "0", "", "", "", "0", "Y"} +
          // A geographic access proposes the fixed box of the previous request.
          Replies{"", "", "1", "", "", "", "", "0", "", "", "", "0", "Y"} +
          // A station-number access proposes WBAN numbers, as many as were selected.
          Replies{"", "", "0", "", "", "", "", "", "", ""} + SCREEN_ONE_DATE);
  EXPECT_TRUE(contains(output, "\n\t\t North/Central American Access\n\n"));
  EXPECT_TRUE(contains(output, "latitude: [0.00]\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, "latitude: [90.00]\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, "longitude: [-180.00]\b\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, "longitude: [-50.00]\b\b\b\b\b\b\b"));
  EXPECT_TRUE(contains(output, STATION_TYPE + "1]\b\b" + FILE_QUESTION + COUNT_QUESTION + "4]\b\b" +
                                   " WBAN station number? 53823\b\b\b\b\b" +
                                   " WBAN station number? 23062\b\b\b\b\b" +
                                   " WBAN station number? 23066\b\b\b\b\b" +
                                   " WBAN station number? 94823\b\b\b\b\b"));
  EXPECT_EQ(ctx.request.station_id_type, StationIdType::WBAN);
  EXPECT_EQ(selected_wban(), (std::vector<int32_t>{23062, 23066, 53823, 94823}));
}

}  // namespace
}  // namespace wxfetch
