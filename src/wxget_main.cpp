// wxget: the soundings of one request from an upper-air archive, from the command line.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "commands/wxget.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  wxfetch::install_program_signal_handlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return wxfetch::run_wxget(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
