// End-to-end start-up: the built program run in a fresh directory with its replies piped in.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::source_dir;
using testing::TempDir;
using testing::wxfetch_binary;

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in `directory` with `args`, its standard input read from a file holding
// `replies`; returns its exit status and what it printed.
ProgramRun run_program(const TempDir& directory, const std::vector<std::string>& args,
                       const std::string& replies) {
  const auto replies_path = directory.write("replies.txt", replies);
  const auto out_path = directory.path() / "stdout.txt";
  const auto err_path = directory.path() / "stderr.txt";
  const std::string program = wxfetch_binary().string();
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());

  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (std::string& arg : argv_text) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int in = open(replies_path.c_str(), O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(directory.path().c_str()) != 0) {
      _exit(127);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ProgramRun run;
  int wait_status = 0;
  if (child > 0 && waitpid(child, &wait_status, 0) == child && WIFEXITED(wait_status)) {
    run.status = WEXITSTATUS(wait_status);
  }
  run.out = read_file(out_path);
  run.err = read_file(err_path);
  return run;
}

const std::string HELP_FILE_MISSING =
    "\x1b[2J ERROR: the file tefahelp.txt was not found in: ./ ./tefahelp.txt\n "
    "\n  Enter HELP for more information \n"
    "        <return> to exit this process\n"
    "\n  Your choice?  ";

const std::string GENERAL_OFFER =
    "\n\tEnter HELP for general information about this database"
    "\n\tEnter <return> to access the rawinsonde database"
    "\n\tYour choice:  ";

TEST(StartUpEndToEnd, WithoutArgumentsInAnEmptyDirectoryTheHelpFileIsMissing) {
  struct Case {
    const char* replies;
    bool usage;
  } cases[] = {{"\n", false}, {"", false}, {"HELP\n", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    TempDir dir;
    const ProgramRun run = run_program(dir, {}, c.replies);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with(HELP_FILE_MISSING)) << run.out;
    if (c.usage) {
      EXPECT_TRUE(run.out.ends_with(std::string(79, '-') + "\n")) << run.out;
      EXPECT_NE(run.out.find("  In order to access the tefa database"), std::string::npos);
    } else {
      EXPECT_EQ(run.out, HELP_FILE_MISSING);
    }
    EXPECT_EQ(run.err, "");
  }
}

TEST(StartUpEndToEnd, ShippedSupportFilesServeGeneralInformation) {
  TempDir dir;
  const std::string support = (source_dir() / "data/sample/support").string();
  // HELP at the general offer, then the input ends while the offer is shown again.
  const ProgramRun run = run_program(dir, {dir.dir(), support}, "HELP\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("\x1b[2J\t\t\tWelcome to the ZEMO/KVT Rawinsonde Database \n"))
      << run.out;
  const size_t first_offer = run.out.find(GENERAL_OFFER);
  ASSERT_NE(first_offer, std::string::npos);
  const size_t section = run.out.find("\n  This program reads an archive of upper-air soundings");
  EXPECT_GT(section, first_offer);
  EXPECT_NE(section, std::string::npos);
  EXPECT_TRUE(run.out.ends_with(GENERAL_OFFER)) << run.out;
  EXPECT_EQ(run.out.find("ERROR"), std::string::npos) << "the shipped files did not all load";
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace wxfetch
