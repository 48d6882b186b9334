#include "support/driver_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "base/text.h"
#include "dialogue/console_reporters.h"
#include "output/kvt_writer.h"
#include "output/output_stream.h"
#include "stations/selection.h"

namespace wxfetch::testing {

pack::PackSounding sounding_at(int32_t wban, int year, int month, int day, int hour) {
  pack::PackSounding sounding;
  sounding.wban = wban;
  sounding.year = year;
  sounding.month = month;
  sounding.day = day;
  sounding.hour = hour;
  sounding.release_time = hour * 100;
  sounding.sonde_type = 51;
  const int32_t pressures[] = {10130, 10000, 8500, 7000, 5000, 3000};
  for (int i = 0; i < 6; ++i) {
    pack::PackLevel level;
    level.kind = i == 0 ? SURFACE : MANDATORY;
    level.pressure = pressures[i];
    level.height = 100 + 1500 * i;
    level.temperature = 150 - 100 * i;
    level.dew_point = 100 - 100 * i;
    level.wind_direction = 200 + 10 * i;
    level.wind_speed = 50 + 20 * i;
    sounding.levels.push_back(level);
  }
  return sounding;
}

std::vector<std::string> soundings_in(const std::string& kvt_text) {
  static const char* const MONTHS[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  std::vector<std::string> found;
  // Status lines end in "\r" and share a line with what follows: split there too.
  std::string text = kvt_text;
  std::replace(text.begin(), text.end(), '\r', '\n');
  std::istringstream lines(text);
  std::string line;
  std::string date;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int type = 0;
    if (!(fields >> type)) continue;
    if (type == 254) {
      int hour = 0, day = 0, year = 0;
      std::string month;
      fields >> hour >> day >> month >> year;
      int m = 0;
      while (m < 12 && month != MONTHS[m]) ++m;
      date = cformat("%04d%02d%02d%02d", year, m + 1, day, hour);
    } else if (type == 1 && !date.empty()) {
      long wban = 0;
      fields >> wban;
      found.push_back(date + " " + std::to_string(wban));
      date.clear();
    }
  }
  return found;
}

DriverTest::DriverTest(Driver driver, SortOrder sort_order) : ctx(*program.ctx), driver_(driver) {
  ctx.request.sort_order = sort_order;  // file names follow the request's sort order
  struct Row {
    const char* initials;
    int32_t wban;
    int32_t wmo;
  };
  const Row rows[] = {{"DEN", 23062, 72469}, {"PIT", 94823, 72520}, {"BIS", 24011, 72764}};
  for (int i = 0; i < 3; ++i) {
    StationEntry& entry = ctx.catalogue.entries[i];
    std::strcpy(entry.initials, rows[i].initials);
    entry.wban = rows[i].wban;
    entry.wmo = rows[i].wmo;
    entry.latitude = 40.0f + i;
    entry.longitude = -100.0f - i;
    entry.lat_hemisphere = 'N';
    entry.lon_hemisphere = 'W';
    entry.elevation = static_cast<int16_t>(1000 + i);
    entry.period_begin = 19900101;
    entry.period_end = 20051231;
  }
  ctx.catalogue.count = 3;
  ctx.database_directory = archive.dir();
  ctx.page_length = 0;  // no pauses on the screen
  ctx.output_stream.use_console();
}

void DriverTest::select(const std::vector<int32_t>& wbans, int32_t begin_day, int32_t end_day) {
  AccessRequest request;
  request.access = StationAccess::BY_NUMBER;
  request.station_id_type = StationIdType::WBAN;
  request.begin_value = begin_day * 100;
  request.end_value = end_day * 100;
  ctx.request.station_id_type = StationIdType::WBAN;
  ctx.selected.station_count = static_cast<int16_t>(wbans.size());
  for (size_t i = 0; i < wbans.size(); ++i) ctx.selected.stations[i].wban = wbans[i];
  select_stations(ctx.catalogue, request, ctx.selected);
}

int32_t DriverTest::run(const std::string& begin, const std::string& end) {
  ctx.request.set_period(begin, end);
  ConsoleFileReporter file_reporter(ctx, ctx.output_stream);
  OutputFiles files(ctx.output_stream, file_reporter, ctx.request.output_directory);
  KvtWriter writer(ctx.pager, files, ctx.request);
  ConsoleReporter reporter(ctx);
  const ExtractionSource source{ctx.database_directory, ctx.years, ctx.catalogue};
  return driver_(source, ctx.request, ctx.selected, writer, reporter);
}

int32_t DriverTest::to_screen(const std::string& begin, const std::string& end,
                              int16_t hour_choice) {
  ctx.output_stream.use_console();
  ctx.request.hours = static_cast<SoundingHours>(hour_choice);
  ctx.request.output_location = OutputLocation::SCREEN;
  ctx.request.output_directory.clear();
  return run(begin, end);
}

int32_t DriverTest::to_files(const std::string& begin, const std::string& end, int16_t structure) {
  ctx.output_stream.use_none();
  const std::string directory = archive.dir() + "out/";
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  ctx.request.hours = SoundingHours::ALL;
  ctx.request.output_location = OutputLocation::FILES;
  ctx.request.output_directory = directory;
  ctx.request.time_file_structure = static_cast<TimeFileStructure>(structure);
  ctx.request.station_file_structure = static_cast<StationFileStructure>(structure);
  return run(begin, end);
}

std::vector<std::string> DriverTest::files_written() const {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(archive.path() / "out")) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace wxfetch::testing
