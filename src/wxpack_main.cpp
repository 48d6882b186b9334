// wxpack: writes sounding archives and imports real soundings into them.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "commands/wxpack.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  wxfetch::install_program_signal_handlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return wxfetch::run_wxpack(args, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1);
}
