#include "base/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <streambuf>

namespace wxfetch {

// Reads the descriptor it owns through a buffer of its own, ending at the limit.
class InputFile::Buffer : public std::streambuf {
 public:
  Buffer(int fd, uint64_t limit) : fd_(fd), limit_(limit) {}
  ~Buffer() override { ::close(fd_); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (end_ >= limit_) return traits_type::eof();
    const uint64_t room = std::min<uint64_t>(bytes_.size(), limit_ - end_);
    ssize_t got;
    do {
      got = ::pread(fd_, bytes_.data(), static_cast<size_t>(room), static_cast<off_t>(end_));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return traits_type::eof();
    end_ += static_cast<uint64_t>(got);
    setg(bytes_.data(), bytes_.data(), bytes_.data() + got);
    return traits_type::to_int_type(*gptr());
  }

  pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    const auto here = static_cast<off_type>(end_) - (egptr() - gptr());
    if (dir == std::ios_base::end) return pos_type(off_type(-1));
    if (dir == std::ios_base::cur) offset += here;
    return seekpos(pos_type(offset), std::ios_base::in);
  }

  pos_type seekpos(pos_type position, std::ios_base::openmode) override {
    if (position < 0) return pos_type(off_type(-1));
    end_ = static_cast<uint64_t>(static_cast<off_type>(position));
    setg(bytes_.data(), bytes_.data(), bytes_.data());
    return position;
  }

 private:
  int fd_;
  uint64_t limit_;
  uint64_t end_ = 0;  // file offset of the end of what the buffer holds
  std::array<char, 8192> bytes_{};
};

InputFile::InputFile(std::unique_ptr<Buffer> buffer, bool over_limit)
    : std::istream(buffer.get()), buffer_(std::move(buffer)), over_limit_(over_limit) {}

InputFile::~InputFile() = default;

std::unique_ptr<InputFile> InputFile::open(const std::string& path, uint64_t limit) {
  // Without O_NONBLOCK the open of a named pipe waits for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    errno = ENODEV;
    return nullptr;
  }
  const bool over_limit = static_cast<uint64_t>(status.st_size) > limit;
  return std::unique_ptr<InputFile>(new InputFile(std::make_unique<Buffer>(fd, limit), over_limit));
}

bool read_piece(std::istream& file, std::string& piece, size_t limit) {
  piece.clear();
  char c;
  while (piece.size() + 1 < limit && file.get(c)) {
    piece.push_back(c);
    if (c == '\n') break;
  }
  return !piece.empty();
}

}  // namespace wxfetch
