#include "support/test_context.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace wxfetch::testing {

TestProgram::TestProgram(const std::string& replies)
    : in(replies), ctx(std::make_unique<ProgramContext>(in, out, err)) {}

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

ProgramRun run_program(const std::filesystem::path& directory, const std::vector<std::string>& args,
                       const std::string& replies, const RunOptions& options) {
  const std::filesystem::path replies_path = directory / "replies.txt";
  std::ofstream(replies_path, std::ios::binary) << replies;
  const std::filesystem::path out_path = directory / "stdout.txt";
  const std::filesystem::path err_path = directory / "stderr.txt";
  std::string program = wxfetch_binary().string();
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());

  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (std::string& arg : argv_text) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int in = open(replies_path.c_str(), O_RDONLY);
    const int out =
        open(options.console.value_or(out_path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(directory.c_str()) != 0) {
      _exit(127);
    }
    if (options.file_size_limit) {
      const rlimit limit{*options.file_size_limit, *options.file_size_limit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    if (options.memory_limit) {
      const rlimit limit{*options.memory_limit, *options.memory_limit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    alarm(options.hang_seconds);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ProgramRun run;
  int wait_status = 0;
  if (child > 0 && waitpid(child, &wait_status, 0) == child) {
    if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status)) {
      run.signal = WTERMSIG(wait_status);
      run.hung = run.signal == SIGALRM;
    }
  }
  run.out = read_file(out_path);
  run.err = read_file(err_path);
  return run;
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
