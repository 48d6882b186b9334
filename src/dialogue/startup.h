// Start-up: reads the command line, opens the help file, loads the station catalogue, greets the
// user, finds the database years and runs the request dialogue.
#pragma once

#include <string>
#include <vector>

namespace wxfetch {

struct ProgramContext;

// Sets database_directory, support_directory and page_length from the arguments (program name
// not included) and appends the directory separator where it is missing.
void read_command_line(ProgramContext& ctx, const std::vector<std::string>& args);

// Runs the whole program on `ctx` with the arguments (program name not included). Returns the
// exit status: the last extraction's result after the normal end of the dialogue, 0 at every
// early end. A lone "--help" prints the usage text and a lone "--version" the program's name and
// version (WXFETCH_VERSION), both with status 0 and nothing else printed.
int run_wxfetch(ProgramContext& ctx, const std::vector<std::string>& args);

}  // namespace wxfetch
