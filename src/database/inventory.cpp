#include "database/inventory.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

#include "base/text.h"
#include "database/record_reader.h"
#include "database/year_files.h"
#include "records/station_entry.h"

namespace wxfetch {

namespace {

// The bytes read at first: the header and a directory of up to about 800 soundings.
constexpr size_t FIRST_READ = 8192;

// A station-year file read from its start as far as its directory needs.
class FileStart {
 public:
  explicit FileStart(const std::string& path)
      : file_(open_regular_file(path), &std::fclose), reader_(FIRST_READ) {
    if (!file_) return;
    if (std::fseek(file_.get(), 0, SEEK_END) == 0) size_ = std::ftell(file_.get());
    reader_.load(file_.get(), 0);
  }
  bool is_open() const { return file_ != nullptr; }
  long size() const { return size_; }
  // True when the first `count` bytes are read (reading more when needed).
  bool ensure(size_t count) { return file_ != nullptr && reader_.ensure(count); }
  const uint8_t* data() const { return reader_.data(); }
  // True when the record at `offset` gives `date_hour` (YYYYMMDDHH) as its own date and hour
  // (bytes 20 to 23: the year since 1900, month, day and hour).
  bool record_gives(int64_t offset, int32_t date_hour) {
    uint8_t date[4];
    if (::pread(::fileno(file_.get()), date, sizeof date, offset + 20) != sizeof date) return false;
    return (date[0] + 1900) * 1000000 + date[1] * 10000 + date[2] * 100 + date[3] == date_hour;
  }

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
  RecordReader reader_;
  long size_ = -1;
};

uint32_t big_endian_32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Reads one day's entry at `at`; counts its soundings into `month`. Returns the entry's length,
// or 0 (with `problem` set) when the entry leaves the file.
size_t read_day(FileStart& file, size_t at, int32_t date, bool day_exists, StationYear& counts) {
  if (!file.ensure(at + DAY_ENTRY_BYTES)) {
    counts.problem = "the directory ends past the end of the file";
    return 0;
  }
  const int count = file.data()[at];
  const size_t length = DAY_ENTRY_BYTES + SOUNDING_ENTRY_BYTES * static_cast<size_t>(count);
  if (!file.ensure(at + length)) {
    counts.problem = "the directory ends past the end of the file";
    return 0;
  }
  SoundingCounts& month = counts.months[static_cast<size_t>(date / 10000 % 100 - 1)];
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = file.data() + at + DAY_ENTRY_BYTES + SOUNDING_ENTRY_BYTES * i;
    const int hour = entry[0];
    const uint32_t offset = big_endian_32(entry + 1);
    std::string problem;
    if (!day_exists) {
      problem = cformat("a sounding filed under the day %d", date / 100);
    } else if (hour > 23) {
      problem = cformat("the hour %d on %d", hour, date / 100);
    } else if (offset + 24L > file.size()) {
      problem = cformat("the sounding of %d lies outside the file", date + hour);
    } else if (!file.record_gives(offset, date + hour)) {
      problem = cformat("the record filed under %d gives another date", date + hour);
    }
    if (!problem.empty()) {
      if (counts.problem.empty()) counts.problem = problem;
      continue;
    }
    month.add(date + hour);
  }
  return length;
}

}  // namespace

void SoundingCounts::add(int32_t date_hour) {
  ++soundings;
  const int hour = date_hour % 100;
  ++hours[hour % 6 == 0 && hour <= 18 ? hour / 6 : 4];
  if (first == 0) first = date_hour;
  last = date_hour;
}

void SoundingCounts::add(const SoundingCounts& other) {
  if (other.soundings == 0) return;
  soundings += other.soundings;
  for (size_t i = 0; i < hours.size(); ++i) hours[i] += other.hours[i];
  if (first == 0 || other.first < first) first = other.first;
  last = std::max(last, other.last);
}

SoundingCounts StationYear::year() const {
  SoundingCounts total;
  for (const SoundingCounts& month : months) total.add(month);
  return total;
}

StationYear scan_station_year(const std::string& path, int year) {
  StationYear counts;
  FileStart file(path);
  if (!file.is_open()) {
    counts.problem = "cannot be read";
    return counts;
  }
  size_t at = FILE_HEADER_BYTES;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      const int32_t date = year * 1000000 + month * 10000 + day * 100;
      const size_t length = read_day(file, at, date, day <= days_in_month(year, month), counts);
      if (length == 0) return counts;
      at += length;
    }
  }
  return counts;
}

int32_t station_of_file_name(const std::string& name, int year) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string tail = "_" + two_digit_year(year) + ".BUF";
  if (upper.size() <= tail.size() || upper.compare(upper.size() - tail.size(), tail.size(), tail)) {
    return 0;
  }
  const std::string number = upper.substr(0, upper.size() - tail.size());
  const bool international = number[0] == 'I';
  const std::string digits = international ? number.substr(1) : number;
  if (digits.empty() || digits.size() > 6 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  const int32_t value = std::stoi(digits);
  return international ? INTERNATIONAL_WBAN_OFFSET + value % 100000 : value;
}

namespace {

// Calls `visit(wban, year, path)` for each station-year file of the archive.
template <typename Visit>
void each_station_file(const std::string& database_directory, const YearsPresent& years,
                       Visit visit) {
  for (int year = years.first; years.last >= 0 && year <= years.last; ++year) {
    const uint8_t spelling = years.spelling[year - FIRST_ARCHIVE_YEAR];
    if (spelling == 0) continue;
    const std::string folder =
        database_directory + YEAR_FOLDER_SPELLINGS[spelling] + year_text(year);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const int32_t wban = station_of_file_name(entry.path().filename().string(), year);
      if (wban != 0) visit(wban, year, entry.path().string());
    }
  }
}

}  // namespace

Inventory scan_archive(const std::string& database_directory, const YearsPresent& years) {
  Inventory inventory;
  each_station_file(database_directory, years,
                    [&](int32_t wban, int year, const std::string& path) {
                      inventory[wban][year] = scan_station_year(path, year);
                    });
  return inventory;
}

std::vector<int32_t> stations_in_archive(const std::string& database_directory,
                                         const YearsPresent& years) {
  std::set<int32_t> stations;
  each_station_file(database_directory, years,
                    [&](int32_t wban, int, const std::string&) { stations.insert(wban); });
  return {stations.begin(), stations.end()};
}

}  // namespace wxfetch
