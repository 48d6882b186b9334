// The command line: "--help" and "--version" alone answer at once; every other command line
// starts the program as usual.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "console/keyword_help.h"
#include "console/reply.h"
#include "dialogue/startup.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

const std::string ERASE_DISPLAY = "\x1b[2J";
const std::string PAGE_LENGTH_LINE =
    "\tparameter #3:\tlines per screen page (optional, default 20)\n";

std::string usage_text() {
  std::ostringstream out;
  print_usage_text(out);
  return out.str();
}

std::string command_line_help() {
  std::ostringstream out;
  print_command_line_help(out);
  return out.str();
}

TEST(CommandLine, HelpAndVersionAloneAnswerWithoutStartingTheProgram) {
  struct Case {
    std::string argument;
    std::string expected;
  };
  const Case cases[] = {
      {"--help", command_line_help()},
      {"-h", command_line_help()},
      {"--version", std::string("wxfetch ") + WXFETCH_VERSION + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    // Replies the program would read if it started: none may be consumed.
    TestProgram program("HELP\n\n");
    EXPECT_EQ(run_wxfetch(*program.ctx, {c.argument}), 0);
    EXPECT_EQ(program.output(), c.expected);
    EXPECT_EQ(program.errors(), "");
    EXPECT_EQ(program.in.tellg(), 0);
  }
}

TEST(CommandLine, HelpIsTheUsageTextWithThePageLengthBeforeTheNote) {
  const std::string usage = usage_text();
  const std::string help = command_line_help();
  const size_t at = help.find(PAGE_LENGTH_LINE);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(help.substr(0, at) + help.substr(at + PAGE_LENGTH_LINE.size()), usage);
  // It follows the support files and comes before the note on default paths.
  const std::string before = "\t                  -- international_sites.txt\n";
  ASSERT_GE(at, before.size());
  EXPECT_EQ(help.substr(at - before.size(), before.size()), before);
  EXPECT_EQ(help.compare(at + PAGE_LENGTH_LINE.size(), 8, "\n  NOTE:"), 0);
  // The help keyword at the start-up failure dialogues keeps the two-parameter text.
  EXPECT_EQ(usage.find("parameter #3"), std::string::npos);
}

TEST(CommandLine, OtherCommandLinesStartTheProgramAsBefore) {
  struct Case {
    std::vector<std::string> args;
    std::string support_shown;
  };
  // The help file is looked for in each support directory and is missing there, so the program
  // clears the screen, reports it, reads one reply and ends with status 0.
  const Case cases[] = {
      {{"--help", "no-such-support"}, "no-such-support/"},
      {{"no-such-archive", "--version"}, "--version/"},
      {{"-h", "no-such-support"}, "no-such-support/"},
      {{"--HELP", "no-such-support"}, "no-such-support/"},
      // One argument other than the two words: the support files in the current directory.
      {{"--helpme"}, "<current directory>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    TestProgram program("\n");
    EXPECT_EQ(run_wxfetch(*program.ctx, c.args), 0);
    const std::string output = program.output();
    EXPECT_EQ(output.rfind(ERASE_DISPLAY, 0), 0u);
    EXPECT_NE(output.find(" ERROR: the file tefahelp.txt was not found in: " + c.support_shown),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("parameter #3"), std::string::npos);
  }
}

TEST(CommandLine, FourArgumentsAreIgnoredEvenWhenOneIsHelp) {
  // Four arguments are all ignored: the support files are looked for in "./".
  TestProgram program("\n");
  EXPECT_EQ(run_wxfetch(*program.ctx, {"--help", "a", "b", "c"}), 0);
  EXPECT_EQ(program.output().rfind(ERASE_DISPLAY, 0), 0u);
  EXPECT_NE(program.output().find("not found in: ./ ./tefahelp.txt"), std::string::npos);
}

// Runs `command` through the shell; returns its standard output and sets its exit status.
std::string run_command(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

TEST(BuiltProgram, AnswersHelpAndVersionWithStatusZero) {
  const std::string binary = "'" + testing::wxfetch_binary().string() + "'";
  int status = -1;
  EXPECT_EQ(run_command(binary + " --version </dev/null", status),
            std::string("wxfetch ") + WXFETCH_VERSION + "\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(run_command(binary + " --help </dev/null", status), command_line_help());
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace wxfetch
