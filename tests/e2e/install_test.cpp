// cmake --install of this build into a fresh prefix: the two programs, the manual pages, the
// sample support files and the sample archive land where the manual pages say, the installed
// program starts on the installed files, and both pages render with man -l.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;

using testing::run_shell;
using testing::shell_quoted;

fs::path build_dir() {
  return testing::wxfetch_binary().parent_path();
}

// The cmake program that configured this build, from the build's cache.
std::string cmake_command() {
  std::istringstream cache(read_file(build_dir() / "CMakeCache.txt"));
  const std::string key = "CMAKE_COMMAND:INTERNAL=";
  std::string line;
  while (std::getline(cache, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(key.size());
  }
  return "cmake";
}

// The relative paths of the regular files below `root`, sorted.
std::vector<std::string> files_below(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool is_executable(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR);
}

class Install : public ::testing::Test {
 protected:
  // One installation for all cases of this file.
  static void SetUpTestSuite() {
    prefix_ = std::make_unique<TempDir>();
    const fs::path log = prefix_->path() / "install.log";
    status_ = run_shell(shell_quoted(cmake_command()) + " --install " + shell_quoted(build_dir()) +
                        " --prefix " + shell_quoted(prefix_->path() / "usr") + " >" +
                        shell_quoted(log) + " 2>&1");
    log_ = read_file(log);
  }
  static void TearDownTestSuite() { prefix_.reset(); }

  static fs::path installed(const std::string& relative) {
    return prefix_->path() / "usr" / relative;
  }

  static std::unique_ptr<TempDir> prefix_;
  static int status_;
  static std::string log_;
};

std::unique_ptr<TempDir> Install::prefix_;
int Install::status_ = -1;
std::string Install::log_;

TEST_F(Install, PlacesProgramsPagesSupportFilesAndTheSampleArchive) {
  ASSERT_EQ(status_, 0) << log_;
  for (const char* program : {"bin/wxfetch", "bin/wxpack", "bin/wxget", "bin/wxls"}) {
    EXPECT_TRUE(is_executable(installed(program))) << program;
  }
  for (const char* page : {"wxfetch.1", "wxpack.1", "wxget.1", "wxls.1"}) {
    // The pages carry the program's version in their title line.
    EXPECT_NE(read_file(testing::source_dir() / "man" / page)
                  .find(std::string("\"wxfetch ") + WXFETCH_VERSION + "\""),
              std::string::npos)
        << page;
    EXPECT_EQ(read_file(installed(std::string("share/man/man1/") + page)),
              read_file(testing::source_dir() / "man" / page))
        << page;
  }
  const fs::path support = testing::source_dir() / "data" / "sample" / "support";
  EXPECT_EQ(files_below(installed("share/wxfetch/support")), files_below(support));
  for (const char* name : {"tefahelp.txt", "stat2000.txt", "international_sites.txt"}) {
    EXPECT_EQ(read_file(installed(std::string("share/wxfetch/support/") + name)),
              read_file(support / name))
        << name;
  }
  const std::vector<std::string> archive = files_below(build_dir() / "sample" / "archive");
  ASSERT_FALSE(archive.empty());
  EXPECT_EQ(files_below(installed("share/wxfetch/archive")), archive);
}

TEST_F(Install, InstalledProgramStartsOnTheInstalledFiles) {
  ASSERT_EQ(status_, 0) << log_;
  const fs::path transcript = prefix_->path() / "transcript.txt";
  // One empty reply passes the general information offer; the input then ends at the first
  // question, which ends the program with status 0.
  const int status = run_shell("printf '\\n' | " + shell_quoted(installed("bin/wxfetch")) + " " +
                               shell_quoted(installed("share/wxfetch/archive")) + " " +
                               shell_quoted(installed("share/wxfetch/support")) + " >" +
                               shell_quoted(transcript) + " 2>&1");
  EXPECT_EQ(status, 0);
  const std::string output = read_file(transcript);
  EXPECT_NE(output.find("is available for the years:  1998 thru 1999"), std::string::npos)
      << output;
  EXPECT_NE(output.find("What is the beginning date? YYYYMMDDHH [1998010100]"), std::string::npos)
      << output;
}

TEST_F(Install, ManualPagesRenderWithoutWarnings) {
  ASSERT_EQ(status_, 0) << log_;
  if (run_shell("command -v man >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "man is not installed (Debian package man-db)";
  }
  struct Page {
    const char* file;
    const char* name_line;
  };
  const Page pages[] = {
      {"wxfetch.1", "wxfetch - interactive access to an archive of upper-air soundings"},
      {"wxpack.1", "wxpack - write or import upper-air soundings into an archive"},
      {"wxplot.1", "wxplot - Skew-T pictures and stability indices of upper-air soundings"},
      {"wxget.1", "wxget - soundings of one request from an upper-air archive"},
      {"wxls.1", "wxls - what an upper-air archive holds"},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.file);
    const fs::path text = prefix_->path() / (std::string(page.file) + ".txt");
    const fs::path warnings = prefix_->path() / (std::string(page.file) + ".warnings");
    const int status =
        run_shell("LC_ALL=C MANPAGER=cat PAGER=cat MANWIDTH=80 man --warnings -l " +
                  shell_quoted(installed(std::string("share/man/man1/") + page.file)) + " >" +
                  shell_quoted(text) + " 2>" + shell_quoted(warnings));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(warnings), "");
    const std::string rendered = read_file(text);
    for (const char* heading : {"NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "EXAMPLES"}) {
      EXPECT_NE(rendered.find(std::string("\n") + heading + "\n"), std::string::npos) << heading;
    }
    EXPECT_NE(rendered.find(page.name_line), std::string::npos) << rendered.substr(0, 400);
  }
}

}  // namespace
}  // namespace wxfetch
