#include "console/console.h"

namespace wxfetch {

Console::Console(std::istream& console_in, std::ostream& console_out, std::ostream& console_err)
    : in(console_in), out(console_out), err(console_err) {}

void Console::end_program(int status) {
  out.flush();
  if (before_exit) before_exit();
  throw ProgramExit{status};
}

}  // namespace wxfetch
