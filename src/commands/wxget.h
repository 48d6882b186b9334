// The wxget program: one request from the command line, written in a text format (byte for byte
// what wxfetch writes for the same request, with the same file names) or an open format (CSV,
// JSON Lines), into files or on standard output.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace wxfetch {

// Runs wxget with the arguments (program name not included). Soundings or the station list go
// to `out` (for --output -), messages, the progress line (only when `terminal` says that `err`
// is a terminal, and not --quiet) and the summary to `err`. Returns 0 when soundings were
// written (or stations listed), 1 when the request matched nothing (the reason in one line),
// 2 for a usage or I/O error.
int run_wxget(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool terminal);

}  // namespace wxfetch
