// What a run of wxget reports: the drivers' warnings and failures on the error stream, the
// output files it opened, a progress line on a terminal (files done of the total, soundings,
// elapsed and estimated remaining time) and the failures that end the run with status 2.
// The drivers' status lines and per-sounding progress belong to the dialogue and are dropped.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <unordered_map>

#include "cli/request.h"
#include "extraction/reporter.h"
#include "output/output_files.h"
#include "output/sounding_writer.h"

namespace wxfetch {

// Ends a run: an output file that cannot be created or written. `message` names the file and the
// system's reason.
struct RunFailure {
  std::string message;
};

class GetReporter : public ExtractionReporter, public OutputFileReporter {
 public:
  // A damaged file gives a warning per record: the first ones are shown, the rest counted.
  static constexpr long MAX_WARNINGS = 10;

  // Messages go to `err`, prefixed with "<program>: "; the progress line only when
  // `show_progress`. `plan` and `stations` say how far a sounding lies into the run.
  GetReporter(std::ostream& err, std::string program, bool show_progress, const FilePlan& plan,
              const SelectedStations& stations, SortOrder sort);

  void status(std::string_view) override {}
  void progress(std::string_view, long, std::string_view, long) override {}
  // "<program>: warning: ..." with the driver's text; after MAX_WARNINGS only counted.
  void warning(std::string_view line) override;
  // "<program>: <text>: <system's reason>"; the run then ends with status 2.
  void failure(const char* text) override;
  // The file plan has named the cause of a run without files before the run began.
  void no_files_open(const std::string&) override {}

  void file_opened(const std::string& path) override;
  // Throw RunFailure: wxget asks no question.
  [[noreturn]] std::string directory_after_failure(const std::string& path) override;
  [[noreturn]] void write_failed(int error_number) override;

  // One sounding handed to the writer, at `date_hour` (YYYYMMDDHH) of the station `wban`.
  void sounding(int32_t date_hour, int32_t wban);
  // Clears the progress line, says how many warnings were not shown, and returns the summary: "N
  // soundings in F files, S.SS s" (or "on standard output" for a run that writes no files).
  std::string finish(bool to_files);

  long soundings() const { return soundings_; }
  int files() const { return files_; }
  bool failed() const { return failed_; }

 private:
  void show_progress(int32_t date_hour, int32_t wban);
  // The part of the run done at a sounding of `wban` at `date_hour`, in files.
  double files_done(int32_t date_hour, int32_t wban) const;

  std::ostream& err_;
  const std::string program_;
  const bool show_progress_;
  const FilePlan& plan_;
  const SortOrder sort_;
  std::unordered_map<int32_t, int> station_index_;  // by WBAN number
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point shown_ = start_;
  long soundings_ = 0;
  int files_ = 0;
  long warnings_ = 0;
  std::string path_ = "standard output";  // where the text goes
  bool failed_ = false;
  bool line_shown_ = false;
};

// Hands every sounding to `writer` and tells `reporter` of it.
class CountingWriter : public SoundingWriter {
 public:
  CountingWriter(SoundingWriter& writer, GetReporter& reporter)
      : writer_(writer), reporter_(reporter) {}
  void begin(const AccessRequest& request) override { writer_.begin(request); }
  void start_file(int32_t date_hour, const StationRow& station) override {
    writer_.start_file(date_hour, station);
  }
  void write(const Sounding& sounding, const StationRow& station) override;
  void end() override { writer_.end(); }

 private:
  SoundingWriter& writer_;
  GetReporter& reporter_;
};

}  // namespace wxfetch
