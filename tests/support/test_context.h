// Test support: a program context on string streams, and temporary directories.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "database/archive_names.h"
#include "database/codec.h"
#include "dialogue/program.h"
#include "output/output_stream.h"
#include "records/access_request.h"
#include "records/sounding.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch::testing {

// A program context whose console is string streams: `replies` is what the user types.
struct TestProgram {
  explicit TestProgram(const std::string& replies = "");
  // The context refers to the streams of this object, which therefore never moves.
  TestProgram(const TestProgram&) = delete;
  TestProgram& operator=(const TestProgram&) = delete;
  // Everything printed on the console (standard output) so far.
  std::string output() const { return out.str(); }
  std::string errors() const { return err.str(); }
  // Replaces what the user types from now on.
  void set_replies(const std::string& replies);

  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  std::unique_ptr<ProgramContext> ctx;
};

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The directory as a text ending in "/", as the program keeps directories.
  std::string dir() const { return path_.string() + "/"; }
  // Writes `content` to the file `name` below the directory (creating folders) and returns its
  // path.
  std::filesystem::path write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// The usage text that HELP prints where the program's location is asked about.
extern const std::string USAGE_TEXT;

// Runs `command` through the shell; returns its exit status (-1 when it did not exit).
int run_shell(const std::string& command);
// The path as one shell word.
std::string shell_quoted(const std::filesystem::path& path);

// How run_program runs the built program.
struct RunOptions {
  std::optional<unsigned long> file_size_limit;  // RLIMIT_FSIZE of the child, in bytes
  std::optional<unsigned long> memory_limit;     // RLIMIT_AS of the child, in bytes
  std::optional<std::filesystem::path> console;  // standard output, if not a file of the run
  unsigned hang_seconds = 120;                   // a run still going then is killed as hung
};

// What a run of the built program did.
struct ProgramRun {
  int status = -1;    // exit status; -1 when the program did not exit by itself
  bool hung = false;  // killed by the safety alarm
  int signal = 0;     // the signal that ended it, if any
  std::string out;
  std::string err;
};

// Runs the built wxfetch in `directory` with `args`, its standard input read from a file holding
// `replies` and its output kept in files of the directory.
ProgramRun run_program(const std::filesystem::path& directory, const std::vector<std::string>& args,
                       const std::string& replies, const RunOptions& options = {});

// Reads a whole file; "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// The project's source directory and the built wxfetch program.
std::filesystem::path source_dir();
std::filesystem::path wxfetch_binary();

}  // namespace wxfetch::testing
