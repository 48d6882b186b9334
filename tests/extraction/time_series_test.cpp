#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>

#include "extraction/extraction.h"
#include "support/driver_fixture.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::sounding_at;
using testing::soundings_in;
using Soundings = std::vector<std::string>;

class TimeSeriesTest : public testing::DriverTest {
 protected:
  TimeSeriesTest() : DriverTest(extract_time_series, SortOrder::SYNOPTIC) {}
};

TEST_F(TimeSeriesTest, WalksTheHoursFromTheFirstToTheLastHourOfThePeriod) {
  write({sounding_at(23062, 1994, 1, 1, 0), sounding_at(23062, 1994, 1, 1, 12),
         sounding_at(23062, 1994, 1, 1, 18), sounding_at(23062, 1994, 1, 2, 0),
         sounding_at(23062, 1994, 1, 2, 12)});
  select({23062});
  EXPECT_EQ(to_screen("1994010112", "1994010200"), 3);
  EXPECT_EQ(soundings_in(program.output()),
            (Soundings{"1994010112 23062", "1994010118 23062", "1994010200 23062"}));
  EXPECT_NE(program.output().find("nsound = 3\n"), std::string::npos);
  // The screen shows no processing line and no count of soundings written.
  EXPECT_EQ(program.output().find("processing"), std::string::npos);
  EXPECT_EQ(program.output().find("soundings written"), std::string::npos);
}

TEST_F(TimeSeriesTest, HourFilterPassesOverEarlierSoundingsOfTheDay) {
  write({sounding_at(23062, 1994, 3, 5, 6), sounding_at(23062, 1994, 3, 5, 12),
         sounding_at(23062, 1994, 3, 6, 0)});
  select({23062});
  struct Case {
    int16_t hour_choice;
    Soundings expected;
  };
  const Case cases[] = {
      {0, {"1994030506 23062", "1994030512 23062", "1994030600 23062"}},
      {1, {"1994030512 23062", "1994030600 23062"}},
      {2, {"1994030600 23062"}},
      {3, {"1994030512 23062"}},
  };
  for (const Case& c : cases) {
    program.out.str("");
    to_screen("1994030100", "1994033123", c.hour_choice);
    EXPECT_EQ(soundings_in(program.output()), c.expected) << "hour choice " << c.hour_choice;
  }
}

TEST_F(TimeSeriesTest, InterleavesStationsByTimeInSelectionOrder) {
  write({sounding_at(23062, 1995, 12, 31, 0), sounding_at(23062, 1995, 12, 31, 12),
         sounding_at(94823, 1995, 12, 31, 0), sounding_at(94823, 1995, 12, 31, 12),
         sounding_at(24011, 1995, 12, 31, 12)});
  select({94823, 24011, 23062});  // sorted by WBAN number: 23062, 24011, 94823
  EXPECT_EQ(to_screen("1995123100", "1995123123"), 5);
  EXPECT_EQ(soundings_in(program.output()),
            (Soundings{"1995123100 23062", "1995123100 94823", "1995123112 23062",
                       "1995123112 24011", "1995123112 94823"}));
}

TEST_F(TimeSeriesTest, YearWithoutFilesIsReportedAndSkipped) {
  write({sounding_at(23062, 1996, 1, 1, 0)});
  select({23062});
  EXPECT_EQ(to_screen("1995120100", "1996010100"), 1);
  EXPECT_NE(program.output().find(" WARNING:  Unable to open any database files for 1995\n"),
            std::string::npos);
  EXPECT_EQ(soundings_in(program.output()), (Soundings{"1996010100 23062"}));
}

TEST_F(TimeSeriesTest, NothingOpenedEndsInTheNoFilesDialogue) {
  select({23062});
  program.set_replies("\n");
  EXPECT_EQ(to_screen("1995010100", "1995010200"), 0);
  EXPECT_EQ(program.output(),
            "\n\n WARNING:  Unable to open any database files for 1995\n"
            "nsound = 0\n"
            " STATUS:  No data was available to meet your request.\n\n"
            "\tWARNING:  No database files could be opened in: " +
                archive.dir() +
                "\n\n"
                "\tEnter HELP for more information \n"
                "\tEnter <return> for another database access \n"
                "    Your choice? ");
}

TEST_F(TimeSeriesTest, FileStructuresStartFilesAndReportEachOne) {
  write({sounding_at(23062, 1999, 1, 1, 0), sounding_at(94823, 1999, 1, 1, 0),
         sounding_at(23062, 1999, 1, 2, 12), sounding_at(23062, 1999, 1, 3, 0)});
  select({23062, 94823});
  struct Case {
    int16_t structure;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {0, {"1999010100.txt"}},
      {1, {"1999010100.txt"}},
      {3, {"1999010100.txt", "1999010212.txt", "1999010300.txt"}},
      {5, {"1999010100.txt", "1999010100_2.txt", "1999010212.txt", "1999010300.txt"}},
  };
  for (const Case& c : cases) {
    program.out.str("");
    const int32_t result = to_files("1999010100", "1999010323", c.structure);
    EXPECT_EQ(files_written(), c.files) << "structure " << c.structure;
    // The result counts the soundings of the last file.
    EXPECT_EQ(result, c.structure == 0 || c.structure == 1 ? 4 : 1);
  }
  // One file per day: the count of each file before the next is announced.
  const std::string out = archive.dir() + "out/";
  program.out.str("");
  to_files("1999010100", "1999010323", 3);
  const std::string text = program.output();
  EXPECT_NE(text.find(" STATUS:  processing date: 1999010100 station: 23062\r STATUS:  Writing "
                      "output file: " +
                      out + "1999010100.txt        \n"),
            std::string::npos);
  EXPECT_NE(text.find(" STATUS:  number of soundings written: 2                \n\n"),
            std::string::npos);
  EXPECT_NE(
      text.find(" STATUS:  number of soundings written: 1                    \n\nnsound = 1\n"),
      std::string::npos);
  EXPECT_EQ(soundings_in(read_file(archive.path() / "out" / "1999010100.txt")),
            (Soundings{"1999010100 23062", "1999010100 94823"}));
}

// Lowers the limit of open files while it lives, so that exactly `free` descriptor numbers are
// left unused below it, whatever numbers the process inherited.
class OpenFileLimit {
 public:
  explicit OpenFileLimit(int free) {
    int limit = 0;
    for (int left = free; left > 0; ++limit) {
      if (::fcntl(limit, F_GETFD) == -1) --left;
    }
    EXPECT_EQ(getrlimit(RLIMIT_NOFILE, &saved_), 0);
    rlimit limited = saved_;
    limited.rlim_cur = static_cast<rlim_t>(limit);
    EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &limited), 0);
  }
  ~OpenFileLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }
  OpenFileLimit(const OpenFileLimit&) = delete;
  OpenFileLimit& operator=(const OpenFileLimit&) = delete;

 private:
  rlimit saved_{};
};

TEST_F(TimeSeriesTest, FilesBeyondTheOpenFileLimitAreReadThroughOneSharedStream) {
  std::vector<pack::PackSounding> soundings;
  const std::vector<int32_t> wbans = {23062, 24011, 94823};
  for (int32_t wban : wbans) {
    soundings.push_back(sounding_at(wban, 1998, 6, 1, 0));
    soundings.push_back(sounding_at(wban, 1998, 6, 1, 12));
  }
  write(soundings);
  select(wbans);
  const Soundings all = {"1998060100 23062", "1998060100 24011", "1998060100 94823",
                         "1998060112 23062", "1998060112 24011", "1998060112 94823"};
  // A first run without a limit: a sanitizer build checks each object's type at its first
  // virtual call with a pipe, which the limited run below would not have descriptors for.
  EXPECT_EQ(to_screen("1998060100", "1998060123"), 6);
  program.out.str("");
  {
    // One descriptor free: the first file opens, the other two are deferred.
    const OpenFileLimit limit(1);
    EXPECT_EQ(to_screen("1998060100", "1998060123"), 6);
  }
  EXPECT_EQ(soundings_in(program.output()), all);
  EXPECT_EQ(program.errors(), "");
}

TEST_F(TimeSeriesTest, OutputFilesBeyondTheOpenFileLimitStartTheirWriterThread) {
  // More than 1 MiB of text, so that a helper thread writes the first buffer while the year's
  // files are open: they leave descriptors for the output file and for what starting the thread
  // may take (a sanitizer build checks the thread's type with a pipe).
  std::vector<pack::PackSounding> soundings;
  const std::vector<int32_t> wbans = {23062, 24011, 94823};
  for (int32_t wban : wbans) {
    for (int day = 1; day <= 30; ++day) {
      for (const int hour : {0, 6, 12, 18}) {
        pack::PackSounding sounding = sounding_at(wban, 1998, 6, day, hour);
        for (int i = 6; i < 120; ++i) {
          pack::PackLevel level = sounding.levels[5];
          level.pressure = 3000 - 20 * i;
          sounding.levels.push_back(level);
        }
        soundings.push_back(sounding);
      }
    }
  }
  write(soundings);
  select(wbans);
  EXPECT_EQ(to_files("1998060100", "1998063023", 0), 360);  // without a limit first, as above
  {
    // Three descriptors free: all held in reserve while the year's files are opened, so that
    // every file is read through the shared stream. (With one held, a sanitizer build stopped
    // at the first call of the output's reporter with "invalid vptr".)
    const OpenFileLimit limit(3);
    EXPECT_EQ(to_files("1998060100", "1998063023", 0), 360);
  }
  const std::string text = read_file(archive.path() / "out" / "1998060100.txt");
  EXPECT_GT(text.size(), 1u << 20);
  EXPECT_EQ(soundings_in(text).size(), 360u);
  EXPECT_EQ(program.errors(), "");
}

TEST_F(TimeSeriesTest, ASoundingOutsideItsStationsRowsKeepsItsOwnStation) {
  // PIT's only row ends in 1998; its 1999 sounding follows DEN's at the same hour and must not
  // take DEN's row, but PIT's own last selected row.
  ctx.catalogue.entries[1].period_end = 19981231;
  write({sounding_at(23062, 1999, 1, 1, 0), sounding_at(94823, 1999, 1, 1, 0),
         sounding_at(94823, 1999, 1, 1, 12)});
  select({23062, 94823}, 19980101, 19991231);
  EXPECT_EQ(to_screen("1999010100", "1999010123"), 3);
  EXPECT_EQ(soundings_in(program.output()),
            (Soundings{"1999010100 23062", "1999010100 94823", "1999010112 94823"}));
}

TEST_F(TimeSeriesTest, DamagedFilesNeverCrashAndDamagedRecordsAreReported) {
  write({sounding_at(23062, 1997, 2, 1, 0), sounding_at(23062, 1997, 2, 1, 12)});
  select({23062});
  const auto file = archive.path() / "TEFA1997" / "23062_97.BUF";
  const std::string whole = read_file(file);
  // Cut the file at many lengths: the directory, the first record, the second record.
  for (size_t length = 0; length < whole.size(); length += 7) {
    archive.write("TEFA1997/23062_97.BUF", whole.substr(0, length));
    program.out.str("");
    program.err.str("");
    program.set_replies("\n");
    const int32_t result = to_screen("1997020100", "1997020123");
    EXPECT_LE(result, 2);
    EXPECT_LE(soundings_in(program.output()).size(), 2u);
  }
  // A record cut inside its levels is reported with the file and the date.
  archive.write("TEFA1997/23062_97.BUF", whole.substr(0, whole.size() - 10));
  program.out.str("");
  program.err.str("");
  EXPECT_EQ(to_screen("1997020100", "1997020123"), 2);
  EXPECT_EQ(program.errors(),
            " WARNING:  damaged sounding record skipped: " + file.string() + " 1997020112\n");
}

}  // namespace
}  // namespace wxfetch
