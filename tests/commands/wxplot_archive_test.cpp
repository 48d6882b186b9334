// wxplot's archive mode draws and measures exactly what wxplot draws from wxget's CSV of the same
// request, and reports an empty request or a usage error with its status.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commands/wxget.h"
#include "commands/wxplot.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

const std::string ARCHIVE = WXFETCH_SAMPLE_ARCHIVE;
const std::string SUPPORT = (testing::source_dir() / "data/sample/support").string();
const std::vector<std::string> REQUEST = {"--support", SUPPORT,      "--box", "35,45,-110,-70",
                                          "--from",    "1999030100", "--to",  "1999030412",
                                          "--levels",  "significant"};

struct PlotRun {
  int status = -1;
  std::string out;
  std::string err;
};

PlotRun wxplot(std::vector<std::string> args) {
  std::istringstream in;
  std::ostringstream out, err;
  PlotRun run;
  run.status = run_wxplot_command(args, in, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::map<std::string, std::string> files_in(const fs::path& directory) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = read_file(entry.path());
  }
  return files;
}

TEST(PlotArchive, DrawsWhatTheCsvOfTheSameRequestDraws) {
  testing::TempDir dir;
  std::ostringstream csv, err;
  ASSERT_EQ(run_wxget(with(REQUEST,
                           {"--archive", ARCHIVE, "--format", "csv", "--output", "-", "--quiet"}),
                      csv, err, false),
            0);
  const std::string csv_file = dir.write("request.csv", csv.str()).string();
  fs::create_directories(dir.path() / "archive");
  fs::create_directories(dir.path() / "file");

  const PlotRun archive_indices = wxplot(with(REQUEST, {"--archive", ARCHIVE, "--indices"}));
  const PlotRun file_indices = wxplot({"--input", csv_file, "--indices"});
  EXPECT_EQ(archive_indices.status, 0) << archive_indices.err;
  EXPECT_EQ(archive_indices.out, file_indices.out);
  EXPECT_GT(std::count(archive_indices.out.begin(), archive_indices.out.end(), '\n'), 10);

  EXPECT_EQ(wxplot(with(REQUEST, {"--archive", ARCHIVE, "--output", dir.dir() + "archive"})).status,
            0);
  EXPECT_EQ(wxplot({"--input", csv_file, "--output", dir.dir() + "file"}).status, 0);
  const auto pictures = files_in(dir.path() / "archive");
  EXPECT_EQ(pictures, files_in(dir.path() / "file"));
  EXPECT_EQ(pictures.count("72469_DNR_1999030100.svg"), 1u);
}

TEST(PlotArchive, EmptyRequestsAndUsageErrorsHaveTheirStatus) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"--archive", ARCHIVE, "--support", SUPPORT, "--from", "1999030100", "--wmo", "99999"},
       1,
       "wxplot: station numbers not in the station tables: 99999\n"},
      {{"--archive", ARCHIVE, "--support", SUPPORT, "--from", "1999030103", "--wmo", "72469"},
       1,
       "wxplot: no sounding of the selected stations from 1999030103 to 1999030103\n"},
      {{"--archive", ARCHIVE, "--input", "x.csv", "--from", "1999030100", "--wmo", "1"},
       2,
       "wxplot: --input and --archive exclude each other\nTry 'wxplot --help'.\n"},
      {{"--archive", ARCHIVE, "--support", SUPPORT, "--wmo", "72469"},
       2,
       "wxplot: --from YYYYMMDDHH is needed\n"},
      {{"--archive", ARCHIVE, "--from", "1999030100", "--wmo", "1", "--html", "a", "--output", "b"},
       2,
       "wxplot: --output and --html exclude each other\nTry 'wxplot --help'.\n"},
  };
  for (const Case& c : cases) {
    const PlotRun run = wxplot(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_EQ(run.err, c.message);
  }
}

}  // namespace
}  // namespace wxfetch
