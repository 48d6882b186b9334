// What lies under every file the programs write: the move-only owner of its descriptor, written
// under a temporary name and renamed when finished, and the seam through which its bytes are
// written and it is closed (FileIo), which tests replace to make writes and closes fail.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

namespace wxfetch {

// The system calls an output file is written and closed with. The writes of one file may come
// from a helper thread, one at a time.
class FileIo {
 public:
  virtual ~FileIo() = default;
  // As ::write: the bytes written (possibly fewer than `size`), or -1 with errno set.
  virtual ssize_t write(int fd, const void* data, size_t size) = 0;
  // As ::close: 0, or -1 with errno set.
  virtual int close(int fd) = 0;
};

// The system's own calls.
FileIo& system_file_io();

// One output file open for writing, owned: moving hands it on, and the destructor closes it
// unfinished (see close). Every output file of the program is created, written and closed here.
//
// A file whose name is new or an existing regular file is written under a temporary name in
// the same folder and takes its name only when it is closed finished, so that an interrupted
// run or a failed write never leaves a half file under the name (the temporary name is removed
// at SIGINT, SIGTERM and SIGHUP, see temporary_files.h), and two runs into one folder never mix
// their text. Other existing names (a device such as /dev/null, a symbolic link) are written
// directly, as they are; a named pipe is a file that cannot be created.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { close(false); }
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file `path` (under a temporary name, or emptying an existing device or link),
  // written through `io`. Returns a file that is not open when it cannot be created; errno
  // tells why.
  static OutputFile create(const std::string& path, FileIo& io);

  bool is_open() const { return fd_ >= 0; }
  // Writes all `size` bytes at `data`, again after a short write or an interruption. Returns 0,
  // or the errno of the failure (EIO for a write that makes no progress).
  // REQUIRES: is_open().
  int write_all(const char* data, size_t size);
  // Closes the file (nothing when none is open). A `finished` file written under a temporary
  // name is renamed to its name; an unfinished one, or one whose close fails, is removed.
  // Returns 0, or the errno of a failed close or rename.
  int close(bool finished = true);

 private:
  int fd_ = -1;
  FileIo* io_ = nullptr;
  std::string temporary_path_;  // "" when the file is written under its name
  std::string path_;
  int temporary_slot_ = -1;
};

// A text stream written to an OutputFile: the text goes to the file's temporary name, and the
// file takes its name only at finish(); a stream destroyed unfinished (an error, an exception on
// the way) leaves nothing under the name.
class OutputFileStream : public std::ostream {
 public:
  // Creates the file `path`; null (errno set) when it cannot be created.
  static std::unique_ptr<OutputFileStream> create(const std::string& path);
  ~OutputFileStream() override;
  OutputFileStream(const OutputFileStream&) = delete;
  OutputFileStream& operator=(const OutputFileStream&) = delete;

  // Writes what is buffered and closes the file under its name. Returns 0, or the errno of the
  // first failed write, close or rename (the file is then removed).
  int finish();

 private:
  class Buffer;
  explicit OutputFileStream(std::unique_ptr<Buffer> buffer);
  std::unique_ptr<Buffer> buffer_;
};

}  // namespace wxfetch
