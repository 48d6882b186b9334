// wxget against the dialogue: the same request, asked both ways on the sample archive, writes the
// same files byte for byte in every text format and file structure; and wxget's exit statuses
// with their one-line reasons.
#include "commands/wxget.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "commands/wxls.h"
#include "dialogue/startup.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::TestProgram;

const std::string ARCHIVE = WXFETCH_SAMPLE_ARCHIVE;
const std::string SUPPORT = (testing::source_dir() / "data/sample/support").string();

// Every file of a directory by name, with its text.
std::map<std::string, std::string> files_in(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = read_file(entry.path());
  }
  return files;
}

struct GetRun {
  int status = -1;
  std::string out;
  std::string err;
};

GetRun wxget(std::vector<std::string> args) {
  args.insert(args.begin(), {"--archive", ARCHIVE, "--support", SUPPORT});
  std::ostringstream out, err;
  GetRun run;
  run.status = run_wxget(args, out, err, false);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// One request: the dialogue's replies and wxget's options for it.
struct Request {
  const char* format;  // kvt, kvt-100mb or faa604
  const char* sort;    // time or station
  const char* files;   // a file structure of the sort
  std::string begin = "1998123012";
  std::string end = "1999010212";
  std::vector<std::string> stations = {"72469", "72520", "3808"};
  const char* levels = "all";
};

int menu_index(const std::string& word, const std::vector<std::string>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == word) return static_cast<int>(i);
  }
  return -1;
}

// The replies that ask the dialogue for `r`, its files going to `directory`.
std::string dialogue_replies(const Request& r, const std::string& directory) {
  const bool kvt = std::string(r.format) != "faa604";
  const bool one_date = r.begin == r.end;
  const bool time_sort = std::string(r.sort) == "time";
  std::string replies = "\n" + r.begin + "\n" + r.end + "\n";
  if (!one_date) replies += "0\n";  // all hours
  replies += "0\n0\nN\n" + std::to_string(r.stations.size()) + "\n";
  for (const std::string& station : r.stations) replies += station + "\n";
  replies += kvt ? "0\n" : "1\n";
  if (kvt) replies += std::string(r.format) == "kvt" ? "Y\n" : "N\n";
  replies += std::to_string(menu_index(r.levels, {"all", "mandatory", "significant"})) + "\n";
  if (kvt) replies += "0\n";  // knots
  if (!one_date) replies += time_sort ? "0\n" : "1\n";
  replies += "1\n" + directory + "\n";
  const int structure =
      time_sort ? menu_index(r.files, {"one", "year", "month", "day", "time", "sounding"})
                : menu_index(r.files, {"one", "station", "sounding"});
  if (time_sort || !(one_date && r.stations.size() == 1)) {
    replies += std::to_string(structure) + "\n";
  }
  return replies + "N\nN\n";
}

std::vector<std::string> wxget_options(const Request& r, const std::string& directory) {
  std::string stations;
  for (const std::string& station : r.stations) stations += (stations.empty() ? "" : ",") + station;
  return {"--from",   r.begin,  "--to",     r.end,     "--wmo",   stations,
          "--format", r.format, "--sort",   r.sort,    "--files", r.files,
          "--levels", r.levels, "--output", directory, "--quiet"};
}

TEST(WxgetAgainstDialogue, SameFilesByteForByteInEveryTextFormatAndFileStructure) {
  std::vector<Request> requests;
  for (const char* format : {"kvt", "kvt-100mb", "faa604"}) {
    for (const char* files : {"one", "year", "month", "day", "time", "sounding"}) {
      requests.push_back(Request{format, "time", files});
    }
    for (const char* files : {"one", "station", "sounding"}) {
      requests.push_back(Request{format, "station", files});
    }
  }
  Request mandatory{"kvt", "station", "station"};
  mandatory.levels = "mandatory";
  Request significant{"faa604", "time", "day"};
  significant.levels = "significant";
  Request one_sounding{"kvt", "station", "sounding", "1999030112", "1999030112", {"72469"}};
  requests.insert(requests.end(), {mandatory, significant, one_sounding});

  for (const Request& r : requests) {
    SCOPED_TRACE(std::string(r.format) + " " + r.sort + " " + r.files + " " + r.levels);
    TempDir dir;
    fs::create_directories(dir.path() / "dialogue");
    fs::create_directories(dir.path() / "wxget");
    TestProgram program(dialogue_replies(r, dir.dir() + "dialogue"));
    const int dialogue_status = run_wxfetch(*program.ctx, {ARCHIVE, SUPPORT, "0"});
    const GetRun run = wxget(wxget_options(r, dir.dir() + "wxget"));
    EXPECT_GT(dialogue_status, 0) << program.output();
    EXPECT_EQ(run.status, 0) << run.err;
    const auto expected = files_in(dir.path() / "dialogue");
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(files_in(dir.path() / "wxget"), expected);
  }
}

TEST(WxgetAgainstDialogue, StandardOutputHoldsTheTextOfTheOneFile) {
  TempDir dir;
  for (const char* format : {"kvt", "faa604", "csv", "json"}) {
    SCOPED_TRACE(format);
    fs::create_directories(dir.path() / format);
    const std::vector<std::string> request = {"--from",     "1998123100", "--to",
                                              "1999010112", "--box",      "35,45,-110,-95",
                                              "--format",   format,       "--quiet"};
    std::vector<std::string> to_files = request, to_screen = request;
    to_files.insert(to_files.end(), {"--output", dir.dir() + format});
    to_screen.insert(to_screen.end(), {"--output", "-"});
    const GetRun files = wxget(to_files);
    const GetRun screen = wxget(to_screen);
    ASSERT_EQ(files.status, 0) << files.err;
    const auto written = files_in(dir.path() / format);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(screen.out, written.begin()->second);
    EXPECT_EQ(screen.err, "");
  }
}

TEST(WxgetStatus, EveryOutcomeHasItsStatusAndOneLineReason) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;  // the start of a line on the error stream
  };
  const std::string missing = dir.dir() + "missing";
  const std::string pipe = dir.dir() + "pipe";  // a list of stations that would never end
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const Case cases[] = {
      {{"--from", "1999030100", "--wmo", "72469", "--output", dir.dir()},
       0,
       "wxget: 1 sounding in 1 file, "},
      {{"--from", "1999030100", "--wmo", "12345,99"},
       1,
       "wxget: station numbers not in the station tables: 12345, 99"},
      {{"--from", "1999030100", "--box", "-10,-5,0,10"},
       1,
       "wxget: no station of the station tables lies in the box -10,-5,0,10"},
      {{"--from", "1995030100", "--to", "1996010100", "--all-stations"},
       1,
       "wxget: the archive holds no year from 1995 to 1996 (it holds the years 1998 to 1999)"},
      {{"--from", "1999030100", "--wmo", "72250"},
       1,
       "wxget: the selected stations (WMO 72250) have no file in the archive from 1999-03-01 "
       "to 1999-03-01"},
      {{"--from", "1999030103", "--wmo", "72469"},
       1,
       "wxget: no sounding of the selected stations from 1999030103 to 1999030103 at all hours"},
      {{"--from", "1999022900", "--wmo", "72469"}, 2, "wxget: no such date and hour: 1999022900"},
      {{"--from", "1999030100", "--to", "1999020100", "--wmo", "1"},
       2,
       "wxget: --to 1999020100 lies before --from 1999030100"},
      {{"--from", "1999030100"}, 2, "wxget: choose the stations"},
      {{"--from", "1999030100", "--wmo", "1", "--all-stations"}, 2, "wxget: give only one of"},
      {{"--from", "1999030100", "--wmo", "7x"}, 2, "wxget: --wmo: '7x' is not"},
      {{"--from", "1999030100", "--wmo", "1", "--files", "year", "--sort", "station"},
       2,
       "wxget: --files year: the station sort takes one, station or sounding"},
      {{"--from", "1999030100", "--wmo", "72469", "--output", missing},
       2,
       "wxget: " + missing + "/72469_DNR_1999030100.txt: No such file or directory"},
      {{"--from", "1999030100", "--stations-file", missing},
       2,
       "wxget: " + missing + ": No such file or directory"},
      {{"--from", "1999030100", "--stations-file", pipe}, 2, "wxget: " + pipe + ": No such device"},
      {{"--from", "1999030100", "--wmo", "1", "--frobnicate"}, 2, "Try 'wxget --help'."},
  };
  for (const Case& c : cases) {
    const GetRun run = wxget(c.args);
    SCOPED_TRACE(c.message);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(("\n" + run.err).find("\n" + c.message), std::string::npos) << run.err;
  }
}

// --help and --version answer alone, whatever else the command line lacks.
TEST(WxgetStatus, HelpAndVersionAnswerAtOnce) {
  for (const char* word : {"--help", "-h", "--version"}) {
    SCOPED_TRACE(word);
    std::ostringstream out, err;
    EXPECT_EQ(run_wxget({word}, out, err, false), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str().rfind(word[2] == 'v' ? "wxget " : "Usage: wxget", 0), 0u) << out.str();
    std::ostringstream ls_out, ls_err;
    EXPECT_EQ(run_wxls({word}, ls_out, ls_err), 0);
    EXPECT_EQ(ls_err.str(), "");
    EXPECT_NE(ls_out.str().find("wxls"), std::string::npos);
  }
}

TEST(WxgetStatus, StationsFileAndListing) {
  TempDir dir;
  const fs::path list = dir.write("list.txt", "# Denver and Camborne\n72469\n\n3808\n");
  const fs::path bad = dir.write("bad.txt", "72469\nDenver\n");
  const GetRun listed =
      wxget({"--from", "1999030100", "--stations-file", list.string(), "--list-stations"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("72469  23062 DNR"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find(" 3808 903808 CAM"), std::string::npos) << listed.out;
  const GetRun faulty = wxget({"--from", "1999030100", "--stations-file", bad.string()});
  EXPECT_EQ(faulty.status, 2);
  EXPECT_NE(faulty.err.find("bad.txt:2: 'Denver' is not a station number"), std::string::npos);
}

// A station table longer than the dialogue's 2,000 rows: wxget and wxls read every row, so a
// station listed near the end is found, fetched and named.
TEST(WxgetStatus, StationTablesOfAnySize) {
  TempDir support;
  const std::string denver =
      "DNR  23062 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US\n";
  std::string table = "2500   INIT  WBAN   WMO    LAT   LONG W  ELEV    BEGIN      END NAME\n";
  for (int i = 0; i < 2500; ++i) {
    if (i == 2399) {
      table += denver;
      continue;
    }
    table += cformat("X%02d  %05d %05d  10.00  10.00    10 19480101 99991231 STATION %-17dXX XX\n",
                     i % 100, 30000 + i, 10000 + i, i);
  }
  support.write("stat2000.txt", table);
  fs::copy_file(fs::path(SUPPORT) / "international_sites.txt",
                support.path() / "international_sites.txt");
  const std::vector<std::string> where = {"--archive", ARCHIVE, "--support", support.dir()};
  std::vector<std::string> args = where;
  args.insert(args.end(), {"--from", "1999030100", "--wmo", "72469,12498", "--list-stations"});
  std::ostringstream out, err;
  EXPECT_EQ(run_wxget(args, out, err, false), 0) << err.str();
  EXPECT_NE(out.str().find("72469  23062 DNR"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("12498  32498 X98"), std::string::npos) << out.str();

  args = where;
  args.insert(args.end(),
              {"--from", "1999030100", "--wmo", "72469", "--format", "csv", "--output", "-"});
  out.str("");
  EXPECT_EQ(run_wxget(args, out, err, false), 0) << err.str();
  EXPECT_NE(out.str().find("72469"), std::string::npos);

  std::ostringstream listing, problems;
  EXPECT_EQ(run_wxls({ARCHIVE, "--support", support.dir(), "--wmo", "72469"}, listing, problems), 0)
      << problems.str();
  EXPECT_NE(listing.str().find("DENVER"), std::string::npos) << listing.str();
}

}  // namespace
}  // namespace wxfetch
