// The two keywords every question accepts: HELP (or help) prints the question's section of the
// help file, STAT (or stat) runs the station history hook of the console.
//
// Help file format: a section is a line whose first 10 characters are those of its topic
// keyword, the section's text lines, and an end line beginning with "END". The file is read in
// pieces of at most 79 characters; text outside sections is never printed.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace wxfetch {

struct Console;

// Serves a help or station history request. Returns 1 when `reply` was HELP/help (the section of
// `topic` printed, or the usage text for SOFTWARE_LOCATION) or STAT/stat (the console's station
// history hook run), 0 otherwise (nothing printed). A topic missing from the help file prints " END
// OF FILE" and ends the program (status 0). The pause inside a long section reads into `reply`.
int16_t KeywordHelp(Console& ctx, std::string& reply, std::string_view topic);

// Prints the usage text (how to start the program), which needs no help file.
void print_usage_text(std::ostream& out);

// Prints the usage text of `wxfetch --help`: the same text with a line on the optional third
// argument, the page length.
void print_command_line_help(std::ostream& out);

}  // namespace wxfetch
