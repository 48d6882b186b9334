// A request run without the dialogue: the drivers hand every sounding to any SoundingWriter and
// every message to any ExtractionReporter, and print nothing themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "extraction/extraction.h"
#include "support/driver_fixture.h"

namespace wxfetch {
namespace {

using testing::Driver;
using testing::sounding_at;
using Calls = std::vector<std::string>;

// Records the calls a driver makes, one text each.
class RecordingWriter : public SoundingWriter {
 public:
  void begin(const AccessRequest& request) override {
    calls.push_back("begin " + request.begin_date);
  }
  void start_file(int32_t date_hour, const StationRow& station) override {
    calls.push_back(cformat("file %d %s", date_hour, station.entry->initials));
  }
  void write(const Sounding& sounding, const StationRow& station) override {
    calls.push_back(cformat("write %04d%02d%02d%02d %s row %d levels %d", sounding.year,
                            sounding.month, sounding.day, sounding.hour, station.entry->initials,
                            station.index, sounding.level_count));
  }
  void end() override { calls.push_back("end"); }
  Calls calls;
};

// Keeps the messages instead of printing them, and answers no question.
class RecordingReporter : public ExtractionReporter {
 public:
  void status(std::string_view line) override { lines.emplace_back(line); }
  void progress(std::string_view, long, std::string_view, long) override { ++progress_lines; }
  void warning(std::string_view line) override { lines.emplace_back(line); }
  void failure(const char* text) override { lines.emplace_back(text); }
  void no_files_open(const std::string&) override { lines.emplace_back("no files"); }
  Calls lines;
  int progress_lines = 0;
};

class WriterInterface : public testing::DriverTest {
 protected:
  WriterInterface() : DriverTest(extract_station_series, SortOrder::CLIMATOLOGICAL) {}

  // Runs `driver` on a request built here, as a program without the dialogue does.
  int32_t run_without_dialogue(Driver driver, SortOrder sort, OutputLocation location) {
    AccessRequest request;
    request.set_period("1999010100", "1999010223");
    request.sort_order = sort;
    request.output_location = location;
    request.station_file_structure = StationFileStructure::PER_STATION;
    request.time_file_structure = TimeFileStructure::PER_DAY;
    const ExtractionSource source{ctx.database_directory, ctx.years, ctx.catalogue};
    return driver(source, request, ctx.selected, writer, reporter);
  }

  RecordingWriter writer;
  RecordingReporter reporter;
};

TEST_F(WriterInterface, DriversHandEverySoundingWithItsStationRowAndPrintNothing) {
  write({sounding_at(23062, 1999, 1, 1, 0), sounding_at(24011, 1999, 1, 1, 12),
         sounding_at(23062, 1999, 1, 2, 12)});
  select({23062, 24011});
  struct Case {
    Driver driver;
    SortOrder sort;
    OutputLocation location;
    Calls calls;
    int progress_lines;
  };
  const Case cases[] = {
      {extract_station_series, SortOrder::CLIMATOLOGICAL, OutputLocation::FILES,
       Calls{"begin 1999010100", "file 1999010100 DEN", "write 1999010100 DEN row 0 levels 6",
             "write 1999010212 DEN row 0 levels 6", "file 1999010112 BIS",
             "write 1999010112 BIS row 2 levels 6", "end"},
       3},
      {extract_time_series, SortOrder::SYNOPTIC, OutputLocation::FILES,
       Calls{"begin 1999010100", "file 1999010100 DEN", "write 1999010100 DEN row 0 levels 6",
             "write 1999010112 BIS row 2 levels 6", "file 1999010212 DEN",
             "write 1999010212 DEN row 0 levels 6", "end"},
       48 + 2 + 2 * 3},  // each hour, each file's directory, twice each sounding
      {extract_time_series, SortOrder::SYNOPTIC, OutputLocation::SCREEN,
       Calls{"begin 1999010100", "write 1999010100 DEN row 0 levels 6",
             "write 1999010112 BIS row 2 levels 6", "write 1999010212 DEN row 0 levels 6", "end"},
       2},
  };
  for (const Case& c : cases) {
    writer.calls.clear();
    reporter.progress_lines = 0;
    EXPECT_EQ(run_without_dialogue(c.driver, c.sort, c.location), c.calls.size() == 7 ? 1 : 3);
    EXPECT_EQ(writer.calls, c.calls);
    EXPECT_EQ(reporter.progress_lines, c.progress_lines);
  }
  EXPECT_EQ(program.output(), "");
  EXPECT_EQ(program.errors(), "");
}

}  // namespace
}  // namespace wxfetch
