#include "database/extraction.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "database/archive_names.h"
#include "dialogue/keyword_help.h"
#include "output/number_format.h"
#include "output/output_files.h"
#include "program.h"
#include "text.h"

namespace wxfetch {

DateHour parse_date_hour(const std::string& text) {
  auto number = [&](size_t from, size_t count) {
    long value = 0;
    return from < text.size() && scan_long(text.substr(from, count), value) ? value : 0L;
  };
  DateHour date;
  long value = 0;
  date.value = scan_long(text, value) ? static_cast<int32_t>(value) : 0;
  date.year = static_cast<int16_t>(number(0, 4));
  date.month = static_cast<int16_t>(number(4, 2));
  date.day = static_cast<int16_t>(number(6, 2));
  date.hour = static_cast<int16_t>(number(8, 2));
  return date;
}

bool RecordReader::load(std::FILE* stream, int64_t offset) {
  stream_ = stream;
  if (in_window(offset)) {
    view_ = static_cast<size_t>(offset - window_offset_);
    return true;
  }
  return read_window(offset);
}

bool RecordReader::load_record(std::FILE* stream, int64_t offset) {
  if (has_record(offset)) {
    view_ = static_cast<size_t>(offset - window_offset_);
    return true;
  }
  stream_ = stream;
  // A record that runs past the window starts a new window; only a record longer than the
  // window itself makes the window grow.
  if (!read_window(offset)) return false;
  if (size() >= 7) ensure(record_length(data()) + 24);
  return true;
}

bool RecordReader::read_window(int64_t offset) {
  window_offset_ = -1;
  size_ = 0;
  view_ = 0;
  at_end_ = false;
  if (offset < 0 || std::fseek(stream_, static_cast<long>(offset), SEEK_SET) != 0) {
    if (errno == 0) errno = EINVAL;
    return false;
  }
  window_offset_ = offset;
  ensure(window_);
  return true;
}

bool RecordReader::ensure(size_t count) {
  if (count <= size()) return true;
  if (stream_ == nullptr || window_offset_ < 0 || at_end_) return false;
  const size_t wanted = view_ + count;
  // The stream may have been used elsewhere since the window was read: read on from the end
  // of the window.
  if (std::fseek(stream_, static_cast<long>(window_offset_ + static_cast<int64_t>(size_)),
                 SEEK_SET) != 0) {
    return false;
  }
  while (size_ < wanted) {
    // The buffer grows as bytes arrive, so that a damaged length asking for megabytes costs
    // nothing when the file is short.
    if (buffer_.size() <= size_) buffer_.resize(std::min(wanted, std::max(2 * size_, window_)));
    const size_t room = std::min(buffer_.size(), wanted) - size_;
    const size_t got = std::fread(buffer_.data() + size_, 1, room, stream_);
    if (got == 0) {
      at_end_ = true;
      break;
    }
    size_ += got;
  }
  return size() >= count;
}

void read_directory(ProgramContext& ctx, RecordReader& reader, int first_month, int last_month,
                    FileSlot* months) {
  BitFieldCodec& codec = ctx.codec;
  size_t position = FILE_HEADER_BYTES;
  bool ended = false;
  for (int month = 1; month <= last_month; ++month) {
    FileSlot* slot = month >= first_month ? &months[month - first_month] : nullptr;
    for (int day = 1; day <= 31; ++day) {
      int count = 0;
      if (!ended && reader.ensure(position + 5)) {
        int offset = 7;
        codec.place(reader.data() + position, reader.size() - position);
        count = static_cast<int>(codec.read_bits(8, offset));
        const size_t entry_bytes = 5 + 5 * static_cast<size_t>(count);
        if (slot != nullptr && count > 0) {
          if (reader.ensure(position + 10)) {
            codec.place(reader.data() + position + 5, 5);
            slot->day_hour[day] = static_cast<int16_t>(codec.read_bits(8, offset));
            slot->day_offset[day] = static_cast<int32_t>(codec.read_bits(32, offset));
          } else {
            count = 0;
          }
        }
        position += entry_bytes;
      } else {
        ended = true;
      }
      if (slot != nullptr) slot->day_count[day] = static_cast<int16_t>(count);
    }
  }
}

int16_t station_row_for(const ProgramContext& ctx, int32_t wban, int32_t day, int16_t previous) {
  const int16_t row = find_history_row(ctx, wban, day);
  if (row >= 0) return row;
  if (previous >= 0) return previous;
  for (int i = ctx.selected.row_count - 1; i >= 0; --i) {
    const int16_t candidate = ctx.selected.rows[i];
    if (ctx.catalogue.entries[candidate].wban == wban) return candidate;
  }
  return -1;
}

void decode_record(ProgramContext& ctx, const RecordReader& reader, const std::string& path,
                   int32_t date, int16_t level_type, int16_t wind_units, int16_t output_format,
                   int16_t station_row) {
  ctx.codec.place(reader.data(), reader.size());
  if (!decode_sounding(ctx, level_type, wind_units, output_format, station_row)) {
    ctx.err << " WARNING:  damaged sounding record skipped: " << path << " " << date << "\n";
  }
}

void report_failure(ProgramContext& ctx, const char* text) {
  const int error = errno;
  ctx.out.flush();
  ctx.err << text << ": " << std::strerror(error) << "\n";
}

void no_files_open_dialogue(ProgramContext& ctx) {
  ctx.out << "\tWARNING:  No database files could be opened in: " << ctx.database_directory
          << "\n\n"
          << "\tEnter HELP for more information \n"
          << "\tEnter <return> for another database access \n"
          << "    Your choice? ";
  std::string reply;
  read_reply(ctx, reply);
  KeywordHelp(ctx, reply, "NO_FILES_OPEN");
}

void write_progress(std::ostream& out, std::string_view first, long first_number,
                    std::string_view second, long second_number) {
  char line[128];
  char* end = line;
  const auto put = [&](std::string_view text, long number) {
    text = text.substr(0, 40);
    end = std::copy(text.begin(), text.end(), end);
    end = put_right_aligned(end, number, 0);
  };
  put(first, first_number);
  if (!second.empty()) put(second, second_number);
  *end++ = '\r';
  out.write(line, end - line);
}

void report_written(ProgramContext& ctx, int32_t written, int blanks) {
  ctx.out << " STATUS:  number of soundings written: " << written << std::string(blanks, ' ')
          << "\n\n";
}

void start_output_file(ProgramContext& ctx, int32_t& written, int blanks, int32_t date,
                       int32_t begin_date, std::string& output_directory, int16_t station_row,
                       int16_t output_format, int16_t file_structure, bool first_file) {
  if (written != 0) {
    report_written(ctx, written, blanks);
    written = 0;
  }
  open_output_file(ctx, date, begin_date, output_directory, station_row, output_format,
                   file_structure, first_file);
}

}  // namespace wxfetch
