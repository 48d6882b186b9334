// An import never loses a sounding: what the archive already holds is kept byte for byte unless
// the import replaces it, a file that cannot be read is not replaced, a lower-case copy is added
// to, every station-year is written once whatever the input's order, and two imports at once
// both land.
#include "import/import_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "import/import_test_support.h"
#include "import/record_store.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

namespace fs = std::filesystem;
using wxfetch::testing::TempDir;

constexpr int32_t WBAN = 23062;

// A sounding of WBAN at 1999-MM-DD HH whose temperature tells it apart (`tag`).
PackSounding tagged_sounding(int month, int day, int hour, int32_t tag, int32_t wban = WBAN) {
  PackSounding s = testing::bare_sounding(wban, 1999, month, day, hour);
  for (int32_t pressure : {10000, 8500, 7000, 5000, 3000}) {
    PackLevel level;
    level.pressure = pressure;
    level.temperature = tag;
    s.levels.push_back(level);
  }
  return s;
}

StoredRecord stored(int month, int day, int hour, int32_t tag) {
  return {month, day, hour, build_record(tagged_sounding(month, day, hour, tag))};
}

void write_bytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<StoredRecord> records_at(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  return read_station_year_records(bytes);
}

struct Imported {
  int status;
  std::string messages, summary;
};

Imported import(const fs::path& archive, const std::vector<PackSounding>& soundings) {
  std::ostringstream messages, summary;
  ImportRun run(archive.string(), messages);
  long line = 0;
  for (const PackSounding& s : soundings) run.add(s, "input", ++line);
  run.finish();
  const int status = run.summary(summary);
  return {status, messages.str(), summary.str()};
}

TEST(ImportRun, KeepsWhatItDoesNotReplaceByteForByteAndCountsOnlyRealReplacements) {
  TempDir archive;
  const fs::path file = database_file_name(archive.dir(), 1999, WBAN);
  // Two records of one date and hour (as a damaged or foreign archive may hold) and one other.
  const std::vector<StoredRecord> before = {stored(1, 1, 0, 11), stored(1, 1, 0, 12),
                                            stored(1, 2, 0, 13)};
  write_bytes(file, build_station_year_file(WBAN, 1999, before));

  Imported unrelated = import(archive.path(), {tagged_sounding(1, 3, 12, 14)});
  EXPECT_EQ(unrelated.status, 0) << unrelated.messages;
  EXPECT_EQ(unrelated.summary.find("replaced"), std::string::npos) << unrelated.summary;
  std::vector<StoredRecord> after = records_at(file);
  ASSERT_EQ(after.size(), 4u);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].bytes, before[i].bytes) << i;

  Imported replacing = import(archive.path(), {tagged_sounding(1, 1, 0, 15)});
  EXPECT_NE(replacing.summary.find("1 sounding of the archive replaced"), std::string::npos)
      << replacing.summary;
  after = records_at(file);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0].bytes, build_record(tagged_sounding(1, 1, 0, 15)));
}

TEST(ImportRun, AFileThatCannotBeReadIsNotReplaced) {
  TempDir archive;
  const std::string name = database_file_name(archive.dir(), 1999, WBAN);
  fs::create_directories(fs::path(name).parent_path());
  for (const char* kind : {"fifo", "folder", "damaged"}) {
    SCOPED_TRACE(kind);
    fs::remove_all(name);
    if (kind == std::string("fifo")) {
      ASSERT_EQ(::mkfifo(name.c_str(), 0644), 0);
    }
    if (kind == std::string("folder")) fs::create_directory(name);
    if (kind == std::string("damaged")) std::ofstream(name) << "not a station-year file";
    const auto kind_before = fs::symlink_status(name).type();

    const Imported run =
        import(archive.path(), {tagged_sounding(1, 1, 0, 1), tagged_sounding(1, 1, 0, 2, 3017)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.messages.find(name), std::string::npos) << run.messages;
    EXPECT_NE(run.messages.find("1 sounding of this station-year not imported"), std::string::npos)
        << run.messages;
    EXPECT_EQ(fs::symlink_status(name).type(), kind_before);
    // The other station's year is written all the same.
    EXPECT_EQ(testing::records_in(archive.path(), 1999, 3017).size(), 1u);
  }
}

TEST(ImportRun, AddsToTheLowerCaseSpellingOfAnArchive) {
  TempDir archive;
  const fs::path lower = archive.path() / "tefa1999" / "23062_99.buf";
  write_bytes(lower, build_station_year_file(WBAN, 1999, {stored(1, 1, 0, 1)}));

  const Imported run = import(archive.path(), {tagged_sounding(1, 2, 0, 2)});
  EXPECT_EQ(run.status, 0) << run.messages;
  EXPECT_EQ(records_at(lower).size(), 2u);
  EXPECT_FALSE(fs::exists(archive.path() / "TEFA1999"));
}

TEST(ImportRun, WritesEachStationYearOnceWhateverTheOrderAndCountsTruly) {
  TempDir archive;
  std::vector<PackSounding> soundings;
  for (int day = 1; day <= 4; ++day) {
    for (int32_t wban : {WBAN, 3017, 94980})
      soundings.push_back(tagged_sounding(1, day, 0, day, wban));
  }
  soundings.push_back(tagged_sounding(1, 2, 0, 99, 3017));  // again: the last is kept
  const Imported run = import(archive.path(), soundings);
  EXPECT_EQ(run.status, 0) << run.messages;
  EXPECT_NE(run.summary.find("12 soundings imported into 3 station-year files"), std::string::npos)
      << run.summary;
  EXPECT_NE(run.messages.find("input:13: station 3017 at 1999010200 again (first at input:5)"),
            std::string::npos)
      << run.messages;
  const auto records = testing::records_in(archive.path(), 1999, 3017);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1].bytes, build_record(tagged_sounding(1, 2, 0, 99, 3017)));

  EXPECT_EQ(import(archive.path(), {}).status, 1);  // nothing to import is not success
}

TEST(RecordStore, GivesBackWhatItMovedToItsTemporaryFile) {
  RecordStore store(64);
  std::vector<std::pair<int64_t, std::vector<uint8_t>>> kept;
  for (uint8_t n = 1; n <= 20; ++n) {
    std::vector<uint8_t> bytes(n * 3u, n);
    kept.emplace_back(store.put(bytes), bytes);
  }
  EXPECT_GT(store.spilled(), 0);
  for (const auto& [at, bytes] : kept) {
    EXPECT_EQ(store.get(at, static_cast<uint32_t>(bytes.size())), bytes);
  }
}

// Two processes import into one station-year at once, round after round: both imports land
// every time, and a temporary file left by a killed run is removed by the next.
TEST(ImportRun, TwoImportsAtOnceBothLand) {
  constexpr int ROUNDS = 8;
  constexpr int DAYS = 28;
  for (int round = 0; round < ROUNDS; ++round) {
    TempDir archive;
    const std::string name = database_file_name(archive.dir(), 1999, WBAN);
    write_bytes(name + ".tmp-999999-1", {1, 2, 3});
    pid_t children[2];
    for (int hour : {0, 12}) {
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        std::vector<PackSounding> soundings;
        for (int day = 1; day <= DAYS; ++day)
          soundings.push_back(tagged_sounding(2, day, hour, hour));
        ::_exit(import(archive.path(), soundings).status);
      }
      children[hour / 12] = child;
    }
    for (const pid_t child : children) {
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    EXPECT_EQ(records_at(name).size(), 2u * DAYS) << "round " << round;
    EXPECT_FALSE(fs::exists(name + ".tmp-999999-1"));
  }
}

}  // namespace
}  // namespace wxfetch::pack
