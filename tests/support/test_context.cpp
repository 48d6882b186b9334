#include "support/test_context.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace wxfetch::testing {

TestProgram::TestProgram(const std::string& replies)
    : in(replies), ctx(std::make_unique<ProgramContext>(in, out, err)) {
  codec_init(ctx->codec);
}

void TestProgram::set_replies(const std::string& replies) {
  in.clear();
  in.str(replies);
}

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("wxfetch-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& content) const {
  const auto file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary);
  stream << content;
  return file;
}

const std::string USAGE_TEXT =
    std::string(80, '-') + "\n" +
    "  In order to access the tefa database, two command line input parameters\n"
    "  are required:\n"
    "\tparameter #1:\tlocation (directory) of the database files\n"
    "\tparameter #2:\tlocation (directory) of the support files:\n"
    "\t                  -- tefahelp.txt\n"
    "\t                  -- stat2000.txt\n"
    "\t                  -- international_sites.txt\n"
    "\n  NOTE: default paths are the current directory\n\n" +
    std::string(79, '-') + "\n";

int run_shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string shell_quoted(const std::filesystem::path& path) {
  std::string word = "'";
  for (const char c : path.string()) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::filesystem::path source_dir() {
  return WXFETCH_SOURCE_DIR;
}
std::filesystem::path wxfetch_binary() {
  return WXFETCH_BINARY;
}

}  // namespace wxfetch::testing
