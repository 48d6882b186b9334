#include "output/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <system_error>

#include "dialogue/keyword_help.h"
#include "program.h"
#include "text.h"

namespace wxfetch {

namespace {

constexpr size_t OUTPUT_BUFFER_SIZE = 1 << 20;

// Writes `size` bytes at `data` to `fd`. Returns 0, or the errno of the failure.
int write_all(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

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
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  fd_ = fd;
  kind_ = Kind::FILE;
  if (buffer_.size() != OUTPUT_BUFFER_SIZE) buffer_.resize(OUTPUT_BUFFER_SIZE);
  if (spare_.size() != OUTPUT_BUFFER_SIZE) spare_.resize(OUTPUT_BUFFER_SIZE);
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
  fail(background_error_);
  background_error_ = 0;
}

bool OutputStream::flush_buffer() {
  finish_background_write();
  const size_t size = used_;
  used_ = 0;
  if (error_ || size == 0) return !error_;
  buffer_.swap(spare_);
  try {
    background_ =
        std::thread([this, size] { background_error_ = write_all(fd_, spare_.data(), size); });
  } catch (const std::system_error&) {
    // No thread to be had: the text is written here and now.
    fail(write_all(fd_, spare_.data(), size));
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
  if (!error_) fail(write_all(fd_, buffer_.data(), used_));
  used_ = 0;
  if (::close(fd_) != 0) fail(errno);
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

std::string output_file_name(const ProgramContext& ctx, int32_t date_hour, int32_t begin_date,
                             int16_t station_row, int16_t output_format, int16_t file_structure) {
  if (output_format == 1) {
    const int month = date_hour / 10000 % 100;
    const char* code = month >= 1 && month <= 12 ? MONTH_CODES[month] : "XX";
    return cformat("%s%02d%02d%02d.skt", code, date_hour / 100 % 100, date_hour / 1000000 % 100,
                   date_hour % 100);
  }
  if (file_structure == 0) return cformat("%d.txt", begin_date);
  if (ctx.request.sort_order == 1 && station_row >= 0 && station_row < ctx.catalogue.count) {
    const StationEntry& station = ctx.catalogue.entries[station_row];
    return cformat("%d_%s_%d.txt", station.wmo, station.initials, date_hour);
  }
  return cformat("%d.txt", date_hour);
}

namespace {

// The path for `name` under `directory` that no earlier file of this extraction run has: a name
// met again gets "_2", "_3", ... before its extension.
std::string unused_path(std::set<std::string>& written, const std::string& directory,
                        const std::string& name) {
  std::string path = directory + name;
  if (written.count(path) != 0) {
    const size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (int copy = 2;; ++copy) {
      path = directory + stem + "_" + std::to_string(copy) + extension;
      if (written.count(path) == 0) break;
    }
  }
  written.insert(path);
  return path;
}

// Asks what to do when no file can be written to the directory: HELP explains, <return> asks for
// another directory (which replaces `output_directory`), anything else ends the program.
void directory_dialogue(ProgramContext& ctx, std::string& output_directory) {
  std::string reply;
  do {
    ctx.out << "\n  Enter     HELP for more information\n"
            << "            <return> to choose another directory\n"
            << "            EXIT to quit\n"
            << "     Your choice? ";
    read_reply(ctx, reply);
  } while (KeywordHelp(ctx, reply, "NO_DIRECTORY") == 1);
  if (!reply.empty()) {
    ctx.out << "\n\n Exiting tefa database ...\n";
    ctx.end_program(0);
  }
  do {
    ctx.output_stream.use_none();
    output_directory.clear();
    ctx.out << "\n Where do you want to write the output files?\n"
            << "  Enter the disk and directory only: ";
    read_reply(ctx, reply);
  } while (KeywordHelp(ctx, reply, "OUTPUT_DIRECTORY") == 1);
  output_directory = std::string(first_word(reply));
  if (!output_directory.empty() && output_directory.back() != '/') output_directory += '/';
}

}  // namespace

void open_output_file(ProgramContext& ctx, int32_t date_hour, int32_t begin_date,
                      std::string& output_directory, int16_t station_row, int16_t output_format,
                      int16_t file_structure, bool first_file) {
  if (first_file) ctx.output_stream.forget_written_names();
  for (;;) {
    if (!first_file) close_output_file(ctx);
    if (ctx.output_stream.is_console()) return;
    const std::string name =
        output_file_name(ctx, date_hour, begin_date, station_row, output_format, file_structure);
    const std::string path = unused_path(ctx.output_stream.written_names(), output_directory, name);
    if (ctx.output_stream.open_file(path)) {
      ctx.out << " STATUS:  Writing output file: " << path << "        \n";
      return;
    }
    ctx.output_stream.written_names().erase(path);
    ctx.out << "\n\n\n ERROR: unable to write files to: " << path << "\n";
    directory_dialogue(ctx, output_directory);
  }
}

}  // namespace wxfetch
