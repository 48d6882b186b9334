// Output files: the files a run to files writes, one after another, into one directory. The
// writers start a new file when the driver says so; OutputFiles names it so that no file of the
// run replaces another, opens it in the output stream, closes the previous one and turns a write
// error into the end of the program. Its messages and its question when a file cannot be
// created go to an OutputFileReporter: on the console, or whatever a program without the
// dialogue gives.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "records/access_request.h"

namespace wxfetch {

struct StationEntry;
class OutputStream;

inline constexpr const char* MONTH_CODES[13] = {"",   "JA", "FE", "MA", "AP", "MY", "JU",
                                                "JL", "AG", "SE", "OC", "NO", "DE"};

class OutputFileReporter {
 public:
  virtual ~OutputFileReporter() = default;
  // The file `path` was opened and receives the soundings that follow.
  virtual void file_opened(const std::string& path) = 0;
  // No file can be created at `path` (errno tells why). Returns the directory to try instead
  // ("" or ending in "/"), or ends the program (throws) to give up.
  virtual std::string directory_after_failure(const std::string& path) = 0;
  // The output stream could not write its text (`error_number` tells why). Must end the program
  // (throw); the stream has been closed.
  virtual void write_failed(int error_number) = 0;
};

class OutputFiles {
 public:
  // Files go to `stream`, in `directory` ("" or ending in "/").
  OutputFiles(OutputStream& stream, OutputFileReporter& reporter, std::string directory)
      : stream_(stream), reporter_(reporter), directory_(std::move(directory)) {}

  OutputStream& stream() { return stream_; }
  // The directory files go to; the reporter may have replaced the one given.
  const std::string& directory() const { return directory_; }

  // A new run: its file names may repeat those of an earlier run (whose files they replace).
  void start_run() { written_names_.clear(); }
  // Closes the open file (close_file) and opens `name` in the directory; a name the run used
  // already gets "_2", "_3", ... before its extension. When the file cannot be created, asks the
  // reporter for another directory and tries again there.
  void open_file(const std::string& name);
  // Closes the stream's open file, if any; a failure to write its text goes to the reporter.
  void close_file();
  // For a writer that writes its files itself (NetCDF): closes the stream's open file and
  // returns the path open_file would open for `name`, reported as opened.
  std::string claim_path(const std::string& name);
  // Such a writer's file could not be written (`error_number` tells why): ends the program.
  [[noreturn]] void own_file_failed(int error_number);
  // Sends the stream's write error, if its error indicator is set, to the reporter.
  void check() {
    if (stream_error()) write_failed();
  }

 private:
  bool stream_error() const;
  [[noreturn]] void write_failed();
  std::string unused_path(const std::string& name);

  OutputStream& stream_;
  OutputFileReporter& reporter_;
  std::string directory_;
  std::set<std::string> written_names_;  // paths opened in this run
};

// The name (without directory) of an output file for a sounding at `date_hour` of `station` in
// a request beginning at `begin_date`: FAA604 files are named by month, day, year and hour; KVT
// files by the begin date when the whole request goes to one file, by station and date in the
// climatological sort, else by date.
std::string output_file_name(OutputFormat format, SortOrder sort, bool one_file, int32_t date_hour,
                             int32_t begin_date, const StationEntry& station);

}  // namespace wxfetch
