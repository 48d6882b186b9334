// Opening a text file to read (the help file, the station tables, a list of stations) without
// ever waiting: the file is opened without blocking, and only a regular file is read, so that a
// named pipe or a device (/dev/zero) of that name is a file that cannot be opened. What is read
// stops after a given number of bytes.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace wxfetch {

// Support files are read up to this size; no real help file or station table comes near it.
constexpr uint64_t SUPPORT_FILE_LIMIT = uint64_t{16} << 20;

// An open input file: an istream (seekable) over at most `limit` bytes of the file.
class InputFile : public std::istream {
 public:
  // Opens `path`. Returns null when it cannot be opened or is not a regular file (errno tells
  // why: ENODEV for a file that is no regular file).
  static std::unique_ptr<InputFile> open(const std::string& path,
                                         uint64_t limit = SUPPORT_FILE_LIMIT);
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // True when the file is longer than the limit (its rest is not read).
  bool over_limit() const { return over_limit_; }

 private:
  class Buffer;
  InputFile(std::unique_ptr<Buffer> buffer, bool over_limit);
  std::unique_ptr<Buffer> buffer_;
  bool over_limit_;
};

// Reads one piece of at most `limit` - 1 characters from `file`, as fgets does with a buffer of
// `limit` characters: the piece ends after a line end or when it is full. Returns false at the
// end of the file when nothing was read.
bool read_piece(std::istream& file, std::string& piece, size_t limit);

}  // namespace wxfetch
