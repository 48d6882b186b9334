// BUFR out and back in: a month of the sample archive through wxget --format bufr and
// wxpack --from bufr, and what ecCodes' own bufr_dump shows of wxget's messages.
#include "output/bufr_writer.h"

#ifdef WXFETCH_HAVE_ECCODES

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "commands/wxget.h"
#include "commands/wxpack.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::source_dir;
using testing::TempDir;

struct GetRun {
  int status = 0;
  std::string out, err;
};

GetRun wxget(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = run_wxget(args, out, err, false);
  return {status, out.str(), err.str()};
}

// A request of the sample archive: every hour of the given days.
std::vector<std::string> sample_request(const std::string& archive, const char* from,
                                        const char* to, std::vector<std::string> more) {
  std::vector<std::string> args = {
      "-a",      archive, "-s",   (source_dir() / "data/sample/support").string(),
      "--from",  from,    "--to", to,
      "--hours", "all",   "-q"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

constexpr const char* FIRST = "1999030100";
constexpr const char* LAST = "1999033123";

// A month of every station: ecCodes takes about a second per thousand messages each way.
TEST(BufrRoundTrip, EverySoundingOfAMonthComesBackLevelForLevel) {
  TempDir work;
  const GetRun written = wxget(sample_request(WXFETCH_SAMPLE_ARCHIVE, FIRST, LAST,
                                              {"--all-stations", "-f", "bufr", "-o", work.dir()}));
  ASSERT_EQ(written.status, 0) << written.err;
  const std::string bufr = (work.path() / "1999030100.bufr").string();
  const std::string archive = (work.path() / "archive").string();
  std::istringstream in;
  std::ostringstream out, err;
  const int status = run_wxpack(
      {"--from", "bufr", "-s", (source_dir() / "data/sample/support").string(), archive, bufr}, in,
      out, err, false);
  ASSERT_EQ(status, 0) << err.str();
  EXPECT_EQ(err.str(), "");
  // JSON Lines show every level's kind and values and each sounding's station, date and hour,
  // release time and sonde type.
  const std::vector<std::string> json = {"--all-stations", "-f", "json", "-o", "-"};
  const GetRun before = wxget(sample_request(WXFETCH_SAMPLE_ARCHIVE, FIRST, LAST, json));
  const GetRun after = wxget(sample_request(archive, FIRST, LAST, json));
  ASSERT_EQ(before.status, 0);
  ASSERT_GT(before.out.size(), 100000u);
  EXPECT_TRUE(before.out == after.out) << "the archive read back differs";
}

// The values bufr_dump -jf gives for `key`, in order ("null" for a missing one).
std::vector<std::string> dumped(const std::string& dump, const std::string& key) {
  const std::regex pattern("\"key\" : \"" + key + "\",\\s*\"value\" : ([^,\\n]+)");
  std::vector<std::string> values;
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    values.push_back((*it)[1]);
  }
  return values;
}

// A CSV field (hPa, m, degrees C, degrees, m/s) in the units bufr_dump shows, to compare.
std::string in_bufr_units(const std::string& field, double scale, double offset) {
  if (field.empty()) return "null";
  return cformat("%.2f", std::stod(field) * scale + offset);
}

std::string dumped_in_units(const std::string& value) {
  return value == "null" ? value : cformat("%.2f", std::stod(value));
}

TEST(BufrRoundTrip, BufrDumpShowsTheValuesOfTheCsv) {
  if (std::system("command -v bufr_dump > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "bufr_dump (libeccodes-tools) is not installed";
  }
  TempDir work;
  const auto request = [&](const char* format, const std::string& output) {
    return wxget(sample_request(WXFETCH_SAMPLE_ARCHIVE, "1999030412", "1999030412",
                                {"-w", "72469", "-f", format, "-o", output}));
  };
  ASSERT_EQ(request("bufr", work.dir()).status, 0);
  const GetRun csv = request("csv", "-");
  const std::string dump_file = (work.path() / "dump.json").string();
  ASSERT_EQ(std::system(("bufr_dump -jf " + (work.path() / "72469_DNR_1999030412.bufr").string() +
                         " > " + dump_file)
                            .c_str()),
            0);
  const std::string dump = read_file(dump_file);
  // CSV columns 5.. : pressure_hpa, height_m, temperature_c, dew_point_c, wind direction, speed.
  const std::pair<const char*, std::pair<double, double>> columns[] = {
      {"pressure", {100, 0}},          {"nonCoordinateGeopotentialHeight", {1, 0}},
      {"airTemperature", {1, 273.15}}, {"dewpointTemperature", {1, 273.15}},
      {"windDirection", {1, 0}},       {"windSpeed", {1, 0}}};
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv.out);
  std::string line;
  std::getline(lines, line);  // the header row
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
    fields.resize(11);
    rows.push_back(fields);
  }
  ASSERT_GE(rows.size(), 5u);
  for (size_t c = 0; c < 6; ++c) {
    const auto& [key, units] = columns[c];
    std::vector<std::string> expected, shown;
    for (const auto& row : rows) {
      expected.push_back(in_bufr_units(row[5 + c], units.first, units.second));
    }
    for (const std::string& value : dumped(dump, key)) shown.push_back(dumped_in_units(value));
    EXPECT_EQ(shown, expected) << key;
  }
  EXPECT_EQ(dumped(dump, "blockNumber"), std::vector<std::string>{"72"});
  EXPECT_EQ(dumped(dump, "stationNumber"), std::vector<std::string>{"469"});
}

}  // namespace
}  // namespace wxfetch

#endif
