// The archive is only ever read: a full run of the built program on a read-only copy of the
// sample archive (two requests over the turn of the year, both sorts, both formats, every
// station) leaves every file of the archive as it was, byte for byte. Write permission cannot
// prove that for root, who writes whatever the permission bits say, so the bytes are compared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::source_dir;
using testing::TempDir;

// Every file below `root` (relative path) with its bytes and modification time.
struct Snapshot {
  std::map<std::string, std::string> bytes;
  std::map<std::string, fs::file_time_type> times;
};

Snapshot snapshot(const fs::path& root) {
  Snapshot snap;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().lexically_relative(root).string();
    if (entry.is_regular_file()) snap.bytes[relative] = read_file(entry.path());
    snap.times[relative] = entry.last_write_time();
  }
  return snap;
}

// Takes the write permission from (or gives it back to) every file and folder below `root`.
void set_writable(const fs::path& root, bool writable) {
  const auto write_bits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  const auto option = writable ? fs::perm_options::add : fs::perm_options::remove;
  std::vector<fs::path> paths = {root};
  for (const auto& entry : fs::recursive_directory_iterator(root)) paths.push_back(entry.path());
  for (const fs::path& path : paths) fs::permissions(path, write_bits, option);
}

// The sample archive of this build (target sample_archive), copied to `copy`; when the build has
// not written it, the generator writes it there.
void copy_sample_archive(const fs::path& copy) {
  const fs::path build = testing::wxfetch_binary().parent_path();
  const fs::path sample = build / "sample" / "archive";
  if (fs::exists(sample / "TEFA1998")) {
    fs::copy(sample, copy, fs::copy_options::recursive);
    return;
  }
  const fs::path generator = build / "tools" / "wxsample";
  ASSERT_TRUE(fs::exists(generator)) << "build the targets sample_archive or wxsample first";
  const std::string command = "'" + generator.string() + "' '" + copy.string() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

TEST(ReadOnlyArchive, AFullRunLeavesEveryFileOfTheArchiveAsItWas) {
  TempDir work;
  const fs::path archive = work.path() / "archive";
  copy_sample_archive(archive);
  if (::testing::Test::HasFatalFailure()) return;
  const Snapshot before = snapshot(archive);
  ASSERT_GE(before.bytes.size(), 16u);
  set_writable(archive, false);
  fs::create_directory(work.path() / "by_day");
  fs::create_directory(work.path() / "by_station");

  // All stations from 30 December 1998 to 2 January 1999: KVT by time, one file per day; then
  // the same data again as FAA604 by station, one file per station.
  const std::vector<std::string> replies = {
      "",       "1998123000", "1999010212", "0", "3", "0", "Y", "0",          "0", "0", "1",
      "by_day", "3",          "Y",          "1", "0", "1", "1", "by_station", "1", "N", "N"};
  std::string text;
  for (const std::string& reply : replies) text += reply + "\n";
  testing::RunOptions options;
  options.hang_seconds = 600;
  const int status =
      testing::run_program(work.path(),
                           {archive.string(), (source_dir() / "data/sample/support").string()},
                           text, options)
          .status;
  set_writable(archive, true);

  EXPECT_GT(status, 0) << read_file(work.path() / "stdout.txt");
  EXPECT_GE(std::distance(fs::directory_iterator(work.path() / "by_day"), {}), 4);
  EXPECT_GE(std::distance(fs::directory_iterator(work.path() / "by_station"), {}), 2);

  const Snapshot after = snapshot(archive);
  EXPECT_EQ(after.times, before.times) << "a file or folder of the archive was touched";
  ASSERT_EQ(after.bytes.size(), before.bytes.size());
  for (const auto& [name, bytes] : before.bytes) {
    const auto found = after.bytes.find(name);
    ASSERT_NE(found, after.bytes.end()) << name;
    EXPECT_TRUE(found->second == bytes) << name << " changed";
  }
}

}  // namespace
}  // namespace wxfetch
