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

namespace wxfetch {

namespace {

constexpr size_t OUTPUT_BUFFER_SIZE = 1 << 20;

}  // namespace

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
