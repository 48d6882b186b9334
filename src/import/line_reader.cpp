#include "import/line_reader.h"

#include <algorithm>
#include <cstring>

namespace wxfetch {
namespace pack {

bool LineReader::refill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
  in_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
  const auto got = static_cast<size_t>(in_.gcount());
  end_ += got;
  return got > 0;
}

bool LineReader::next(std::string_view& line) {
  size_t searched = begin_;
  for (;;) {
    const void* found = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
    if (found != nullptr) {
      const size_t at = static_cast<size_t>(static_cast<const char*>(found) - buffer_.data());
      size_t length = at - begin_;
      if (length > 0 && buffer_[at - 1] == '\r') --length;
      line = std::string_view(buffer_.data() + begin_, length);
      begin_ = at + 1;
      ++line_number_;
      return true;
    }
    const size_t unread = end_ - begin_;
    if (!refill()) break;
    searched = unread;  // refill moved the unread bytes to the front
  }
  if (begin_ == end_) return false;
  size_t length = end_ - begin_;
  if (buffer_[end_ - 1] == '\r') --length;
  line = std::string_view(buffer_.data() + begin_, length);
  begin_ = end_;
  ++line_number_;
  return true;
}

bool column_number(std::string_view line, size_t first, size_t last, int32_t& value) {
  const char* at = line.data() + std::min(first - 1, line.size());
  const char* const end = line.data() + std::min(last, line.size());
  while (at < end && *at == ' ') ++at;
  const bool negative = at < end && *at == '-';
  if (negative) ++at;
  const char* const digits_begin = at;
  int64_t number = 0;
  while (at < end && static_cast<unsigned>(*at - '0') < 10) {
    number = number * 10 + (*at - '0');
    ++at;
  }
  if (at == digits_begin || at - digits_begin > 9) return false;
  while (at < end && *at == ' ') ++at;
  if (at != end) return false;
  value = static_cast<int32_t>(negative ? -number : number);
  return true;
}

std::string_view column_text(std::string_view line, size_t first, size_t last) {
  if (first > line.size()) return {};
  return line.substr(first - 1, last - first + 1);
}

}  // namespace pack
}  // namespace wxfetch
