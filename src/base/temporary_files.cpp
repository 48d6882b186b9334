#include "base/temporary_files.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace wxfetch {

namespace {

constexpr size_t MAX_PATH_BYTES = 4096;

// Written by the main thread only; read by the signal handler, which sees a slot's path only
// after it has been written completely (the flag is set after it).
char temporary_paths[TEMPORARY_FILE_SLOTS][MAX_PATH_BYTES];
volatile std::sig_atomic_t slot_used[TEMPORARY_FILE_SLOTS];

extern "C" void remove_and_exit(int signal_number) {
  for (int i = 0; i < TEMPORARY_FILE_SLOTS; ++i) {
    if (slot_used[i] != 0) ::unlink(temporary_paths[i]);
  }
  ::_exit(128 + signal_number);
}

}  // namespace

int note_temporary_file(const std::string& path) {
  if (path.size() >= MAX_PATH_BYTES) return -1;
  for (int i = 0; i < TEMPORARY_FILE_SLOTS; ++i) {
    if (slot_used[i] != 0) continue;
    std::memcpy(temporary_paths[i], path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot_used[i] = 1;
    return i;
  }
  return -1;
}

void forget_temporary_file(int slot) {
  if (slot >= 0 && slot < TEMPORARY_FILE_SLOTS) slot_used[slot] = 0;
}

void remove_temporary_files_on_signals() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    if (::sigaction(signal_number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = remove_and_exit;
    sigemptyset(&action.sa_mask);
    // The other two wait while the handler removes the files.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGHUP);
    ::sigaction(signal_number, &action, nullptr);
  }
}

void install_program_signal_handlers() {
  std::signal(SIGXFSZ, SIG_IGN);
  remove_temporary_files_on_signals();
}

}  // namespace wxfetch
