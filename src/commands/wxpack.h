// wxpack: builds an archive from a text description of soundings, imports real soundings into
// one, or writes support rows for the stations of outside station lists.
#pragma once

namespace wxfetch {

// Runs wxpack with the command line `argv` (argc words, the program's name first). Returns the
// exit status: 0 done, 1 input skipped or nothing imported, 2 a usage or I/O error.
int run_wxpack(int argc, char** argv);

}  // namespace wxfetch
