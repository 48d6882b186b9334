// wxfetch: interactive access to an archive of upper-air soundings.
#include <cstdio>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "dialogue/program.h"
#include "dialogue/startup.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  wxfetch::install_program_signal_handlers();
  try {
    auto ctx = std::make_unique<wxfetch::ProgramContext>(std::cin, std::cout, std::cerr);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return wxfetch::run_wxfetch(*ctx, args);
  } catch (const std::bad_alloc&) {
    // Before the program's context exists (run_wxfetch catches it after): as every fatal end.
    std::fputs(" ERROR: out of memory\n", stderr);
    return 0;
  }
}
