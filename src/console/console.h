// The console: the streams a program talks on, the page length, the open help file and the
// screen pager's state. The lowest layer: it knows nothing of requests, stations, the archive or
// the output, and reaches the station history browser only through the hook the program
// installs.
//
// Ending the program (a help topic missing, an abort at the pager, EXIT at a dialogue, the end of
// the replies) is `end_program`, which throws `ProgramExit`; the program's main routine catches it
// and returns its status.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>

#include "base/program_exit.h"

namespace wxfetch {

struct PagingState {
  bool paging_on = false;
  int32_t lines_since_pause = 0;
};

struct Console {
  Console(std::istream& console_in, std::ostream& console_out, std::ostream& console_err);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Flushes the console, runs `before_exit` and unwinds to the program's main routine with
  // `status`.
  [[noreturn]] void end_program(int status);

  std::istream& in;
  std::ostream& out;
  std::ostream& err;

  int32_t page_length = 20;  // lines per screen page; 0 or less never pauses
  // The keyword help file, open for the whole run (null until start-up opened it).
  std::unique_ptr<std::istream> help_file;
  PagingState paging;

  // The reply STAT at any question runs this (the station history browser); unset, STAT is
  // served by doing nothing.
  std::function<void()> station_history;
  // Run by end_program before it unwinds (the program closes its output here).
  std::function<void()> before_exit;
};

}  // namespace wxfetch
