// The fault seam of the output: write and close go through FileIo, so that a failing disk is a
// table of cases here. A failure reaches the stream's error indicator with its errno, and the
// output files turn it into "Write error: <reason>" and the end of the program.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "base/temporary_files.h"
#include "dialogue/console_reporters.h"
#include "output/output_files.h"
#include "output/output_stream.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::TestProgram;

// Writes through to the file, at most `chunk` bytes a call (a short write), until `capacity`
// bytes are written; then fails with `write_error`. Closing fails with `close_error` (0: not).
class FaultyIo : public FileIo {
 public:
  FaultyIo(size_t chunk, size_t capacity, int write_error, int close_error)
      : chunk_(chunk), capacity_(capacity), write_error_(write_error), close_error_(close_error) {}

  ssize_t write(int fd, const void* data, size_t size) override {
    if (written_ >= capacity_) {
      errno = write_error_;
      return -1;
    }
    size = std::min({size, chunk_, capacity_ - written_});
    const ssize_t n = ::write(fd, data, size);
    if (n > 0) written_ += static_cast<size_t>(n);
    return n;
  }
  int close(int fd) override {
    ::close(fd);
    if (close_error_ == 0) return 0;
    errno = close_error_;
    return -1;
  }

 private:
  size_t chunk_;
  size_t capacity_;
  int write_error_;
  int close_error_;
  size_t written_ = 0;
};

using Names = std::vector<std::string>;

// The names of the files in the directory, sorted.
Names names_in(const TempDir& dir) {
  Names names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputFileSeam, FailuresReachTheStreamWithTheirReasonAndShortWritesLoseNothing) {
  struct Case {
    const char* name;
    size_t chunk;
    size_t capacity;
    int write_error;
    int close_error;
    int expected;  // the stream's error number after close (0: none)
  };
  const size_t text_size = 3 << 20;  // three buffers' worth: background writes happen
  const Case cases[] = {
      {"short writes of 7 bytes", 7, SIZE_MAX, 0, 0, 0},
      {"a full disk in the first buffer", 4096, 1000, ENOSPC, 0, ENOSPC},
      {"a full disk in a later buffer", 1 << 20, (1 << 20) + 5, ENOSPC, 0, ENOSPC},
      {"an I/O error", 1 << 20, 100, EIO, 0, EIO},
      {"a write that makes no progress", 0, SIZE_MAX, 0, 0, EIO},
      {"a close that fails", 1 << 20, SIZE_MAX, 0, EIO, EIO},
      {"the first failure counts", 4096, 1000, ENOSPC, EIO, ENOSPC},
  };
  const std::string line = std::string(99, 'x') + "\n";
  for (const Case& c : cases) {
    TempDir dir;
    FaultyIo io(c.chunk, c.capacity, c.write_error, c.close_error);
    OutputStream stream(io);
    ASSERT_TRUE(stream.open_file(dir.dir() + "out.txt")) << c.name;
    size_t done = 0;
    for (; done < text_size && !stream.error(); done += line.size()) stream.write(line);
    EXPECT_EQ(stream.close(), c.expected == 0) << c.name;
    EXPECT_EQ(stream.error_number(), c.expected) << c.name;
    if (c.expected == 0) {
      EXPECT_EQ(read_file(dir.path() / "out.txt").size(), done) << c.name;
    }
    // A file takes its name only when all its text was written; its temporary name never stays.
    EXPECT_EQ(names_in(dir), c.expected == 0 ? Names{"out.txt"} : Names{}) << c.name;
  }
}

TEST(OutputFileSeam, AFailedCloseEndsTheProgramWithItsReason) {
  TempDir dir;
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  FaultyIo io(1 << 20, SIZE_MAX, 0, EIO);
  OutputStream stream(io);
  ConsoleFileReporter reporter(ctx, stream);
  OutputFiles files(stream, reporter, dir.dir());
  files.open_file("a.txt");
  stream.write("text\n");
  EXPECT_THROW(files.close_file(), ProgramExit);
  EXPECT_EQ(program.errors(), "Write error: Input/output error\n");
  EXPECT_FALSE(stream.is_file());
}

TEST(OutputFileSeam, ASignalRemovesTheFileBeingWrittenAndEndsWith128PlusItsNumber) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      OutputStream stream;
      stream.open_file(dir.dir() + "finished.txt");
      stream.write("whole\n");
      stream.close();
      stream.open_file(dir.dir() + "cut.txt");
      stream.write(std::string(3 << 20, 'x'));  // a background write runs
      remove_temporary_files_on_signals();
      ::raise(signal_number);
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << signal_number;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal_number);
    EXPECT_EQ(names_in(dir), Names{"finished.txt"}) << signal_number;
    EXPECT_EQ(read_file(dir.path() / "finished.txt"), "whole\n");
  }
}

}  // namespace
}  // namespace wxfetch
