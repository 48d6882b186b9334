#include "database/time_series.h"

#include <ostream>
#include <vector>

#include "database/archive_names.h"
#include "database/extraction.h"
#include "output/output_files.h"
#include "output/pager.h"
#include "program.h"
#include "text.h"

namespace wxfetch {

namespace {

// Each slot reads its file through a window of this many bytes: tens of records a read, and
// little memory however many stations a year has.
constexpr size_t SLOT_WINDOW = 32768;

// One synoptic run: the request's choices and the state that lives for the whole call.
class TimeSeriesRun {
 public:
  TimeSeriesRun(ProgramContext& ctx, const DateHour& begin, int16_t level_type, int16_t wind_units,
                int16_t output_format, int16_t file_structure, int16_t output_location,
                std::string& output_directory)
      : ctx_(ctx),
        begin_(begin),
        level_type_(level_type),
        wind_units_(wind_units),
        output_format_(output_format),
        file_structure_(file_structure),
        to_files_(output_location == 1),
        output_directory_(output_directory) {}

  // Opens the files of `year` into the slots; returns false when no selected station has one.
  bool open_year(int year);
  // Reads every slot's directory of `month`.
  void read_month(int month);
  // Delivers the soundings of every slot at this date and hour.
  void visit_hour(int32_t date, int day, int hour);
  void close_year();
  // A new output file starts with the next sounding when the file structure changes at this
  // step (1 year, 2 month, 3 day, 4 date-hour, 5 sounding).
  void file_step(int16_t structure) {
    if (to_files_ && file_structure_ == structure) new_file_ = true;
  }
  bool to_files() const { return to_files_; }
  int32_t written() const { return written_; }
  bool any_file_opened() const { return any_file_opened_; }

 private:
  bool ensure_stream(int slot);
  void deliver(int slot, int32_t date);
  void status_line(int32_t date);

  ProgramContext& ctx_;
  const DateHour begin_;
  const int16_t level_type_;
  const int16_t wind_units_;
  const int16_t output_format_;
  const int16_t file_structure_;
  const bool to_files_;
  std::string& output_directory_;

  // One reader per slot: each file's records are read in file order through its own window.
  std::vector<RecordReader> readers_;
  int year_ = 0;
  int slots_used_ = 0;    // n: stations with a file this year
  int files_opened_ = 0;  // k: files opened when the year began
  int shared_slot_ = -1;  // the deferred slot holding the shared stream
  int32_t written_ = 0;
  bool new_file_ = true;
  bool first_file_ = true;
  bool any_file_opened_ = false;
  int16_t station_row_ = -1;
  int32_t station_number_ = 0;
};

bool TimeSeriesRun::open_year(int year) {
  year_ = year;
  slots_used_ = 0;
  files_opened_ = 0;
  // A reserve stream keeps one stream free for the output file while the database files of the
  // year take the rest.
  std::FILE* reserve = nullptr;
  if (to_files_) {
    reserve = std::tmpfile();
    if (reserve == nullptr) report_failure(ctx_, " tmpfile failed\n");
  }
  bool deferring = false;
  for (int s = 0; s < ctx_.selected.station_count && slots_used_ < MAX_FILE_SLOTS; ++s) {
    const int32_t wban = ctx_.selected.stations[s].wban;
    int16_t status = FILE_ABSENT;
    open_year_file(ctx_, year, wban, status, slots_used_, 0);
    if (status == FILE_ABSENT) continue;
    FileSlot& slot = ctx_.file_slots[slots_used_];
    slot.station_number = wban;
    if (status == FILE_OPENED && deferring) {
      // Once one file could not be opened, every later file of the year shares one stream, so
      // that the open slots are always the first ones.
      std::fclose(slot.stream);
      slot.stream = nullptr;
    } else if (status == FILE_OPENED) {
      if (files_opened_ == 0) ctx_.out << " STATUS:  opening database files ...\r";
      ++files_opened_;
    } else {
      deferring = true;
    }
    ++slots_used_;
  }
  if (reserve != nullptr) std::fclose(reserve);
  readers_.assign(static_cast<size_t>(slots_used_), RecordReader(SLOT_WINDOW));
  shared_slot_ = files_opened_ - 1;
  if (files_opened_ > 0) any_file_opened_ = true;
  return slots_used_ > 0;
}

// Slots from files_opened_ - 1 on take turns with one stream: before such a slot is used, the
// stream of the slot that holds it is closed and the slot's own file opened.
bool TimeSeriesRun::ensure_stream(int slot) {
  if (slots_used_ > files_opened_ && slot >= files_opened_ - 1 && slot != shared_slot_) {
    int16_t status = shared_slot_ >= 0 ? CLOSE_FIRST : FILE_ABSENT;
    open_year_file(ctx_, year_, ctx_.file_slots[slot].station_number, status, slot,
                   std::max(shared_slot_, 0));
    shared_slot_ = slot;
    if (status == FILE_OPENED) {
      any_file_opened_ = true;
    } else {
      ctx_.err << " WARNING:  unable to open database file: "
               << database_file_name(ctx_.database_directory, year_,
                                     ctx_.file_slots[slot].station_number)
               << "\n";
    }
  }
  return ctx_.file_slots[slot].stream != nullptr;
}

void TimeSeriesRun::read_month(int month) {
  for (int i = 0; i < slots_used_; ++i) {
    ctx_.out << cformat(" STATUS:  reading database file %d of %d\r", i + 1, slots_used_);
    FileSlot& slot = ctx_.file_slots[i];
    slot.day_count.fill(0);
    if (!ensure_stream(i)) continue;
    RecordReader& reader = readers_[static_cast<size_t>(i)];
    if (!reader.load(slot.stream, 0)) {
      report_failure(ctx_, " Fseek failed! \n");
      continue;
    }
    read_directory(ctx_, reader, month, month, &slot);
  }
}

void TimeSeriesRun::visit_hour(int32_t date, int day, int hour) {
  for (int i = 0; i < slots_used_; ++i) {
    file_step(5);
    FileSlot& slot = ctx_.file_slots[i];
    RecordReader& reader = readers_[static_cast<size_t>(i)];
    if (i + 1 < slots_used_) {
      // With many stations the next station's window was filled long ago and has left the
      // processor's cache; its record is fetched while this station's sounding is written.
      const FileSlot& next = ctx_.file_slots[i + 1];
      if (next.day_count[day] > 0) {
        readers_[static_cast<size_t>(i) + 1].prefetch_record(next.day_offset[day]);
      }
    }
    // Soundings of the day at earlier hours are read and passed over.
    while (slot.day_count[day] > 0 && slot.day_hour[day] <= hour) {
      // A deferred file is opened again only when its window lacks the record.
      if (!reader.has_record(slot.day_offset[day]) && !ensure_stream(i)) {
        slot.day_count[day] = 0;
        break;
      }
      if (!reader.load_record(slot.stream, slot.day_offset[day])) {
        report_failure(ctx_, " Fseek failed! \n");
        slot.day_count[day] = 0;  // the day's later records cannot be found without this one
        break;
      }
      if (slot.day_hour[day] == hour) deliver(i, date);
      if (--slot.day_count[day] > 0) {
        // The next record of the day follows this one; its hour is its own byte 23.
        if (reader.size() < 7) {
          slot.day_count[day] = 0;
          break;
        }
        const uint8_t* record = reader.data();
        const size_t length = record_length(record);
        if (reader.size() < length + 24) {
          slot.day_count[day] = 0;
          break;
        }
        slot.day_offset[day] += static_cast<int32_t>(length);
        slot.day_hour[day] = record[length + 23];
      }
    }
  }
}

void TimeSeriesRun::status_line(int32_t date) {
  if (to_files_) {
    write_progress(ctx_.out, " STATUS:  processing date: ", date, " station: ", station_number_);
  }
}

void TimeSeriesRun::deliver(int slot, int32_t date) {
  const FileSlot& file = ctx_.file_slots[slot];
  const int16_t row = station_row_for(ctx_, file.station_number, date / 100, station_row_);
  if (row < 0) return;  // a station without any catalogue row has nothing to print with
  station_row_ = row;
  const StationEntry& station = ctx_.catalogue.entries[row];
  station_number_ = ctx_.request.station_id_type == 0 ? station.wmo : station.wban;
  status_line(date);
  if (to_files_ && new_file_) {
    start_output_file(ctx_, written_, 16, date, begin_.value, output_directory_, station_row_,
                      output_format_, file_structure_, first_file_);
    new_file_ = false;
  }
  first_file_ = false;
  decode_record(ctx_, readers_[static_cast<size_t>(slot)], file.path, date, level_type_,
                wind_units_, output_format_, station_row_);
  ++written_;
  status_line(date);
}

void TimeSeriesRun::close_year() {
  for (int i = 0; i < slots_used_; ++i) {
    FileSlot& slot = ctx_.file_slots[i];
    if (slot.stream != nullptr) std::fclose(slot.stream);
    slot.stream = nullptr;
  }
}

}  // namespace

int32_t extract_time_series(ProgramContext& ctx, const std::string& begin_date,
                            const std::string& end_date, int16_t hour_choice, int16_t level_type,
                            int16_t wind_units, int16_t output_format, int16_t time_file_structure,
                            int16_t output_location, std::string& output_directory) {
  const DateHour begin = parse_date_hour(begin_date);
  const DateHour end = parse_date_hour(end_date);
  ctx.out << "\n\n";
  start_paging(ctx, output_location);
  TimeSeriesRun run(ctx, begin, level_type, wind_units, output_format, time_file_structure,
                    output_location, output_directory);

  for (int year = begin.year; year <= end.year; ++year) {
    run.file_step(1);
    if (!run.open_year(year)) {
      ctx.out << " WARNING:  Unable to open any database files for " << year << "\n";
      continue;
    }
    const int first_month = year == begin.year ? begin.month : 1;
    const int last_month = year == end.year ? end.month : 12;
    for (int month = first_month; month <= last_month; ++month) {
      run.file_step(2);
      run.read_month(month);
      const bool first_of_period = year == begin.year && month == begin.month;
      const bool last_of_period = year == end.year && month == end.month;
      const int first_day = first_of_period ? begin.day : 1;
      const int last_day = last_of_period ? end.day : 31;
      for (int day = first_day; day <= last_day; ++day) {
        run.file_step(3);
        const int first_hour = first_of_period && day == begin.day ? begin.hour : 0;
        const int last_hour = last_of_period && day == end.day ? end.hour : 23;
        for (int hour = first_hour; hour <= last_hour; ++hour) {
          const int32_t date = year * 1000000 + month * 10000 + day * 100 + hour;
          if (run.to_files()) write_progress(ctx.out, " STATUS:  processing date: ", date);
          run.file_step(4);
          if (!hour_wanted(hour_choice, hour)) continue;
          run.visit_hour(date, day, hour);
        }
      }
    }
    run.close_year();
  }

  const int32_t written = run.written();
  if (run.to_files() && written > 0) report_written(ctx, written, 20);
  ctx.out << "nsound = " << written << "\n";
  if (written == 0) ctx.out << " STATUS:  No data was available to meet your request.\n\n";
  if (!run.any_file_opened()) no_files_open_dialogue(ctx);
  close_output_file(ctx);
  return written;
}

}  // namespace wxfetch
