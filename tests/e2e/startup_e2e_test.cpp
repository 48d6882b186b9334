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

using testing::ProgramRun;

// Runs the program in the temporary directory (see testing::run_program).
ProgramRun run_program(const TempDir& directory, const std::vector<std::string>& args,
                       const std::string& replies) {
  return testing::run_program(directory.path(), args, replies);
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
