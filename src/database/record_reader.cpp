#include "database/record_reader.h"

#include <cerrno>

#include "database/codec.h"

namespace wxfetch {

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

void read_directory(BitFieldCodec& codec, RecordReader& reader, int first_month, int last_month,
                    DayDirectory* months) {
  size_t position = FILE_HEADER_BYTES;
  bool ended = false;
  for (int month = 1; month <= last_month; ++month) {
    DayDirectory* slot = month >= first_month ? &months[month - first_month] : nullptr;
    for (int day = 1; day <= 31; ++day) {
      int count = 0;
      if (!ended && reader.ensure(position + DAY_ENTRY_BYTES)) {
        int offset = 7;
        codec.place(reader.data() + position, reader.size() - position);
        count = static_cast<int>(codec.read_bits(8, offset));
        const size_t entry_bytes =
            DAY_ENTRY_BYTES + SOUNDING_ENTRY_BYTES * static_cast<size_t>(count);
        if (slot != nullptr && count > 0) {
          if (reader.ensure(position + DAY_ENTRY_BYTES + SOUNDING_ENTRY_BYTES)) {
            codec.place(reader.data() + position + DAY_ENTRY_BYTES, SOUNDING_ENTRY_BYTES);
            slot->day_hour[day] = static_cast<int16_t>(codec.read_bits(8, offset));
            slot->day_offset[day] = int64_t{codec.read_bits(32, offset)};
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

}  // namespace wxfetch
