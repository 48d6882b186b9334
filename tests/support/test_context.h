// Test support: a program context on string streams, and temporary directories.
#pragma once

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "program.h"

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

// Reads a whole file; "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// The project's source directory and the built wxfetch program.
std::filesystem::path source_dir();
std::filesystem::path wxfetch_binary();

}  // namespace wxfetch::testing
