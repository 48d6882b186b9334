// What the two extraction drivers share: the requested period, the hour filter, reading a
// file's month-by-day directory and its records, handing a record to the decoder, and the
// messages of a run.
//
// Every read stays inside the bytes actually read from the file: a directory or a record that
// reaches past the end of a damaged file yields empty days or a skipped record, never a read
// outside the buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>
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

// The total length of the record at `record` (24 bits at its byte 4).
// REQUIRES: 7 readable bytes at `record`.
inline size_t record_length(const uint8_t* record) {
  return size_t{record[4]} << 16 | size_t{record[5]} << 8 | record[6];
}

// Reads byte ranges of one database file through a window of its bytes, so that the records
// that follow each other in the file are read from the file once, not once per record. The
// window grows when a directory or record is longer than it.
class RecordReader {
 public:
  explicit RecordReader(size_t window = READ_WINDOW) : window_(window) {}

  // Makes the bytes from `offset` of `stream` the current view (at least the read window when
  // the file holds them). Bytes already in the window are not read again. Returns false when
  // the stream cannot be positioned there.
  bool load(std::FILE* stream, int64_t offset);
  // As load, for the record at `offset`: the view then holds the whole record and the header of
  // the record after it, when the file holds them.
  bool load_record(std::FILE* stream, int64_t offset);
  // True when load_record(offset) needs no read: the record is in the window already.
  bool has_record(int64_t offset) const {
    if (!in_window(offset)) return false;
    const size_t from = static_cast<size_t>(offset - window_offset_);
    return at_end_ ||
           (size_ - from >= 7 && size_ - from >= record_length(buffer_.data() + from) + 24);
  }
  // Asks the processor to bring the bytes of the record at `offset` that the window holds (up to
  // a typical record's length) into its cache; reads nothing itself.
  void prefetch_record(int64_t offset) const {
    if (!in_window(offset)) return;
    const size_t from = static_cast<size_t>(offset - window_offset_);
    const size_t end = std::min(size_, from + PREFETCH_BYTES);
    for (size_t at = from; at < end; at += CACHE_LINE_BYTES) __builtin_prefetch(&buffer_[at]);
  }
  // Makes sure `count` bytes from the view's start are in the view; false when the file ends
  // before them.
  bool ensure(size_t count);
  // Forgets the window (for a reader that goes on with another file).
  void forget() { window_offset_ = -1; }

  const uint8_t* data() const { return buffer_.data() + view_; }
  size_t size() const { return size_ - view_; }

 private:
  bool in_window(int64_t offset) const {
    return window_offset_ >= 0 && offset >= window_offset_ &&
           offset < window_offset_ + static_cast<int64_t>(size_);
  }
  bool read_window(int64_t offset);

  static constexpr size_t PREFETCH_BYTES = 1024;
  static constexpr size_t CACHE_LINE_BYTES = 64;

  size_t window_;
  std::FILE* stream_ = nullptr;
  std::vector<uint8_t> buffer_;
  int64_t window_offset_ = -1;  // file offset of buffer_[0]; -1 for none
  size_t size_ = 0;             // bytes in the buffer
  size_t view_ = 0;             // the view starts at buffer_[view_]
  bool at_end_ = false;         // the file ends at the end of the buffer
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

// Writes a progress line: `first` and `first_number`, then (when `second` is not empty) `second`
// and `second_number`, then "\r", as printing them with "%s%ld%s%ld\r" would. These lines
// come with every sounding written to files, so they are formatted by hand.
void write_progress(std::ostream& out, std::string_view first, long first_number,
                    std::string_view second = {}, long second_number = 0);

// " STATUS:  number of soundings written: N" followed by `blanks` blanks and two line ends.
void report_written(ProgramContext& ctx, int32_t written, int blanks);

// Starts the next output file for a sounding at `date`: first reports (with `blanks` blanks) how
// many soundings went to the previous file, when any, and counts `written` from 0 again.
void start_output_file(ProgramContext& ctx, int32_t& written, int blanks, int32_t date,
                       int32_t begin_date, std::string& output_directory, int16_t station_row,
                       int16_t output_format, int16_t file_structure, bool first_file);

}  // namespace wxfetch
