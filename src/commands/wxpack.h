// wxpack: builds an archive from a text description of soundings, imports real soundings into
// one, or writes support rows for the stations of outside station lists.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace wxfetch {

// Runs wxpack with the arguments (program name not included): standard input is `in` (a
// terminal when `input_terminal`), the summary and station rows go to `out`, messages to `err`.
// Returns the exit status: 0 done, 1 input skipped or nothing to write, 2 a usage or I/O error.
int run_wxpack(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, bool input_terminal);

}  // namespace wxfetch
