// Where a driver's messages go. A driver prints nothing itself: its status and progress lines,
// its warnings, the failures of the runtime and the "no files" dialogue go to the reporter it is
// given. ConsoleReporter prints them on the console as the interactive program shows them; a
// program without the dialogue gives its own (progress on the error stream, silence, or a
// failure in place of a question).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace wxfetch {

class ExtractionReporter {
 public:
  virtual ~ExtractionReporter() = default;

  // A status line of the run (" STATUS:  ...", a warning about the request, the totals), whole,
  // with its line end ("\r" for a line that the next one overwrites).
  virtual void status(std::string_view line) = 0;
  // A progress line that comes with every sounding written to files: `first` and
  // `first_number`, then (when `second` is not empty) `second` and `second_number`, then "\r".
  // Given in pieces, so that a quiet reporter formats nothing.
  virtual void progress(std::string_view first, long first_number, std::string_view second,
                        long second_number) = 0;
  // A warning about the archive (a file that cannot be opened, a damaged record), whole, with its
  // line end.
  virtual void warning(std::string_view line) = 0;
  // A failure of the runtime (a seek, a temporary file): `text` and the reason errno gives.
  virtual void failure(const char* text) = 0;
  // No database file of the request could be opened under `database_directory`.
  virtual void no_files_open(const std::string& database_directory) = 0;
  // The run ran out of memory; the writer's output has been closed. Returning lets the
  // std::bad_alloc go on to the driver's caller; a reporter may end the program instead.
  virtual void out_of_memory() {}
};

// Writes a progress line as ExtractionReporter::progress describes it, as printing its pieces
// with "%s%ld%s%ld\r" would (each text cut to 40 characters). These lines come with every
// sounding written to files, so they are formatted by hand.
void write_progress(std::ostream& out, std::string_view first, long first_number,
                    std::string_view second = {}, long second_number = 0);

}  // namespace wxfetch
