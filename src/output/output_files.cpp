#include "output/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "program.h"
#include "text.h"

namespace wxfetch {

namespace {
constexpr size_t OUTPUT_BUFFER_SIZE = 1 << 20;
}  // namespace

OutputStream::~OutputStream() {
  close_quietly();
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
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  fd_ = fd;
  kind_ = Kind::FILE;
  if (buffer_.size() != OUTPUT_BUFFER_SIZE) buffer_.resize(OUTPUT_BUFFER_SIZE);
  used_ = 0;
  error_ = false;
  error_number_ = 0;
  return true;
}

bool OutputStream::flush_buffer() {
  size_t done = 0;
  while (done < used_ && !error_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = true;
      error_number_ = errno;
    } else if (n == 0) {
      error_ = true;
      error_number_ = EIO;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  used_ = 0;
  return !error_;
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
  if (console_ != nullptr) console_->write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool OutputStream::close() {
  if (kind_ != Kind::FILE) {
    kind_ = Kind::NONE;
    return true;
  }
  if (!error_) flush_buffer();
  if (::close(fd_) != 0 && !error_) {
    error_ = true;
    error_number_ = errno;
  }
  fd_ = -1;
  kind_ = Kind::NONE;
  return !error_;
}

void OutputStream::close_quietly() {
  if (kind_ == Kind::FILE) close();
  kind_ = Kind::NONE;
}

namespace {

// Reports the stream's write error on the error stream, closes it and ends the program.
[[noreturn]] void end_with_write_error(ProgramContext& ctx) {
  ctx.out.flush();
  ctx.err << "Write error: " << std::strerror(ctx.output_stream.error_number()) << '\n';
  ctx.err.flush();
  ctx.end_program(0);
}

}  // namespace

void check_write_error(ProgramContext& ctx) {
  if (ctx.output_stream.error()) end_with_write_error(ctx);
}

void close_output_file(ProgramContext& ctx) {
  if (!ctx.output_stream.is_file()) return;
  if (!ctx.output_stream.close()) end_with_write_error(ctx);
}

std::string output_file_name(const ProgramContext&, int32_t, int32_t, int16_t, int16_t, int16_t) {
  return {};
}

void open_output_file(ProgramContext&, int32_t, int32_t, std::string&, int16_t, int16_t, int16_t,
                      bool) {}

}  // namespace wxfetch
