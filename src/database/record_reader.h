// Reading a station-year file: a window of its bytes that records are served from, and its
// month-by-day directory.
//
// Every read stays inside the bytes actually read from the file: a directory or a record that
// reaches past the end of a damaged file yields empty days or a skipped record, never a read
// outside the buffer.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace wxfetch {

struct BitFieldCodec;

// Every read from a database file reads at least this many bytes.
constexpr size_t READ_WINDOW = 20000;
// Bytes of the file header before the month directory.
constexpr size_t FILE_HEADER_BYTES = 34;
// The directory holds an entry for each day 1 .. 31 of each month: the day's sounding count
// (one byte) and four bytes, then an entry for each of its soundings (the hour, one byte, and
// the record's 32-bit offset).
constexpr size_t DAY_ENTRY_BYTES = 5;
constexpr size_t SOUNDING_ENTRY_BYTES = 5;

// One month's directory of a file: for each day 1 .. 31 the number of soundings, the hour of the
// first and the file offset of the first record. Offsets are 64-bit: a 32-bit offset of the
// directory plus the lengths of the records after it reach past 2^31.
struct DayDirectory {
  std::array<int64_t, 32> day_offset{};  // index 1 .. 31
  std::array<int16_t, 32> day_count{};
  std::array<int16_t, 32> day_hour{};
};

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
// with `codec` and stores, for each month m from first_month on, each day's count, first hour and
// first record offset into months[m - first_month]. Days whose entries lie past the end of the file
// count as empty.
void read_directory(BitFieldCodec& codec, RecordReader& reader, int first_month, int last_month,
                    DayDirectory* months);

}  // namespace wxfetch
