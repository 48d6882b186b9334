#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "database/record_reader.h"
#include "database/year_files.h"
#include "extraction/delivery.h"
#include "extraction/extraction.h"
#include "extraction/file_slot.h"
#include "extraction/period.h"
#include "stations/selection.h"

namespace wxfetch {

namespace {

// Each slot reads its file through a window of this many bytes: tens of records a read. With
// many stations the windows shrink (to READ_WINDOW at the least) so that together they take no
// more than WINDOW_BUDGET: a year of 2000 stations stays within some 50 MB.
constexpr size_t SLOT_WINDOW = 32768;
constexpr size_t WINDOW_BUDGET = 24 << 20;

// Descriptors held free while a year's files are opened, then given back: one for the output
// file and two for a pipe. (A sanitizer build checks an object's type at its first virtual call,
// the output's reporter or the writer thread's state, and finds out whether memory can be read
// by writing it into a pipe: with no descriptor left it reports an invalid vptr and stops.)
constexpr int RESERVED_DESCRIPTORS = 3;

// The descriptors held free: a temporary file and copies of its descriptor.
class DescriptorReserve {
 public:
  explicit DescriptorReserve(ExtractionReporter& reporter) : file_(std::tmpfile()) {
    if (file_ == nullptr) {
      reporter.failure(" tmpfile failed\n");
      return;
    }
    for (int& fd : copies_) fd = ::dup(::fileno(file_));
  }
  ~DescriptorReserve() {
    for (const int fd : copies_) {
      if (fd >= 0) ::close(fd);
    }
    if (file_ != nullptr) std::fclose(file_);
  }
  DescriptorReserve(const DescriptorReserve&) = delete;
  DescriptorReserve& operator=(const DescriptorReserve&) = delete;

 private:
  std::FILE* file_;
  std::array<int, RESERVED_DESCRIPTORS - 1> copies_{-1, -1};
};

// One synoptic run: the request's choices and the state that lives for the whole call. It is
// the period walk's walker.
class TimeSeriesRun {
 public:
  TimeSeriesRun(const ExtractionSource& source, const AccessRequest& request,
                const SelectedStations& stations, SoundingWriter& writer,
                ExtractionReporter& reporter)
      : source_(source),
        request_(request),
        stations_(stations),
        begin_(parse_date_hour(request.begin_date)),
        end_(parse_date_hour(request.end_date)),
        reporter_(reporter),
        delivery_(source, stations, writer, reporter, 16) {}

  // Opens the files of `year` into the slots; false (with a warning) when no selected station
  // has one.
  bool enter_year(int year);
  // Reads every slot's directory of `month`.
  void enter_month(int year, int month);
  // Visits the day's wanted hours.
  void visit_day(const PeriodDay& day);
  void leave_year(int year);

  Delivery& delivery() { return delivery_; }
  bool any_file_opened() const { return any_file_opened_; }

 private:
  bool open_year(int year);
  // Delivers the soundings of every slot at this date and hour.
  void visit_hour(int32_t date, int day, int hour);
  // Reads the slot's records of the day up to `hour`, delivering those at `hour`.
  void read_slot_hour(int slot, int32_t date, int day, int hour);
  bool ensure_stream(int slot);
  void deliver(int slot, int32_t date);
  void status_line(int32_t date);
  // A new output file starts with the next sounding when the file structure changes at this
  // step.
  void file_step(TimeFileStructure structure) {
    if (request_.to_files() && request_.time_file_structure == structure) new_file_ = true;
  }

  const ExtractionSource& source_;
  const AccessRequest& request_;
  const SelectedStations& stations_;
  const DateHour begin_;
  const DateHour end_;
  ExtractionReporter& reporter_;
  Delivery delivery_;

  // One slot and one reader per station with a file this year: each file's records are read in
  // file order through its own window.
  std::vector<FileSlot> slots_;
  std::vector<RecordReader> readers_;
  int year_ = 0;
  int slots_used_ = 0;    // n: stations with a file this year
  int files_opened_ = 0;  // k: files opened when the year began
  int shared_slot_ = -1;  // the deferred slot holding the shared stream
  bool new_file_ = true;
  bool any_file_opened_ = false;
  int32_t station_number_ = 0;
};

bool TimeSeriesRun::enter_year(int year) {
  file_step(TimeFileStructure::PER_YEAR);
  if (open_year(year)) return true;
  reporter_.status(" WARNING:  Unable to open any database files for " + std::to_string(year) +
                   "\n");
  return false;
}

bool TimeSeriesRun::open_year(int year) {
  year_ = year;
  slots_used_ = 0;
  files_opened_ = 0;
  // One slot per selected station: as many as the selection holds.
  const int station_count =
      std::clamp<int>(stations_.station_count, 0, static_cast<int>(stations_.stations.size()));
  if (slots_.size() < static_cast<size_t>(station_count)) slots_.resize(station_count);
  // The reserve keeps descriptors free for the output while the database files of the year
  // take the rest.
  std::optional<DescriptorReserve> reserve;
  if (request_.to_files()) reserve.emplace(reporter_);
  bool deferring = false;
  for (int s = 0; s < station_count; ++s) {
    const int32_t wban = stations_.stations[s].wban;
    FileSlot& slot = slots_[static_cast<size_t>(slots_used_)];
    const OpenStatus status =
        open_year_file(source_.database_directory, source_.years, year, wban, slot.file);
    if (status == OpenStatus::ABSENT) continue;
    slot.station_number = wban;
    if (status == OpenStatus::OPENED && deferring) {
      // Once one file could not be opened, every later file of the year shares one stream, so
      // that the open slots are always the first ones.
      slot.file.close();
    } else if (status == OpenStatus::OPENED) {
      if (files_opened_ == 0) reporter_.status(" STATUS:  opening database files ...\r");
      ++files_opened_;
    } else {
      deferring = true;
    }
    ++slots_used_;
  }
  reserve.reset();
  const size_t window = std::clamp(WINDOW_BUDGET / static_cast<size_t>(std::max(slots_used_, 1)),
                                   READ_WINDOW, SLOT_WINDOW);
  readers_.assign(static_cast<size_t>(slots_used_), RecordReader(window));
  shared_slot_ = files_opened_ - 1;
  if (files_opened_ > 0) any_file_opened_ = true;
  return slots_used_ > 0;
}

// Slots from files_opened_ - 1 on take turns with one stream: before such a slot is used, the
// file of the slot that holds it is closed and the slot's own file opened.
bool TimeSeriesRun::ensure_stream(int slot) {
  FileSlot& target = slots_[static_cast<size_t>(slot)];
  if (slots_used_ > files_opened_ && slot >= files_opened_ - 1 && slot != shared_slot_) {
    if (shared_slot_ >= 0) slots_[static_cast<size_t>(shared_slot_)].file.close();
    const OpenStatus status = open_year_file(source_.database_directory, source_.years, year_,
                                             target.station_number, target.file);
    shared_slot_ = slot;
    if (status == OpenStatus::OPENED) {
      any_file_opened_ = true;
    } else {
      reporter_.warning(
          " WARNING:  unable to open database file: " +
          database_file_name(source_.database_directory, year_, target.station_number) + "\n");
    }
  }
  return target.file.is_open();
}

void TimeSeriesRun::enter_month(int, int month) {
  file_step(TimeFileStructure::PER_MONTH);
  for (int i = 0; i < slots_used_; ++i) {
    reporter_.progress(" STATUS:  reading database file ", i + 1, " of ", slots_used_);
    FileSlot& slot = slots_[static_cast<size_t>(i)];
    slot.days.day_count.fill(0);
    if (!ensure_stream(i)) continue;
    RecordReader& reader = readers_[static_cast<size_t>(i)];
    if (!reader.load(slot.file.stream(), 0)) {
      reporter_.failure(" Fseek failed! \n");
      continue;
    }
    read_directory(delivery_.codec(), reader, month, month, &slot.days);
  }
}

void TimeSeriesRun::visit_day(const PeriodDay& day) {
  file_step(TimeFileStructure::PER_DAY);
  const int first_hour = day.first ? begin_.hour : 0;
  const int last_hour = day.last ? end_.hour : 23;
  for (int hour = first_hour; hour <= last_hour; ++hour) {
    const int32_t date = day.date_at(hour);
    if (request_.to_files()) reporter_.progress(" STATUS:  processing date: ", date, {}, 0);
    file_step(TimeFileStructure::PER_HOUR);
    if (!hour_wanted(request_.hours, hour)) continue;
    visit_hour(date, day.day, hour);
  }
}

void TimeSeriesRun::visit_hour(int32_t date, int day, int hour) {
  for (int i = 0; i < slots_used_; ++i) {
    file_step(TimeFileStructure::PER_SOUNDING);
    if (i + 1 < slots_used_) {
      // With many stations the next station's window was filled long ago and has left the
      // processor's cache; its record is fetched while this station's sounding is written.
      const DayDirectory& next = slots_[static_cast<size_t>(i) + 1].days;
      if (next.day_count[day] > 0) {
        readers_[static_cast<size_t>(i) + 1].prefetch_record(next.day_offset[day]);
      }
    }
    read_slot_hour(i, date, day, hour);
  }
}

// Moves the day's entry on to the record after the one in `reader`'s view: its offset, and its
// hour (-1 when the file ends before the hour can be read). False when the record in view is
// itself cut or unknown, so that the next one cannot be found.
bool step_to_next_record(DayDirectory& days, int day, const RecordReader& reader) {
  if (days.day_hour[day] < 0 || reader.size() < 7) return false;
  const size_t length = record_length(reader.data());
  if (reader.size() < length) return false;
  days.day_offset[day] += static_cast<int64_t>(length);
  days.day_hour[day] = reader.size() >= length + 24 ? reader.data()[length + 23] : -1;
  return true;
}

// Soundings of the day at earlier hours are read and passed over. A record whose hour cannot be
// read (the file ends in its first bytes) is a damaged record of the hour being walked. (Runs
// once per stored sounding: kept in one piece.)
void TimeSeriesRun::read_slot_hour(int i, int32_t date, int day, int hour) {
  FileSlot& slot = slots_[static_cast<size_t>(i)];
  DayDirectory& days = slot.days;
  RecordReader& reader = readers_[static_cast<size_t>(i)];
  while (days.day_count[day] > 0 && days.day_hour[day] <= hour) {
    // A deferred file is opened again only when its window lacks the record.
    if (!reader.has_record(days.day_offset[day]) && !ensure_stream(i)) {
      days.day_count[day] = 0;
      break;
    }
    if (!reader.load_record(slot.file.is_open() ? slot.file.stream() : nullptr,
                            days.day_offset[day])) {
      reporter_.failure(" Fseek failed! \n");
      days.day_count[day] = 0;  // the day's later records cannot be found without this one
      break;
    }
    if (days.day_hour[day] == hour || days.day_hour[day] < 0) deliver(i, date);
    if (--days.day_count[day] > 0 && !step_to_next_record(days, day, reader)) {
      days.day_count[day] = 0;
      break;
    }
  }
}

void TimeSeriesRun::status_line(int32_t date) {
  if (request_.to_files()) {
    reporter_.progress(" STATUS:  processing date: ", date, " station: ", station_number_);
  }
}

void TimeSeriesRun::deliver(int slot, int32_t date) {
  const FileSlot& file = slots_[static_cast<size_t>(slot)];
  const StationRow row = delivery_.row_for(file.station_number, date / 100);
  if (row.entry == nullptr) return;  // a station without any catalogue row has nothing to print
  station_number_ =
      request_.station_id_type == StationIdType::WMO ? row.entry->wmo : row.entry->wban;
  status_line(date);
  if (request_.to_files() && new_file_) {
    delivery_.start_file(date, row);
    new_file_ = false;
  }
  delivery_.deliver(readers_[static_cast<size_t>(slot)], file.file.path(), date, row);
  status_line(date);
}

void TimeSeriesRun::leave_year(int) {
  for (int i = 0; i < slots_used_; ++i) slots_[static_cast<size_t>(i)].file.close();
}

}  // namespace

int32_t extract_time_series(const ExtractionSource& source, const AccessRequest& request,
                            const SelectedStations& stations, SoundingWriter& writer,
                            ExtractionReporter& reporter) {
  reporter.status("\n\n");
  writer.begin(request);
  TimeSeriesRun run(source, request, stations, writer, reporter);
  walk_within_memory(writer, reporter, [&] {
    walk_period(parse_date_hour(request.begin_date), parse_date_hour(request.end_date), run);
  });

  // The output is closed before the totals: when its text could not be written, the program
  // ends there and no count is claimed.
  writer.end();
  const int32_t written = run.delivery().written();
  if (request.to_files() && written > 0) run.delivery().report_written(20);
  reporter.status("nsound = " + std::to_string(written) + "\n");
  if (written == 0) reporter.status(" STATUS:  No data was available to meet your request.\n\n");
  if (!run.any_file_opened()) reporter.no_files_open(source.database_directory);
  return written;
}

int32_t run_extraction(const ExtractionSource& source, const AccessRequest& request,
                       const SelectedStations& stations, SoundingWriter& writer,
                       ExtractionReporter& reporter) {
  if (request.sort_order == SortOrder::SYNOPTIC) {
    return extract_time_series(source, request, stations, writer, reporter);
  }
  return extract_station_series(source, request, stations, writer, reporter);
}

}  // namespace wxfetch
