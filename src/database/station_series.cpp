#include "database/station_series.h"

#include <ostream>

#include "database/archive_names.h"
#include "database/extraction.h"
#include "output/output_files.h"
#include "output/pager.h"
#include "program.h"

namespace wxfetch {

namespace {
constexpr size_t STATION_WINDOW = 1 << 20;
}  // namespace

int32_t extract_station_series(ProgramContext& ctx, const std::string& begin_date,
                               const std::string& end_date, int16_t hour_choice, int16_t level_type,
                               int16_t wind_units, int16_t output_format,
                               int16_t station_file_structure, int16_t output_location,
                               std::string& output_directory) {
  const DateHour begin = parse_date_hour(begin_date);
  const DateHour end = parse_date_hour(end_date);
  const bool to_files = output_location == 1;
  ctx.out << "\n";
  start_paging(ctx, output_location);

  // One file at a time: a large window reads most station-year files whole at once.
  RecordReader reader(STATION_WINDOW);
  int32_t written = 0;
  bool first_file = true;
  bool any_file_opened = false;
  int32_t last_file_station = 0;  // the station whose soundings the open file holds
  int16_t station_row = -1;

  // Hands one wanted sounding of `station` to the decoder, starting a new output file first
  // when the file structure calls for one.
  auto deliver = [&](const StationNumbers& station, int32_t date, const std::string& path) {
    const int16_t row = station_row_for(ctx, station.wban, date / 100, station_row);
    if (row < 0) return;  // a station without any catalogue row has nothing to print with
    station_row = row;
    const bool new_file = last_file_station == 0 || station_file_structure == 2 ||
                          (station_file_structure == 1 && station.wban != last_file_station);
    if (to_files && new_file) {
      start_output_file(ctx, written, 20, date, begin.value, output_directory, station_row,
                        output_format, station_file_structure, first_file);
      last_file_station = station.wban;
    }
    first_file = false;
    decode_record(ctx, reader, path, date, level_type, wind_units, output_format, station_row);
    ++written;
    if (to_files) {
      write_progress(ctx.out, " STATUS:  processing station: ",
                     ctx.request.station_id_type == 0 ? station.wmo : station.wban,
                     " date: ", date);
    }
  };

  for (int s = 0; s < ctx.selected.station_count; ++s) {
    const StationNumbers station = ctx.selected.stations[s];
    for (int year = begin.year; year <= end.year; ++year) {
      int16_t status = FILE_ABSENT;
      open_year_file(ctx, year, station.wban, status, 0, 0);
      if (status != FILE_OPENED) continue;
      any_file_opened = true;
      FileSlot& file = ctx.file_slots[0];
      const std::string path = file.path;
      reader.forget();
      // The whole year's directory: month m goes to slot m - 1.
      if (reader.load(file.stream, 0)) {
        read_directory(ctx, reader, 1, 12, &ctx.file_slots[0]);
      } else {
        report_failure(ctx, " Fseek failed! \n");
        for (int m = 0; m < 12; ++m) ctx.file_slots[m].day_count.fill(0);
      }
      const int first_month = year == begin.year ? begin.month : 1;
      const int last_month = year == end.year ? end.month : 12;
      for (int month = first_month; month <= last_month; ++month) {
        FileSlot& days = ctx.file_slots[month - 1];
        const bool first_of_period = year == begin.year && month == begin.month;
        const bool last_of_period = year == end.year && month == end.month;
        const int first_day = first_of_period ? begin.day : 1;
        const int last_day = last_of_period ? end.day : 31;
        for (int day = first_day; day <= last_day; ++day) {
          for (int j = 0; j < days.day_count[day]; ++j) {
            if (!reader.load_record(file.stream, days.day_offset[day])) {
              report_failure(ctx, " Fseek failed! \n");
              break;  // the day's later records cannot be found without this one
            }
            if (reader.size() < 24) break;  // the file ends inside the record
            const uint8_t* record = reader.data();
            const int hour = record[23];
            const int32_t length = static_cast<int32_t>(record_length(record));
            const int32_t date = year * 1000000 + month * 10000 + day * 100 + hour;
            const bool wanted = hour_wanted(hour_choice, hour) &&
                                !(date / 100 == begin.value / 100 && hour < begin.hour) &&
                                !(date / 100 == end.value / 100 && hour > end.hour);
            if (wanted) deliver(station, date, path);
            days.day_offset[day] += length;
          }
        }
      }
      std::fclose(file.stream);
      file.stream = nullptr;
    }
  }

  if (written == 0) {
    if (any_file_opened) {
      ctx.out << " STATUS:  No data was available to meet your request.\n\n";
      return 0;
    }
    no_files_open_dialogue(ctx);
    return -1;
  }
  close_output_file(ctx);
  if (to_files) report_written(ctx, written, 20);
  return written;
}

}  // namespace wxfetch
