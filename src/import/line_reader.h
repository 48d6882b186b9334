// Reads text a line at a time from a stream through one growing buffer, without a copy per line,
// and reads numbers from fixed columns of a line. Line ends are "\n" or "\r\n"; the last line
// may lack its line end.
#pragma once

#include <cstdint>
#include <istream>
#include <string_view>
#include <vector>

namespace wxfetch {
namespace pack {

class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in), buffer_(1 << 16) {}
  // Sets `line` to the next line without its line end and returns true; false at the end of the
  // input. `line` stays valid until the next call.
  bool next(std::string_view& line);
  // The number of the line last returned, counted from 1.
  long line_number() const { return line_number_; }

 private:
  // Moves the unread bytes to the front and reads more; false when nothing more came.
  bool refill();

  std::istream& in_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  long line_number_ = 0;
};

// Reads the whole number in columns first..last (counted from 1, both included) of `line`:
// blanks around an optional minus sign and digits. Columns beyond the line count as blanks.
// Returns false when the columns hold anything else or only blanks.
bool column_number(std::string_view line, size_t first, size_t last, int32_t& value);

// The text of columns first..last (counted from 1) of `line`, shorter when the line is.
std::string_view column_text(std::string_view line, size_t first, size_t last);

}  // namespace pack
}  // namespace wxfetch
