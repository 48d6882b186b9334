#include "base/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <memory>
#include <utility>

#include "base/temporary_files.h"

namespace wxfetch {

namespace {

// The system's write and close.
class SystemFileIo : public FileIo {
 public:
  ssize_t write(int fd, const void* data, size_t size) override { return ::write(fd, data, size); }
  int close(int fd) override { return ::close(fd); }
};

}  // namespace

FileIo& system_file_io() {
  static SystemFileIo io;
  return io;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      io_(other.io_),
      temporary_path_(std::move(other.temporary_path_)),
      path_(std::move(other.path_)),
      temporary_slot_(std::exchange(other.temporary_slot_, -1)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    close(false);
    fd_ = std::exchange(other.fd_, -1);
    io_ = other.io_;
    temporary_path_ = std::move(other.temporary_path_);
    path_ = std::move(other.path_);
    temporary_slot_ = std::exchange(other.temporary_slot_, -1);
  }
  return *this;
}

namespace {

// True when `path` is absent or an existing regular file that may be written: such a file is
// written under a temporary name. Anything else (a device, a link, a pipe) is opened itself.
bool replaced_by_rename(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return errno == ENOENT;
  return S_ISREG(status.st_mode) && ::access(path.c_str(), W_OK) == 0;
}

// Creates a file of a name no other file has, next to `path`; returns its descriptor (or -1)
// and its name in `temporary`, noted for removal at a signal in `slot`. The name is noted before
// the file is created: creating a file can take long on a busy disk, and a signal that arrives
// meanwhile is handled as the call returns, when the file already exists.
int create_temporary(const std::string& path, std::string& temporary, int& slot) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    slot = note_temporary_file(temporary);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    const int error = errno;
    forget_temporary_file(std::exchange(slot, -1));
    errno = error;
    if (error != EEXIST) return -1;
  }
  return -1;
}

// Opens an existing name that is not written by rename: without blocking (a named pipe without
// a reader would wait), and refused when it is a pipe.
int open_in_place(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISFIFO(status.st_mode)) {
    ::close(fd);
    errno = ENXIO;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

OutputFile OutputFile::create(const std::string& path, FileIo& io) {
  OutputFile file;
  file.io_ = &io;
  file.path_ = path;
  if (replaced_by_rename(path)) {
    file.fd_ = create_temporary(path, file.temporary_path_, file.temporary_slot_);
    if (file.fd_ >= 0) return file;
    // A folder that takes no new file may still hold a writable file of the name: written
    // directly, as it always was.
    file.temporary_path_.clear();
    if (errno != EACCES && errno != EPERM && errno != EROFS) return file;
  }
  file.fd_ = open_in_place(path);
  return file;
}

int OutputFile::write_all(const char* data, size_t size) {
  assert(is_open());
  size_t done = 0;
  while (done < size) {
    const ssize_t n = io_->write(fd_, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int OutputFile::close(bool finished) {
  if (fd_ < 0) return 0;
  int error = io_->close(std::exchange(fd_, -1)) != 0 ? errno : 0;
  if (!temporary_path_.empty()) {
    if (finished && error == 0 && ::rename(temporary_path_.c_str(), path_.c_str()) != 0) {
      error = errno;
    }
    if (!finished || error != 0) ::unlink(temporary_path_.c_str());
    forget_temporary_file(std::exchange(temporary_slot_, -1));
    temporary_path_.clear();
  }
  return error;
}

// Collects the text in a buffer and writes it to the file whenever the buffer is full; the
// first failure is kept, and nothing is written after it.
class OutputFileStream::Buffer : public std::streambuf {
 public:
  explicit Buffer(OutputFile file) : file_(std::move(file)) {
    setp(space_, space_ + sizeof space_);
  }

  int finish() {
    drain();
    const int closed = file_.close(error_ == 0);
    return error_ != 0 ? error_ : closed;
  }

 protected:
  int_type overflow(int_type c) override {
    drain();
    if (c != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return error_ == 0 ? traits_type::not_eof(c) : traits_type::eof();
  }
  int sync() override {
    drain();
    return error_ == 0 ? 0 : -1;
  }

 private:
  void drain() {
    const auto size = static_cast<size_t>(pptr() - pbase());
    if (size > 0 && error_ == 0) error_ = file_.write_all(pbase(), size);
    setp(space_, space_ + sizeof space_);
  }

  OutputFile file_;
  int error_ = 0;
  char space_[1 << 16];
};

std::unique_ptr<OutputFileStream> OutputFileStream::create(const std::string& path) {
  OutputFile file = OutputFile::create(path, system_file_io());
  if (!file.is_open()) return nullptr;
  return std::unique_ptr<OutputFileStream>(
      new OutputFileStream(std::make_unique<Buffer>(std::move(file))));
}

OutputFileStream::OutputFileStream(std::unique_ptr<Buffer> buffer)
    : std::ostream(buffer.get()), buffer_(std::move(buffer)) {}

OutputFileStream::~OutputFileStream() = default;

int OutputFileStream::finish() {
  const int error = buffer_->finish();
  if (error != 0) setstate(std::ios::badbit);
  return error;
}

}  // namespace wxfetch
