// Reading replies: one line of the console at a time, as into a buffer of REPLY_BUFFER
// characters; the same piece reading serves the help file and list files.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "base/input_file.h"

namespace wxfetch {

struct Console;

// Replies and pieces of the help file are read as into a buffer of this many characters.
constexpr size_t REPLY_BUFFER = 80;

// Reads one reply line from the console into `reply`: at most 79 characters, of which the last
// one (normally the line end) is removed; a rest of a longer line is read as the next reply. A
// last line without a line end is taken whole; a carriage return before the line end is removed.
// The reply ends at its first NUL byte. At the end of input, ends the program (status 0).
void read_reply(Console& ctx, std::string& reply);

}  // namespace wxfetch
