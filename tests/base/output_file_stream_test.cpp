// A file written through OutputFileStream takes its name only when finished: an unfinished one
// leaves the old file as it was and no temporary file beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/output_file.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;

TEST(OutputFileStream, TheNameChangesOnlyWhenTheFileIsFinished) {
  testing::TempDir work;
  const fs::path page = work.write("page.html", "old page\n");
  {
    auto unfinished = OutputFileStream::create(page.string());
    ASSERT_NE(unfinished, nullptr);
    *unfinished << std::string(200000, 'x');  // past the buffer: some of it is written already
  }
  EXPECT_EQ(testing::read_file(page), "old page\n");
  auto finished = OutputFileStream::create(page.string());
  ASSERT_NE(finished, nullptr);
  *finished << "new page\n";
  EXPECT_EQ(finished->finish(), 0);
  EXPECT_EQ(testing::read_file(page), "new page\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(work.path()), fs::directory_iterator()), 1);

  EXPECT_EQ(OutputFileStream::create((work.path() / "no-folder" / "x.html").string()), nullptr);
}

}  // namespace
}  // namespace wxfetch
