// wxls: what an upper-air archive holds.
#include <iostream>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "commands/wxls.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  wxfetch::install_program_signal_handlers();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return wxfetch::run_wxls(args, std::cout, std::cerr);
}
