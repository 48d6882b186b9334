// wxplot's archive mode: the soundings of a request chosen with wxget's selection options
// (--archive, --support, --from, --to, --hours, the station options, --levels) go straight from
// the archive to wxplot's pictures, HTML page or indices, without a file in between.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace wxfetch {

// Runs wxplot with its command line: in archive mode with --archive, else on --input's file.
// Returns 0 when soundings were drawn, 1 when the request matched nothing (with the reason),
// 2 for a usage or I/O error.
int run_wxplot_command(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err);

}  // namespace wxfetch
