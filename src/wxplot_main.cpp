// wxplot: Skew-T log-p pictures and stability indices of soundings.
#include <iostream>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "commands/wxplot.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  wxfetch::install_program_signal_handlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return wxfetch::run_wxplot_command(args, std::cin, std::cout, std::cerr);
}
