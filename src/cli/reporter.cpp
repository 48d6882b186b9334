#include "cli/reporter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "base/text.h"

namespace wxfetch {

namespace {

using Clock = std::chrono::steady_clock;

// The progress line is redrawn at most this often.
constexpr auto REDRAW = std::chrono::milliseconds(200);

std::string minutes_text(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  return cformat("%ld:%02ld", whole / 60, whole % 60);
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The driver's message without its leading blanks, its "WARNING:" and its line end.
std::string_view message_text(std::string_view line) {
  const auto trim = [&line] {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
      line.remove_suffix(1);
    }
  };
  trim();
  if (line.substr(0, 8) == "WARNING:") line.remove_prefix(8);
  trim();
  return line;
}

}  // namespace

GetReporter::GetReporter(std::ostream& err, std::string program, bool show_progress,
                         const FilePlan& plan, const SelectedStations& stations, SortOrder sort)
    : err_(err),
      program_(std::move(program)),
      show_progress_(show_progress),
      plan_(plan),
      sort_(sort) {
  for (int s = stations.station_count - 1; s >= 0; --s)
    station_index_[stations.stations[s].wban] = s;
}

void GetReporter::warning(std::string_view line) {
  if (++warnings_ > MAX_WARNINGS) return;
  err_ << (line_shown_ ? "\n" : "") << program_ << ": warning: " << message_text(line) << "\n";
  line_shown_ = false;
}

void GetReporter::failure(const char* text) {
  const int error = errno;
  err_ << (line_shown_ ? "\n" : "") << program_ << ": " << message_text(text) << ": "
       << std::strerror(error) << "\n";
  line_shown_ = false;
  failed_ = true;
}

void GetReporter::file_opened(const std::string& path) {
  ++files_;
  path_ = path;
}

std::string GetReporter::directory_after_failure(const std::string& path) {
  throw RunFailure{file_error(path, errno)};
}

void GetReporter::write_failed(int error_number) {
  throw RunFailure{file_error(path_, error_number)};
}

void GetReporter::sounding(int32_t date_hour, int32_t wban) {
  ++soundings_;
  if (show_progress_ && (soundings_ & 63) == 1 && Clock::now() - shown_ >= REDRAW) {
    show_progress(date_hour, wban);
  }
}

double GetReporter::files_done(int32_t date_hour, int32_t wban) const {
  const int y = std::clamp(date_hour / 1000000 - plan_.first_year, 0, plan_.year_count - 1);
  // How far the sounding lies into its year.
  const double into_year = ((date_hour / 10000 % 100 - 1) * 31 + date_hour / 100 % 100) / 372.0;
  if (sort_ == SortOrder::SYNOPTIC) {
    return plan_.before_year[y] + (plan_.before_year[y + 1] - plan_.before_year[y]) * into_year;
  }
  const auto found = station_index_.find(wban);
  if (found == station_index_.end()) return 0;
  const int s = found->second;
  int done = plan_.before_station[s];
  for (int earlier = 0; earlier < y; ++earlier) {
    done += plan_.present[static_cast<size_t>(s * plan_.year_count + earlier)];
  }
  return done + into_year;
}

void GetReporter::show_progress(int32_t date_hour, int32_t wban) {
  shown_ = Clock::now();
  const double done = files_done(date_hour, wban);
  const double elapsed = seconds_since(start_);
  const std::string left =
      done > 0 && plan_.total > 0
          ? ", about " + minutes_text(elapsed * (plan_.total - done) / done) + " left"
          : "";
  err_ << "\r" << program_ << ": "
       << cformat("%d of %d files, %ld soundings, %s elapsed", static_cast<int>(done), plan_.total,
                  soundings_, minutes_text(elapsed).c_str())
       << left << "   " << std::flush;
  line_shown_ = true;
}

std::string GetReporter::finish(bool to_files) {
  if (line_shown_) err_ << "\r\x1b[K" << std::flush;
  line_shown_ = false;
  if (warnings_ > MAX_WARNINGS) {
    err_ << program_ << ": warning: " << warnings_ - MAX_WARNINGS << " more warnings not shown\n";
  }
  const auto count = [](long n, const char* noun) {
    return cformat("%ld %s%s", n, noun, n == 1 ? "" : "s");
  };
  return count(soundings_, "sounding") +
         (to_files ? " in " + count(files_, "file") : std::string(" on standard output")) +
         cformat(", %.2f s", seconds_since(start_));
}

void CountingWriter::write(const Sounding& sounding, const StationRow& station) {
  reporter_.sounding(
      sounding.year * 1000000 + sounding.month * 10000 + sounding.day * 100 + sounding.hour,
      station.entry->wban);
  writer_.write(sounding, station);
}

}  // namespace wxfetch
