// The sample archive that the build writes: every file's directory leads to records of the
// right date, records lie back to back and fill the file, and the program finds the years and
// opens every station's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "database/codec.h"
#include "database/year_files.h"
#include "dialogue/archive_years.h"
#include "dialogue/program.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

const std::filesystem::path ARCHIVE = WXFETCH_SAMPLE_ARCHIVE;

// WBAN numbers of the sample stations (900000 + WMO for the international sites).
const int32_t SAMPLE_STATIONS[] = {23062, 94823, 23230, 94980, 24011, 92803, 903808, 994610};
const int SAMPLE_YEARS[] = {1998, 1999};

std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
  const std::string text = testing::read_file(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

bool leap(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}
int days_in_month(int year, int month) {
  static const int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : DAYS[month - 1];
}

// What one walk over a station-year file found.
struct FileSummary {
  int soundings = 0;
  std::set<int> hours;
  int fewest_levels = 1 << 30;
  int most_levels = 0;
  int with_optional_block = 0;
  int missed_main_hours = 0;    // 00 or 12 UTC soundings missing on days of the year
  int below_ground_levels = 0;  // standard levels below the surface, height only
};

// Walks the directory of a station-year file and checks every record it points at; reads only
// bytes inside the file.
FileSummary check_station_year_file(const std::vector<uint8_t>& file, int year) {
  BitFieldCodec codec;
  codec_init(codec);
  FileSummary summary;
  size_t directory = 34;
  size_t expected_next = 0;  // where the next record must start (0 until the first)
  size_t first_record = 0;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      SCOPED_TRACE(::testing::Message() << year << "-" << month << "-" << day);
      codec.place(file.data() + directory, file.size() - directory);
      if (!codec.has_bytes(5)) {
        ADD_FAILURE() << "directory runs past the end of the file";
        return summary;
      }
      int offset = 7;
      const int count = static_cast<int>(codec.read_bits(8, offset));
      codec.skip(4);
      if (!codec.has_bytes(5 * static_cast<size_t>(count))) {
        ADD_FAILURE() << "day entry runs past the end of the file";
        return summary;
      }
      directory += 5 + 5 * static_cast<size_t>(count);
      if (day > days_in_month(year, month)) {
        EXPECT_EQ(count, 0);
        continue;
      }
      int previous_hour = -1;
      int main_hours = 0;
      for (int i = 0; i < count; ++i) {
        const int hour = static_cast<int>(codec.read_bits(8, offset));
        const uint32_t record_offset = codec.read_bits(32, offset);
        EXPECT_GT(hour, previous_hour);
        previous_hour = hour;
        if (expected_next != 0) {
          EXPECT_EQ(record_offset, expected_next);
        }

        BitFieldCodec record_codec;
        codec_init(record_codec);
        if (record_offset >= file.size()) {
          ADD_FAILURE() << "record offset " << record_offset << " beyond the file";
          return summary;
        }
        record_codec.place(file.data() + record_offset, file.size() - record_offset);
        int bit = 7;
        record_codec.skip(4);
        const uint32_t length = record_codec.has_bytes(3) ? record_codec.read_bits(24, bit) : 0;
        if (length < 52 || !record_codec.has_bytes(length - 7)) {
          ADD_FAILURE() << "record at " << record_offset << " of length " << length
                        << " does not fit in the file";
          return summary;
        }
        record_codec.skip(8);
        const uint32_t flag = record_codec.read_bits(8, bit);
        record_codec.skip(4);
        EXPECT_EQ(record_codec.read_bits(8, bit), static_cast<uint32_t>(year - 1900));
        EXPECT_EQ(record_codec.read_bits(8, bit), static_cast<uint32_t>(month));
        EXPECT_EQ(record_codec.read_bits(8, bit), static_cast<uint32_t>(day));
        EXPECT_EQ(record_codec.read_bits(8, bit), static_cast<uint32_t>(hour));
        size_t header_end = 24;
        if (flag == 1) {
          ++summary.with_optional_block;
          record_codec.skip(6);
          const uint32_t entries = record_codec.read_bits(16, bit);
          record_codec.skip(5 * entries + entries % 2);
          header_end = 32 + 5 * entries + entries % 2;
        }
        record_codec.skip(11);
        const int levels = static_cast<int16_t>(record_codec.read_bits(16, bit));
        header_end += 11 + 2 + 7 + 8;
        // The levels fit inside the record's own length.
        EXPECT_LE(header_end + (83 * static_cast<size_t>(levels) + 7) / 8, length);
        record_codec.skip(7);
        record_codec.skip(8);  // data header
        uint32_t surface_pressure = 0;
        for (int level = 0; level < levels; ++level) {
          const uint32_t pressure = record_codec.read_bits(14, bit);
          const uint32_t kind = record_codec.read_bits(7, bit);
          record_codec.read_bits(17, bit);
          const uint32_t temperature = record_codec.read_bits(12, bit);
          const uint32_t dew_point = record_codec.read_bits(12, bit);
          record_codec.read_bits(21, bit);
          if (level == 0) {
            EXPECT_EQ(kind, 1u) << "the surface comes first";
            surface_pressure = pressure;
          } else if (kind == 2 && pressure > surface_pressure) {
            EXPECT_EQ(temperature, 4095u) << "a level below the ground has a height only";
            ++summary.below_ground_levels;
          }
          if (temperature != 4095 && dew_point != 4095) {
            EXPECT_LE(dew_point, temperature);
          }
          if (kind == 32) {
            EXPECT_EQ(pressure, 16383u) << "wind levels have no pressure";
          }
        }
        summary.fewest_levels = std::min(summary.fewest_levels, levels);
        summary.most_levels = std::max(summary.most_levels, levels);
        summary.hours.insert(hour);
        if (hour == 0 || hour == 12) ++main_hours;
        ++summary.soundings;
        if (summary.soundings == 1) first_record = record_offset;
        expected_next = record_offset + length;
      }
      summary.missed_main_hours += 2 - main_hours;
    }
  }
  EXPECT_EQ(first_record, directory);
  // The directory ends where the first record starts, and the last record ends the file.
  EXPECT_EQ(expected_next, file.size());
  return summary;
}

TEST(SampleArchive, EveryStationYearFileLeadsToRecordsOfItsDates) {
  for (int year : SAMPLE_YEARS) {
    for (int32_t wban : SAMPLE_STATIONS) {
      const std::string name = database_file_name(ARCHIVE.string() + "/", year, wban);
      SCOPED_TRACE(name);
      ASSERT_TRUE(std::filesystem::exists(name)) << "the build writes the sample archive";
      const FileSummary summary = check_station_year_file(read_bytes(name), year);
      // 00 and 12 UTC on most days, a few of them missed, a few extra hours.
      EXPECT_GT(summary.soundings, 2 * 365 * 9 / 10);
      EXPECT_LT(summary.soundings, 2 * 365 * 11 / 10);
      EXPECT_GT(summary.missed_main_hours, 0);
      EXPECT_TRUE(summary.hours.count(0) && summary.hours.count(12));
      EXPECT_TRUE(summary.hours.count(6) || summary.hours.count(18));
      EXPECT_GE(summary.fewest_levels, 40);
      EXPECT_LE(summary.most_levels, 120);
      EXPECT_GT(summary.with_optional_block, 0);
      // Stations above the 1000-mb surface report the standard levels below the ground in one
      // of the two years, as TTAA messages do, so both kinds of archive are in the sample.
      const bool reports_below_ground =
          (wban == 23062 && year == 1999) || (wban == 94823 && year == 1998) ||
          (wban == 94980 && year == 1999) || (wban == 24011 && year == 1998);
      EXPECT_EQ(summary.below_ground_levels > 0, reports_below_ground);
    }
  }
}

TEST(SampleArchive, HoldsOnlyTheSampleFiles) {
  std::set<std::string> expected;
  for (int year : SAMPLE_YEARS) {
    for (int32_t wban : SAMPLE_STATIONS) {
      expected.insert(database_file_name(ARCHIVE.string() + "/", year, wban));
    }
  }
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(ARCHIVE)) {
    if (entry.is_regular_file()) found.insert(entry.path().string());
  }
  EXPECT_EQ(found, expected);
}

TEST(SampleArchive, StationsAreInTheShippedStationTables) {
  const std::string national =
      testing::read_file(testing::source_dir() / "data/sample/support/stat2000.txt");
  const std::string international =
      testing::read_file(testing::source_dir() / "data/sample/support/international_sites.txt");
  for (int32_t wban : SAMPLE_STATIONS) {
    if (wban > 900000) {
      const std::string wmo = std::to_string(wban).substr(1);
      EXPECT_NE(international.find(" " + wmo + " "), std::string::npos) << wban;
    } else {
      EXPECT_NE(national.find(" " + std::to_string(wban) + " "), std::string::npos) << wban;
    }
  }
}

TEST(SampleArchive, TheProgramFindsItsYearsAndOpensEveryFile) {
  testing::TestProgram program;
  ProgramContext& ctx = *program.ctx;
  ctx.database_directory = ARCHIVE.string() + "/";
  discover_years(ctx);
  EXPECT_EQ(ctx.first_year, 1998);
  EXPECT_EQ(ctx.last_year, 1999);
  std::vector<YearFile> files;
  for (int year : SAMPLE_YEARS) {
    for (int32_t wban : SAMPLE_STATIONS) {
      files.emplace_back();
      const OpenStatus status =
          open_year_file(ctx.database_directory, ctx.years, year, wban, files.back());
      EXPECT_EQ(status, OpenStatus::OPENED) << wban << " " << year;
    }
  }
}

}  // namespace
}  // namespace wxfetch
