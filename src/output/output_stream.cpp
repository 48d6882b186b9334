#include "output/output_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <ostream>
#include <system_error>
#include <utility>

#include "output/temporary_files.h"

namespace wxfetch {

namespace {

constexpr size_t OUTPUT_BUFFER_SIZE = 1 << 20;

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
// and its name in `temporary`.
int create_temporary(const std::string& path, std::string& temporary) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
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
    file.fd_ = create_temporary(path, file.temporary_path_);
    if (file.fd_ >= 0) {
      file.temporary_slot_ = note_temporary_file(file.temporary_path_);
      return file;
    }
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

OutputStream::~OutputStream() {
  close_quietly();
}

void OutputStream::set_console(std::ostream& console) {
  console_ = &console;
  // The console's state is looked at once here already: a sanitizer build checks the stream's
  // type at the first look, which takes file descriptors that a run at the limit of open files
  // (many database files of a year) may not have left later.
  (void)console.good();
}

void OutputStream::use_console() {
  close_quietly();
  kind_ = Kind::CONSOLE;
}

void OutputStream::use_none() {
  close_quietly();
  kind_ = Kind::NONE;
}

bool OutputStream::open_file(const std::string& path) {
  close_quietly();
  kind_ = Kind::NONE;
  // The buffers first: when memory runs out here, no file has been created.
  if (buffer_.size() != OUTPUT_BUFFER_SIZE) buffer_.resize(OUTPUT_BUFFER_SIZE);
  if (spare_.size() != OUTPUT_BUFFER_SIZE) spare_.resize(OUTPUT_BUFFER_SIZE);
  file_ = OutputFile::create(path, *io_);
  if (!file_.is_open()) return false;
  kind_ = Kind::FILE;
  used_ = 0;
  error_ = false;
  error_number_ = 0;
  return true;
}

void OutputStream::fail(int error_number) {
  if (error_number == 0 || error_) return;
  error_ = true;
  error_number_ = error_number;
}

void OutputStream::finish_background_write() {
  if (!background_.joinable()) return;
  background_.join();
  fail(background_error_.exchange(0));
}

bool OutputStream::flush_buffer() {
  finish_background_write();
  const size_t size = used_;
  used_ = 0;
  if (error_ || size == 0) return !error_;
  buffer_.swap(spare_);
  try {
    background_ =
        std::thread([this, size] { background_error_ = file_.write_all(spare_.data(), size); });
  } catch (const std::system_error&) {
    // No thread to be had: the text is written here and now.
    fail(file_.write_all(spare_.data(), size));
  }
  return !error_;
}

bool OutputStream::make_room(size_t size) {
  return flush_buffer() && buffer_.size() - used_ >= size;
}

void OutputStream::write_slow(std::string_view text) {
  if (error_) return;
  while (!text.empty()) {
    if (used_ == buffer_.size() && !flush_buffer()) return;
    const size_t n = std::min(text.size(), buffer_.size() - used_);
    text.copy(buffer_.data() + used_, n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void OutputStream::write_console(std::string_view text) {
  if (console_ == nullptr || error_) return;
  // A console that cannot be written (output redirected to a full disk, a closed descriptor) is
  // a write error like a file's. When an earlier message already failed, the text is written
  // again with a flush, so that errno tells why the console fails now.
  const bool failed_before = !console_->good();
  if (failed_before) console_->clear();
  errno = 0;
  console_->write(text.data(), static_cast<std::streamsize>(text.size()));
  if (failed_before) console_->flush();
  if (!console_->good()) fail(errno != 0 ? errno : EIO);
}

bool OutputStream::close() {
  if (kind_ != Kind::FILE) {
    kind_ = Kind::NONE;
    return true;
  }
  finish_background_write();
  if (!error_) fail(file_.write_all(buffer_.data(), used_));
  used_ = 0;
  fail(file_.close(!error_));
  kind_ = Kind::NONE;
  return !error_;
}

void OutputStream::close_quietly() {
  if (kind_ == Kind::FILE) close();
  kind_ = Kind::NONE;
}

}  // namespace wxfetch
