// The interactive program's side of the output and the drivers: the console reporters of the
// extraction drivers and the output files, the screen pager the text writers count their lines
// with, and the question for the output directory.
#pragma once

#include <string>
#include <string_view>

#include "extraction/reporter.h"
#include "output/output_files.h"
#include "output/screen_pager.h"

namespace wxfetch {

struct Console;
class OutputStream;

// The interactive program's reporter: status and progress lines on the console's standard
// output, warnings and failures on its error stream, and the NO_FILES_OPEN dialogue.
class ConsoleReporter : public ExtractionReporter {
 public:
  explicit ConsoleReporter(Console& console) : console_(console) {}

  void status(std::string_view line) override;
  void progress(std::string_view first, long first_number, std::string_view second,
                long second_number) override;
  void warning(std::string_view line) override;
  void failure(const char* text) override;
  // Prints the warning and serves one reply: HELP shows the NO_FILES_OPEN section.
  void no_files_open(const std::string& database_directory) override;
  // " ERROR: out of memory" on the error stream; ends the program (status 0).
  [[noreturn]] void out_of_memory() override;

 private:
  Console& console_;
};

// The interactive program's reporter: the STATUS line on the console, the NO_DIRECTORY dialogue
// (which asks for another directory or ends the program) and "Write error: <reason>" on the
// error stream, which ends the program (status 0).
class ConsoleFileReporter : public OutputFileReporter {
 public:
  ConsoleFileReporter(Console& console, OutputStream& stream)
      : console_(console), stream_(stream) {}
  void file_opened(const std::string& path) override;
  std::string directory_after_failure(const std::string& path) override;
  [[noreturn]] void write_failed(int error_number) override;

 private:
  Console& console_;
  OutputStream& stream_;
};

// Pages the console while a run writes to the screen: every page_length counted lines it asks
// whether to scroll on, to stop pausing or to abort (which ends the program).
class ConsolePager : public ScreenPager {
 public:
  explicit ConsolePager(Console& console) : console_(console) {}
  void start(bool on_screen) override;
  void count_line() override;
  bool on() const override;

 private:
  Console& console_;
};

// Asks where the output files go, showing `directory` as the default: the reply's first word
// replaces the directory, which then ends in the separator unless it is empty.
void ask_output_directory(Console& console, std::string& directory);

}  // namespace wxfetch
