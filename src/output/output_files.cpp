#include "output/output_files.h"

#include <cstring>
#include <ostream>

#include "base/program_exit.h"
#include "base/text.h"
#include "output/output_stream.h"
#include "records/station_entry.h"

namespace wxfetch {

bool OutputFiles::stream_error() const {
  return stream_.error();
}

void OutputFiles::write_failed() {
  const int error_number = stream_.error_number();
  stream_.close_quietly();
  reporter_.write_failed(error_number);
  throw ProgramExit{0};  // a reporter that returned
}

void OutputFiles::close_file() {
  if (!stream_.is_file()) return;
  if (!stream_.close()) write_failed();
}

std::string OutputFiles::unused_path(const std::string& name) {
  std::string path = directory_ + name;
  if (written_names_.count(path) != 0) {
    const size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (int copy = 2;; ++copy) {
      path = directory_ + stem + "_" + std::to_string(copy) + extension;
      if (written_names_.count(path) == 0) break;
    }
  }
  written_names_.insert(path);
  return path;
}

std::string OutputFiles::claim_path(const std::string& name) {
  close_file();
  const std::string path = unused_path(name);
  reporter_.file_opened(path);
  return path;
}

void OutputFiles::own_file_failed(int error_number) {
  reporter_.write_failed(error_number);
  throw ProgramExit{0};  // a reporter that returned
}

void OutputFiles::open_file(const std::string& name) {
  for (;;) {
    close_file();
    if (stream_.is_console()) return;
    const std::string path = unused_path(name);
    if (stream_.open_file(path)) {
      reporter_.file_opened(path);
      return;
    }
    written_names_.erase(path);
    directory_ = reporter_.directory_after_failure(path);
  }
}

std::string output_file_name(OutputFormat format, SortOrder sort, bool one_file, int32_t date_hour,
                             int32_t begin_date, const StationEntry& station) {
  if (format == OutputFormat::FAA604) {
    const int month = date_hour / 10000 % 100;
    const char* code = month >= 1 && month <= 12 ? MONTH_CODES[month] : "XX";
    return cformat("%s%02d%02d%02d.skt", code, date_hour / 100 % 100, date_hour / 1000000 % 100,
                   date_hour % 100);
  }
  if (one_file) return cformat("%d.txt", begin_date);
  if (sort == SortOrder::CLIMATOLOGICAL) {
    return cformat("%d_%s_%d.txt", station.wmo, station.initials, date_hour);
  }
  return cformat("%d.txt", date_hour);
}

}  // namespace wxfetch
