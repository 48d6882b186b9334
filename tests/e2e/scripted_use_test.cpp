// The README's scripted example, run as written: the command line is taken from README.md and
// run by the shell in a fresh directory where build/default and data lead to this build and to
// the source tree's data, so the replies file it names is the one in the repository.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The README's command of its scripted example: the code line that pipes a replies file of
// data/sample/ into build/default/wxfetch.
std::string readme_command() {
  std::istringstream readme(read_file(testing::source_dir() / "README.md"));
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("    ", 0) != 0) continue;  // code lines only
    if (line.find("grep -v '^#' data/sample/") == std::string::npos) continue;
    if (line.find("| build/default/wxfetch ") == std::string::npos) continue;
    return line.substr(line.find_first_not_of(' '));
  }
  return "";
}

// The lines of the README's code block that follows the paragraph beginning with `lead`, without
// a closing "..." line.
std::vector<std::string> readme_excerpt(const std::string& lead) {
  std::istringstream readme(read_file(testing::source_dir() / "README.md"));
  std::string line;
  while (std::getline(readme, line) && line.rfind(lead, 0) != 0) {
  }
  while (std::getline(readme, line) && line != "```") {
  }
  std::vector<std::string> lines;
  while (std::getline(readme, line) && line != "```") lines.push_back(line);
  if (!lines.empty() && lines.back() == "...") lines.pop_back();
  return lines;
}

std::vector<std::string> words_of(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

// One KVT block: its four header lines and its level lines, split into words.
struct KvtBlock {
  std::vector<std::vector<std::string>> lines;
};

std::vector<KvtBlock> kvt_blocks(const std::string& text) {
  std::vector<KvtBlock> blocks;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    std::vector<std::string> words = words_of(line);
    if (!words.empty() && words[0] == "254") blocks.emplace_back();
    if (blocks.empty()) return {};  // text before the first block: not KVT
    blocks.back().lines.push_back(std::move(words));
  }
  return blocks;
}

TEST(ScriptedUse, TheReadmeExampleWritesTheMonthOfStation72469AsKvtBlocks) {
  const std::string command = readme_command();
  ASSERT_NE(command, "") << "README.md has no scripted example command";

  const fs::path build = testing::wxfetch_binary().parent_path();
  ASSERT_TRUE(fs::exists(build / "sample" / "archive")) << "the sample archive was not generated";
  TempDir work;
  fs::create_directories(work.path() / "build");
  fs::create_directory_symlink(build, work.path() / "build" / "default");
  fs::create_directory_symlink(testing::source_dir() / "data", work.path() / "data");

  const int status = run_shell("cd " + shell_quoted(work.path()) + " && " + command + " >" +
                               shell_quoted(work.path() / "transcript.txt") + " 2>" +
                               shell_quoted(work.path() / "errors.txt"));
  const std::string transcript = read_file(work.path() / "transcript.txt");
  EXPECT_EQ(read_file(work.path() / "errors.txt"), "");

  // One station per file: one file, named by the WMO number, the initials and the first
  // sounding of the month.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work.path() / "out")) {
    names.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(names, std::vector<std::string>{"72469_DNR_1999030100.txt"}) << transcript;

  const std::vector<KvtBlock> blocks = kvt_blocks(read_file(work.path() / "out" / names[0]));
  ASSERT_GT(blocks.size(), 40u);
  // The exit status is the number of soundings written, as the shell sees it.
  EXPECT_EQ(status, static_cast<int>(blocks.size() % 256));
  EXPECT_NE(transcript.find(" STATUS:  Writing output file: out/72469_DNR_1999030100.txt"),
            std::string::npos);
  EXPECT_NE(transcript.find(
                " STATUS:  number of soundings written: " + std::to_string(blocks.size()) + " "),
            std::string::npos);

  // The README shows the start of this file and the exit status as the program gives them.
  const std::vector<std::string> excerpt =
      readme_excerpt("The start of `out/72469_DNR_1999030100.txt`");
  ASSERT_FALSE(excerpt.empty()) << "README.md shows no excerpt of the file";
  std::istringstream file(read_file(work.path() / "out" / names[0]));
  for (const std::string& shown : excerpt) {
    std::string written;
    std::getline(file, written);
    EXPECT_EQ(shown, written) << "README.md's excerpt differs from the file written";
  }
  EXPECT_NE(
      read_file(testing::source_dir() / "README.md").find("shows " + std::to_string(status) + ";"),
      std::string::npos)
      << "README.md does not show the exit status " << status;

  long previous = 0;
  for (const KvtBlock& block : blocks) {
    ASSERT_GE(block.lines.size(), 5u);
    const auto& head = block.lines[0];  // 254 hour day month year
    ASSERT_EQ(head.size(), 5u);
    EXPECT_EQ(head[3], "MAR");
    EXPECT_EQ(head[4], "1999");
    const long date = std::stol(head[2]) * 100 + std::stol(head[1]);
    EXPECT_GT(date, previous) << "soundings out of time order";
    previous = date;
    // Station line: WBAN and WMO number of Denver.
    ASSERT_GE(block.lines[1].size(), 3u);
    EXPECT_EQ(block.lines[1][0], "1");
    EXPECT_EQ(block.lines[1][1], "23062");
    EXPECT_EQ(block.lines[1][2], "72469");
    // The type 2 line counts the lines of the block; the type 3 line names the wind unit.
    ASSERT_GE(block.lines[2].size(), 5u);
    EXPECT_EQ(block.lines[2][4], std::to_string(block.lines.size()));
    EXPECT_EQ(block.lines[3].front(), "3");
    EXPECT_EQ(block.lines[3].back(), "kt");
    for (size_t i = 4; i < block.lines.size(); ++i) {
      ASSERT_EQ(block.lines[i].size(), 7u);
      const int kind = std::stoi(block.lines[i][0]);
      EXPECT_TRUE(kind >= 4 && kind <= 9) << "level kind " << kind;
    }
    EXPECT_EQ(block.lines[4][0], "9") << "a sounding begins at the surface";
  }
}

// The replies of a text: its lines that do not begin with '#'.
std::vector<std::string> replies_of(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> replies;
  std::string line;
  while (std::getline(stream, line)) {
    if (line.rfind('#', 0) != 0) replies.push_back(line);
  }
  return replies;
}

TEST(ScriptedUse, TheManualPageShowsTheRepliesOfTheRepositoryFile) {
  const std::string page = read_file(testing::source_dir() / "man" / "wxfetch.1");
  const size_t example = page.find("This file asks for every sounding of WMO station 72469");
  ASSERT_NE(example, std::string::npos);
  const size_t begin = page.find(".nf\n", example);
  const size_t end = page.find(".fi\n", begin);
  ASSERT_NE(end, std::string::npos);
  const std::string listing = page.substr(begin + 4, end - begin - 4);
  EXPECT_EQ(replies_of(listing),
            replies_of(read_file(testing::source_dir() / "data/sample/request-72469-month.txt")));
}

}  // namespace
}  // namespace wxfetch
