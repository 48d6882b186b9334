#include <array>
#include <string>

#include "database/archive_names.h"
#include "database/record_reader.h"
#include "database/year_files.h"
#include "extraction/delivery.h"
#include "extraction/extraction.h"
#include "extraction/period.h"
#include "stations/selection.h"

namespace wxfetch {

namespace {

// One file at a time: a large window reads most station-year files whole at once.
constexpr size_t STATION_WINDOW = 1 << 20;

// One climatological run: walks the period once per selected station.
class StationSeriesRun {
 public:
  StationSeriesRun(const ExtractionSource& source, const AccessRequest& request,
                   const SelectedStations& stations, SoundingWriter& writer,
                   ExtractionReporter& reporter)
      : source_(source),
        request_(request),
        begin_(parse_date_hour(request.begin_date)),
        end_(parse_date_hour(request.end_date)),
        reporter_(reporter),
        delivery_(source, stations, writer, reporter, 20) {}

  void walk_station(const StationNumbers& station) {
    station_ = station;
    walk_period(begin_, end_, *this);
  }

  // The period walk's steps: a year opens the station's file of the year and reads its whole
  // directory (month m into months_[m - 1]); a day reads its records.
  bool enter_year(int year);
  void enter_month(int, int) {}
  void visit_day(const PeriodDay& day);
  void leave_year(int) { file_.close(); }

  Delivery& delivery() { return delivery_; }
  bool any_file_opened() const { return any_file_opened_; }

 private:
  void deliver(int32_t date);

  const ExtractionSource& source_;
  const AccessRequest& request_;
  const DateHour begin_;
  const DateHour end_;
  ExtractionReporter& reporter_;
  Delivery delivery_;
  RecordReader reader_{STATION_WINDOW};
  YearFile file_;
  std::array<DayDirectory, 12> months_;
  StationNumbers station_;
  bool any_file_opened_ = false;
  int32_t last_file_station_ = 0;  // the station whose soundings the open file holds
};

bool StationSeriesRun::enter_year(int year) {
  if (open_year_file(source_.database_directory, source_.years, year, station_.wban, file_) !=
      OpenStatus::OPENED) {
    return false;
  }
  any_file_opened_ = true;
  reader_.forget();
  if (reader_.load(file_.stream(), 0)) {
    read_directory(delivery_.codec(), reader_, 1, 12, months_.data());
  } else {
    reporter_.failure(" Fseek failed! \n");
    for (DayDirectory& month : months_) month.day_count.fill(0);
  }
  return true;
}

// The records of the day follow each other from the day's first offset; each wanted one is
// delivered. A record whose hour cannot be read (the file ends in its first bytes) is a damaged
// record, delivered at the hour of the record before it (the directory's hour for the day's
// first); the day ends there. (Runs once per stored sounding: kept in one piece.)
void StationSeriesRun::visit_day(const PeriodDay& day) {
  DayDirectory& days = months_[static_cast<size_t>(day.month - 1)];
  const auto wanted = [&](int hour) {
    return hour_wanted(request_.hours, hour) && !(day.first && hour < begin_.hour) &&
           !(day.last && hour > end_.hour);
  };
  int hour = days.day_hour[day.day];
  for (int j = 0; j < days.day_count[day.day]; ++j) {
    if (!reader_.load_record(file_.stream(), days.day_offset[day.day])) {
      reporter_.failure(" Fseek failed! \n");
      break;  // the day's later records cannot be found without this one
    }
    if (reader_.size() < 24) {
      if (j > 0 || wanted(hour)) deliver(day.date_at(hour));
      break;
    }
    const uint8_t* record = reader_.data();
    hour = record[23];
    if (wanted(hour)) deliver(day.date_at(hour));
    days.day_offset[day.day] += static_cast<int64_t>(record_length(record));
  }
}

// Hands one wanted sounding to the delivery, starting a new output file first when the file
// structure calls for one.
void StationSeriesRun::deliver(int32_t date) {
  const StationRow row = delivery_.row_for(station_.wban, date / 100);
  if (row.entry == nullptr) return;  // a station without any catalogue row has nothing to print
  const StationFileStructure structure = request_.station_file_structure;
  const bool new_file =
      last_file_station_ == 0 || structure == StationFileStructure::PER_SOUNDING ||
      (structure == StationFileStructure::PER_STATION && station_.wban != last_file_station_);
  if (request_.to_files() && new_file) {
    delivery_.start_file(date, row);
    last_file_station_ = station_.wban;
  }
  delivery_.deliver(reader_, file_.path(), date, row);
  if (request_.to_files()) {
    reporter_.progress(
        " STATUS:  processing station: ",
        request_.station_id_type == StationIdType::WMO ? station_.wmo : station_.wban,
        " date: ", date);
  }
}

}  // namespace

int32_t extract_station_series(const ExtractionSource& source, const AccessRequest& request,
                               const SelectedStations& stations, SoundingWriter& writer,
                               ExtractionReporter& reporter) {
  reporter.status("\n");
  writer.begin(request);
  StationSeriesRun run(source, request, stations, writer, reporter);
  walk_within_memory(writer, reporter, [&] {
    for (int s = 0; s < stations.station_count; ++s) run.walk_station(stations.stations[s]);
  });

  const int32_t written = run.delivery().written();
  if (written == 0) {
    writer.end();
    if (run.any_file_opened()) {
      reporter.status(" STATUS:  No data was available to meet your request.\n\n");
      return 0;
    }
    reporter.no_files_open(source.database_directory);
    return -1;
  }
  writer.end();
  if (request.to_files()) run.delivery().report_written(20);
  return written;
}

}  // namespace wxfetch
