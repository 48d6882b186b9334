// wxget: the soundings of one request from an upper-air archive, from the command line.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "commands/wxget.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Past a file-size limit a write then fails with EFBIG, which is reported, instead of the
  // process being killed with output lost.
  std::signal(SIGXFSZ, SIG_IGN);
  // An interrupted run leaves no output file under a temporary name.
  wxfetch::remove_temporary_files_on_signals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return wxfetch::run_wxget(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
