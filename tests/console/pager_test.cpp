#include "console/pager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

const std::string PROMPT = " Enter <return> to scroll, 'a' to abort, 'c' to continue:  ";
const std::string GOODBYE = " Exiting radiosonde database ... \n";

// Writes `lines` numbered lines to the console, pausing after each, and returns the numbers of
// the lines after which the prompt appeared.
std::vector<int> pauses_after(TestProgram& program, int lines) {
  ProgramContext& ctx = *program.ctx;
  std::vector<int> pauses;
  for (int line = 1; line <= lines; ++line) {
    ctx.out << "line " << line << "\n";
    const size_t before = program.out.str().size();
    screen_pause(ctx);
    if (program.out.str().size() > before) pauses.push_back(line);
  }
  return pauses;
}

TEST(ScreenPause, PausesEveryPageLengthCountedLinesUntilToldToContinue) {
  struct Case {
    const char* name;
    int32_t page_length;
    int16_t output_location;
    const char* replies;
    std::vector<int> pauses;
  };
  const Case cases[] = {
      {"return scrolls", 20, 0, "\n\n", {20, 40}},
      {"any other reply scrolls", 20, 0, "xyz\n b\n", {20, 40}},
      {"c stops pausing", 20, 0, "c\n", {20}},
      {"C with more text stops pausing", 10, 0, "Cont\n", {10}},
      {"page length 1 pauses after every line", 1, 0, "\n\n\nc\n", {1, 2, 3, 4}},
      {"page length 0 never pauses", 0, 0, "", {}},
      {"negative page length never pauses", -5, 0, "", {}},
      {"files never pause", 20, 1, "", {}},
  };
  for (const Case& c : cases) {
    TestProgram program(c.replies);
    program.ctx->page_length = c.page_length;
    start_paging(*program.ctx, c.output_location == 0);
    EXPECT_EQ(pauses_after(program, 45), c.pauses) << c.name;
  }
}

TEST(ScreenPause, PromptsAfterTheLineThatFillsThePage) {
  TestProgram program("\n");
  program.ctx->page_length = 2;
  start_paging(*program.ctx, true);
  pauses_after(program, 3);
  EXPECT_EQ(program.output(), "line 1\nline 2\n" + PROMPT + "line 3\n");
}

TEST(ScreenPause, ANewRunPagesAgainAfterContinue) {
  TestProgram program("c\n\n");
  ProgramContext& ctx = *program.ctx;
  start_paging(ctx, true);
  EXPECT_EQ(pauses_after(program, 30), std::vector<int>{20});
  start_paging(ctx, true);
  EXPECT_EQ(pauses_after(program, 30), std::vector<int>{20});
}

TEST(ScreenPause, ARunToFilesAfterAScreenRunDoesNotPause) {
  TestProgram program("");
  start_paging(*program.ctx, true);
  pauses_after(program, 19);
  start_paging(*program.ctx, false);
  EXPECT_EQ(pauses_after(program, 30), std::vector<int>{});
}

TEST(ScreenPause, AbortEndsTheProgramWithStatus0) {
  for (const char* reply : {"a\n", "A\n", "abc\n"}) {
    TestProgram program(reply);
    start_paging(*program.ctx, true);
    int status = -1;
    int written = 0;
    try {
      for (; written < 45; ++written) screen_pause(*program.ctx);
    } catch (const ProgramExit& exit) {
      status = exit.status;
    }
    EXPECT_EQ(status, 0) << reply;
    EXPECT_EQ(written, 19) << reply;  // the 20th call aborted
    EXPECT_EQ(program.output(), PROMPT + GOODBYE) << reply;
  }
}

}  // namespace
}  // namespace wxfetch
