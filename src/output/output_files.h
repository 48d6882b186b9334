// The output destination. output_stream is the screen (the console), no stream, or one open
// output file; the extraction drivers start a new file with open_output_file whenever the file
// structure of the request calls for one, and close the last one at the end of the request.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace wxfetch {

struct ProgramContext;

inline constexpr const char* MONTH_CODES[13] = {"",   "JA", "FE", "MA", "AP", "MY", "JU",
                                                "JL", "AG", "SE", "OC", "NO", "DE"};

// A buffered destination for the writers. Files are written through two large buffers straight
// to the file descriptor: while a helper thread writes a full buffer to the file, the writers
// fill the other, so that formatting and the system's copying of the text overlap. The first
// failing write sets the error indicator (with its errno), and everything written after it is
// dropped; a failure of a write in the background shows at the next hand-over or at close. A
// console that fails sets the indicator too.
class OutputStream {
 public:
  enum class Kind { NONE, CONSOLE, FILE };

  OutputStream() = default;
  ~OutputStream();
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  Kind kind() const { return kind_; }
  bool is_console() const { return kind_ == Kind::CONSOLE; }
  bool is_file() const { return kind_ == Kind::FILE; }

  // The console the screen state writes to (set once by the program context).
  void set_console(std::ostream& console);
  // Switches to the screen or to no stream (closing an open file quietly first).
  void use_console();
  void use_none();

  // Creates (or empties) the file `path` and makes it the destination. Returns false, leaving no
  // stream, when it cannot be created; errno tells why.
  bool open_file(const std::string& path);

  void write(std::string_view text) {
    if (kind_ == Kind::FILE) {
      if (text.size() <= buffer_.size() - used_) {
        text.copy(buffer_.data() + used_, text.size());
        used_ += text.size();
      } else {
        write_slow(text);
      }
    } else if (kind_ == Kind::CONSOLE) {
      write_console(text);
    }
  }

  // Room for `size` bytes of text to be written in place; commit(end) then writes what was put
  // there up to `end`. Nothing else may be written in between.
  char* reserve(size_t size) {
    if (kind_ == Kind::FILE && !error_ && (buffer_.size() - used_ >= size || make_room(size))) {
      in_buffer_ = true;
      return buffer_.data() + used_;
    }
    in_buffer_ = false;
    if (scratch_.size() < size) scratch_.resize(size);
    return scratch_.data();
  }
  void commit(const char* end) {
    if (in_buffer_) {
      used_ = static_cast<size_t>(end - buffer_.data());
    } else if (kind_ == Kind::CONSOLE) {
      write_console(std::string_view(scratch_.data(), static_cast<size_t>(end - scratch_.data())));
    }
  }

  // The error indicator: a write to the file failed.
  bool error() const { return error_; }
  int error_number() const { return error_number_; }

  // Writes what the buffer holds and closes the file. Returns false when data could not be
  // written (error_number() tells why). Leaves no stream.
  bool close();
  // As close, ignoring failures (used when the program ends).
  void close_quietly();

  // The paths of the files opened in the current extraction run, so that no file of the run
  // replaces another.
  std::set<std::string>& written_names() { return written_names_; }
  void forget_written_names() { written_names_.clear(); }

 private:
  void write_slow(std::string_view text);
  void write_console(std::string_view text);
  // Hands the buffer's text to a background write (or writes it at once when no thread can be
  // started) and gives the writers an empty buffer. False when a write has failed.
  bool flush_buffer();
  // Sets the error indicator for the failure `error_number` (0: none) unless it is set already.
  void fail(int error_number);
  // Waits for the background write, if any, and takes over its failure.
  void finish_background_write();
  // Flushes the buffer so that `size` bytes fit; false when they cannot be put in it.
  bool make_room(size_t size);

  Kind kind_ = Kind::NONE;
  std::ostream* console_ = nullptr;
  int fd_ = -1;
  std::vector<char> buffer_;
  size_t used_ = 0;
  std::vector<char> spare_;    // the buffer a background write is writing
  std::thread background_;     // the background write, while one runs
  int background_error_ = 0;   // errno of its failure, or 0
  std::vector<char> scratch_;  // in-place text for the screen, or for a file after an error
  bool in_buffer_ = false;
  bool error_ = false;
  int error_number_ = 0;
  std::set<std::string> written_names_;
};

// The name (without directory) of an output file for a sounding at `date_hour` of a request
// beginning at `begin_date`, by the request's sort order and the file structure.
std::string output_file_name(const ProgramContext& ctx, int32_t date_hour, int32_t begin_date,
                             int16_t station_row, int16_t output_format, int16_t file_structure);

// Closes the open output file (if any) and starts the next one, named by output_file_name under
// `output_directory`; on the screen nothing is opened. When the file cannot be created, runs the
// directory dialogue, which may replace `output_directory` or end the program.
void open_output_file(ProgramContext& ctx, int32_t date_hour, int32_t begin_date,
                      std::string& output_directory, int16_t station_row, int16_t output_format,
                      int16_t file_structure, bool first_file);

// Closes output_stream if it is an open file. A close that cannot write the buffered data
// reports "Write error: <reason>" on the error stream and ends the program (status 0).
void close_output_file(ProgramContext& ctx);

// Reports a write error of output_stream, if its error indicator is set, and ends the program
// (status 0); otherwise does nothing.
void check_write_error(ProgramContext& ctx);

}  // namespace wxfetch
