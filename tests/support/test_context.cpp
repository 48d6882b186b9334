#include "support/test_context.h"

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
