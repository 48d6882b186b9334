// What the two extraction drivers share: the requested period, the hour filter, reading a
// file's month-by-day directory and its records, handing a record to the decoder, and the
// messages of a run.
//
// Every read stays inside the bytes actually read from the file: a directory or a record that
// reaches past the end of a damaged file yields empty days or a skipped record, never a read
// outside the buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wxfetch {

struct ProgramContext;
struct FileSlot;

// Every read from a database file reads at least this many bytes.
constexpr size_t READ_WINDOW = 20000;
// Bytes of the file header before the month directory.
constexpr size_t FILE_HEADER_BYTES = 34;

struct DateHour {
  int32_t value = 0;  // YYYYMMDDHH
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t hour = 0;
};

// Reads a YYYYMMDDHH text as a number and as its year, month, day and hour.
DateHour parse_date_hour(const std::string& text);

// The hour filter of a request: 0 every hour, 1 00 and 12 UTC, 2 00 UTC, 3 12 UTC.
inline bool hour_wanted(int16_t hour_choice, int hour) {
  switch (hour_choice) {
    case 0:
      return true;
    case 1:
      return hour == 0 || hour == 12;
    case 2:
      return hour == 0;
    case 3:
      return hour == 12;
    default:
      return false;
  }
}

// Reads byte ranges of one database file into a buffer that grows when a directory or record is
// longer than the read window.
class RecordReader {
 public:
  // Reads from `offset` of `stream`: the read window, and more when the record there is longer,
  // so that the record and the header of the record after it are in the buffer when the file
  // holds them. Returns false when the stream cannot be positioned there.
  bool load(std::FILE* stream, int64_t offset);
  // Makes sure `count` bytes from the loaded offset are in the buffer; false when the file ends
  // before them.
  bool ensure(size_t count);

  const uint8_t* data() const { return buffer_.data(); }
  size_t size() const { return size_; }

 private:
  std::FILE* stream_ = nullptr;
  std::vector<uint8_t> buffer_;
  size_t size_ = 0;
};

// Reads the directory of months 1 .. last_month from the start of the file loaded in `reader`
// and stores, for each month m from first_month on, each day's count, first hour and first
// record offset into months[m - first_month]. Days whose entries lie past the end of the file
// count as empty.
void read_directory(ProgramContext& ctx, RecordReader& reader, int first_month, int last_month,
                    FileSlot* months);

// The catalogue row for a sounding of `wban` on `day`: the row valid on that day, else
// `previous` (the row of the run's previous sounding), else the last selected row of the
// station. Returns -1 only when the station has no selected row at all.
int16_t station_row_for(const ProgramContext& ctx, int32_t wban, int32_t day, int16_t previous);

// Hands the record in `reader` to the decoder; a damaged record is reported on the error stream
// with the file's path and the date.
void decode_record(ProgramContext& ctx, const RecordReader& reader, const std::string& path,
                   int32_t date, int16_t level_type, int16_t wind_units, int16_t output_format,
                   int16_t station_row);

// Reports a failure of the runtime on the error stream: the text, ": ", the system's description
// of errno and a line end.
void report_failure(ProgramContext& ctx, const char* text);

// The dialogue shown when no database file could be opened for the request.
void no_files_open_dialogue(ProgramContext& ctx);

// " STATUS:  number of soundings written: N" followed by `blanks` blanks and two line ends.
void report_written(ProgramContext& ctx, int32_t written, int blanks);

}  // namespace wxfetch
