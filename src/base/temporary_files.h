// The output files a run is writing, under temporary names until they are finished, and their
// removal when the program is stopped by a signal. The names are kept in fixed storage, so that a
// signal handler can remove them without allocating.
#pragma once

#include <string>

namespace wxfetch {

// Output files written at the same time; a name beyond them is written but not removed at a
// signal.
constexpr int TEMPORARY_FILE_SLOTS = 8;

// Notes `path` as a temporary file of the run. Returns its slot, or -1 when no slot is free or
// the path is too long to keep.
int note_temporary_file(const std::string& path);
// Forgets the temporary file of `slot` (it was renamed or removed). -1 is no slot.
void forget_temporary_file(int slot);

// Makes SIGINT, SIGTERM and SIGHUP remove the noted temporary files and end the process with
// status 128 + the signal's number. A signal the process was started ignoring stays ignored.
void remove_temporary_files_on_signals();

// What every program installs first: SIGXFSZ ignored (past a file-size limit a write then fails
// with EFBIG, which is reported, instead of the process being killed with output lost), and the
// removal of the temporary files on SIGINT, SIGTERM and SIGHUP.
void install_program_signal_handlers();

}  // namespace wxfetch
