// Ending a program from deep inside it: whatever ends the run throws ProgramExit, and the
// program's main routine catches it and returns its status, so that every owner on the way
// (an open output file, a temporary name) is closed as the stack unwinds.
#pragma once

namespace wxfetch {

// Thrown to end the program; carries the exit status.
struct ProgramExit {
  int status;
};

}  // namespace wxfetch
