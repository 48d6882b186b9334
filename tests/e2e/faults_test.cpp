// Faults end to end: the built program run with its replies read from a file, against output
// that cannot be written or fails while it is written, damaged support files and archives, and
// replies that end early or run long. Whatever happens, the program must end by itself (an
// alarm in the child is the safety net), with the status the situation calls for, no sanitizer
// report, and the output written before a failure left whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "database/record_reader.h"
#include "support/driver_fixture.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::source_dir;
using testing::TempDir;

using testing::ProgramRun;
using testing::run_program;
using testing::RunOptions;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

size_t count_of(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Replies, one per line.
std::string lines(const std::vector<std::string>& replies) {
  std::string text;
  for (const std::string& reply : replies) text += reply + "\n";
  return text;
}

// The replies of one request of WMO stations 72469 and 72520 (WBAN 23062 and 94823) from
// 1998010100 to `end`, after the general information offer; then no more data.
struct Request {
  std::string end = "1998010312";
  bool faa604 = false;
  int sort_order = 1;      // 0 synoptic, 1 climatological
  int file_structure = 1;  // of the sort order
  std::string directory = "out";
  bool to_screen = false;  // with "c" at the first pause: no more pauses

  std::vector<std::string> replies() const {
    std::vector<std::string> r = {"", "1998010100", end, "0", "0", "0", "N", "2", "72469", "72520"};
    if (faa604) {
      r.insert(r.end(), {"1", "0"});
    } else {
      r.insert(r.end(), {"0", "Y", "0", "0"});
    }
    r.push_back(std::to_string(sort_order));
    if (to_screen) {
      r.insert(r.end(), {"0", "c"});
    } else {
      r.insert(r.end(), {"1", directory, std::to_string(file_structure)});
    }
    r.insert(r.end(), {"N", "N"});
    return r;
  }
  std::string text() const { return lines(replies()); }
};

// An archive of 1998 for WBAN 23062 (soundings at 00 and 12 UTC on days 1 to `days_23062`) and
// 94823 (days 1 to `days_94823`), and the sample support files.
class FaultTest : public ::testing::Test {
 protected:
  void write_archive(int days_23062, int days_94823) {
    std::vector<pack::PackSounding> soundings;
    for (int day = 1; day <= days_23062; ++day) {
      for (int hour : {0, 12}) soundings.push_back(testing::sounding_at(23062, 1998, 1, day, hour));
    }
    for (int day = 1; day <= days_94823; ++day) {
      for (int hour : {0, 12}) soundings.push_back(testing::sounding_at(94823, 1998, 1, day, hour));
    }
    pack::write_archive(archive.path(), soundings);
  }

  // Both stations on days 1 to 28 of every month of 1998 at 00 and 12 UTC (1344 soundings)
  // with 120 levels each: several MiB of text, more than the output's 1 MiB buffers.
  void write_big_archive() {
    std::vector<pack::PackSounding> soundings;
    for (const int32_t wban : {23062, 94823}) {
      for (int day = 0; day < 12 * 28; ++day) {
        for (const int hour : {0, 12}) {
          pack::PackSounding sounding =
              testing::sounding_at(wban, 1998, day / 28 + 1, day % 28 + 1, hour);
          sounding.levels.resize(1);
          for (int i = 1; i < 120; ++i) {
            pack::PackLevel level = sounding.levels[0];
            level.kind = 5;
            level.pressure = 10000 - 80 * i;
            level.height = 100 + 150 * i;
            sounding.levels.push_back(level);
          }
          soundings.push_back(sounding);
        }
      }
    }
    pack::write_archive(archive.path(), soundings);
  }

  fs::path station_file(int32_t wban) const {
    return archive.path() / "TEFA1998" / (std::to_string(wban) + "_98.BUF");
  }

  std::vector<std::string> args() const {
    return {archive.path().string(), (source_dir() / "data" / "sample" / "support").string()};
  }

  // Runs the program in a fresh working directory `work` (made by the caller).
  ProgramRun run(const TempDir& work, const std::string& replies, const RunOptions& options = {},
                 std::vector<std::string> arguments = {}) {
    if (arguments.empty()) arguments = args();
    return run_program(work.path(), arguments, replies, options);
  }

  TempDir archive;
};

// A run that ended by itself with `status` and no report of a sanitizer.
void expect_clean_end(const ProgramRun& run, int status) {
  EXPECT_FALSE(run.hung) << "the program did not end";
  EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << "\n" << run.err;
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_FALSE(contains(run.err, "Sanitizer")) << run.err;
  EXPECT_FALSE(contains(run.err, "runtime error")) << run.err;
}

TEST_F(FaultTest, OutputDirectoryUnderAFileLeadsToTheDirectoryDialogue) {
  write_archive(2, 2);
  struct Case {
    const char* name;
    std::vector<std::string> dialogue;  // replies at the directory dialogue and after it
    bool writes_elsewhere;
  } cases[] = {
      {"EXIT ends the program", {"EXIT"}, false},
      {"HELP explains, then EXIT", {"HELP", "EXIT"}, false},
      {"another directory takes the files", {"", "good", "N", "N"}, true},
      {"the replies end in the dialogue", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir work;
    work.write("somefile", "a regular file where a folder is expected\n");
    fs::create_directory(work.path() / "good");
    Request request;
    request.directory = "somefile/sub";
    std::vector<std::string> replies = request.replies();
    replies.resize(replies.size() - 2);  // the closing N N follow the dialogue's replies
    replies.insert(replies.end(), c.dialogue.begin(), c.dialogue.end());
    const ProgramRun run = this->run(work, lines(replies));
    expect_clean_end(run, c.writes_elsewhere ? 4 : 0);
    EXPECT_TRUE(contains(run.out, "\n\n\n ERROR: unable to write files to: somefile/sub/"));
    EXPECT_TRUE(contains(run.out, "     Your choice? "));
    EXPECT_EQ(contains(run.out, "\n\n Exiting tefa database ...\n"),
              !c.dialogue.empty() && !c.writes_elsewhere);
    EXPECT_EQ(fs::exists(work.path() / "good" / "72469_DNR_1998010100.txt"), c.writes_elsewhere);
    EXPECT_EQ(fs::exists(work.path() / "good" / "72520_PIT_1998010100.txt"), c.writes_elsewhere);
  }
}

TEST_F(FaultTest, ARepliedNameEndsAtItsFirstNulByte) {
  write_archive(2, 2);
  for (const std::string name : {"notes.txt", "../outside.txt"}) {
    SCOPED_TRACE(name);
    TempDir work;
    fs::create_directory(work.path() / "sub");
    work.write("sub/notes.txt", "my notes\n");
    work.write("outside.txt", "kept\n");
    Request request;
    request.directory = name + std::string(1, '\0') + "/x";
    std::vector<std::string> replies = request.replies();
    replies.resize(replies.size() - 2);
    replies.push_back("EXIT");
    // Run in "sub": both names are existing files, which cannot be folders of output files.
    const ProgramRun run = run_program(work.path() / "sub", args(), lines(replies), {});
    expect_clean_end(run, 0);
    EXPECT_TRUE(contains(run.out, " ERROR: unable to write files to: " + name + "/72469_DNR"))
        << run.out;
    EXPECT_EQ(read_file(work.path() / "sub" / "notes.txt"), "my notes\n");
    EXPECT_EQ(read_file(work.path() / "outside.txt"), "kept\n");
  }
}

TEST_F(FaultTest, WriteFailureEndsWithWriteErrorAndKeepsEarlierFiles) {
  // 23062 has one day, 94823 a month: one file per station, and the second is too large for the
  // file-size limit (or goes to a full device).
  write_archive(1, 31);
  struct Case {
    const char* name;
    bool faa604;
    bool full_device;  // else the file-size limit
    const char* message;
  } cases[] = {
      {"KVT past the file-size limit", false, false, "Write error: File too large\n"},
      {"FAA604 past the file-size limit", true, false, "Write error: File too large\n"},
      {"KVT to a full device", false, true, "Write error: No space left on device\n"},
      {"FAA604 to a full device", true, true, "Write error: No space left on device\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Request request;
    request.end = "1998013112";
    request.faa604 = c.faa604;
    request.sort_order = 1;
    request.file_structure = 1;  // one file per station
    const std::string first_name = c.faa604 ? "JA019800.skt" : "72469_DNR_1998010100.txt";
    const std::string second_name = c.faa604 ? "JA019800_2.skt" : "72520_PIT_1998010100.txt";

    TempDir reference_work;
    fs::create_directory(reference_work.path() / "out");
    const ProgramRun reference = run(reference_work, request.text());
    expect_clean_end(reference, 62);
    const std::string first_file = read_file(reference_work.path() / "out" / first_name);
    const std::string second_file = read_file(reference_work.path() / "out" / second_name);
    ASSERT_NE(first_file, "");
    ASSERT_GT(second_file.size(), 8192u);

    TempDir work;
    fs::create_directory(work.path() / "out");
    RunOptions options;
    if (c.full_device) {
      fs::create_symlink("/dev/full", work.path() / "out" / second_name);
    } else {
      options.file_size_limit = 8192;
      ASSERT_LT(first_file.size(), 8192u);
    }
    const ProgramRun run = this->run(work, request.text(), options);
    expect_clean_end(run, 0);
    EXPECT_TRUE(run.err.size() >= std::string(c.message).size() &&
                run.err.compare(run.err.size() - std::string(c.message).size(), std::string::npos,
                                c.message) == 0)
        << run.err;
    EXPECT_EQ(read_file(work.path() / "out" / first_name), first_file);
    if (!c.full_device) {
      const std::string cut = read_file(work.path() / "out" / second_name);
      EXPECT_EQ(cut, second_file.substr(0, cut.size()));
    }
    // Nothing goes on after the error: no total of the second file, no further question.
    EXPECT_FALSE(contains(run.out, " STATUS:  number of soundings written: 62"));
    EXPECT_FALSE(contains(run.out, "request more data"));
  }
}

TEST_F(FaultTest, AWriteFailureFoundLateClaimsNoSoundingsAndLeavesNoFile) {
  // The file-size limit stops the second 1 MiB buffer, which is written in the background
  // while the writers go on: no count may follow, and the cut file takes no name.
  write_big_archive();
  for (const int sort_order : {0, 1}) {
    SCOPED_TRACE(sort_order == 0 ? "synoptic" : "climatological");
    Request request;
    request.end = "1998123112";
    request.sort_order = sort_order;
    request.file_structure = 0;
    TempDir work;
    fs::create_directory(work.path() / "out");
    RunOptions options;
    options.file_size_limit = 3 << 19;
    const ProgramRun run = this->run(work, request.text(), options);
    expect_clean_end(run, 0);
    EXPECT_TRUE(contains(run.err, "Write error: File too large\n")) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - 1), "\n");
    EXPECT_FALSE(contains(run.out, "soundings written")) << run.out;
    EXPECT_FALSE(contains(run.out, "nsound")) << run.out;
    EXPECT_TRUE(fs::is_empty(work.path() / "out"));
  }
}

TEST_F(FaultTest, TwoRunsIntoOneFolderEachLeaveAWholeFile) {
  write_big_archive();
  // The same file name, 1998010100.txt, with different text: winds in knots and in m/s.
  TempDir shared;
  std::string replies[2];
  std::string reference[2];
  for (int i = 0; i < 2; ++i) {
    Request request;
    request.end = "1998123112";
    request.file_structure = 0;
    request.directory = shared.path().string();
    std::vector<std::string> r = request.replies();
    r[13] = std::to_string(i);  // wind units
    replies[i] = lines(r);
    TempDir work;
    expect_clean_end(run(work, replies[i]), 1344 % 256);
    reference[i] = read_file(shared.path() / "1998010100.txt");
  }
  ASSERT_NE(reference[0], reference[1]);
  for (int attempt = 0; attempt < 3; ++attempt) {
    fs::remove(shared.path() / "1998010100.txt");
    TempDir work[2];
    ProgramRun runs[2];
    std::thread second([&] { runs[1] = run(work[1], replies[1]); });
    runs[0] = run(work[0], replies[0]);
    second.join();
    const std::string file = read_file(shared.path() / "1998010100.txt");
    EXPECT_TRUE(file == reference[0] || file == reference[1])
        << "a mixed file, attempt " << attempt;
    EXPECT_EQ(std::distance(fs::directory_iterator(shared.path()), fs::directory_iterator()), 1);
  }
}

TEST_F(FaultTest, RunningOutOfMemoryEndsCleanlyAtAnyPoint) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than any limit here";
#endif
  write_archive(2, 2);
  // Limits from too small to start up to enough for the whole request: every run ends by
  // itself with " ERROR: out of memory" (status 0) or the whole request.
  int in_the_drivers = 0;
  for (unsigned long megabytes = 4; megabytes <= 20; ++megabytes) {
    for (const int sort_order : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << megabytes << " MB, sort order " << sort_order);
      Request request;
      request.sort_order = sort_order;
      TempDir work;
      fs::create_directory(work.path() / "out");
      RunOptions options;
      options.memory_limit = megabytes << 20;
      const ProgramRun run = this->run(work, request.text(), options);
      // Too little for the system to load the program at all.
      if (run.status == 127 && contains(run.err, "error while loading shared libraries")) continue;
      EXPECT_FALSE(run.hung);
      EXPECT_EQ(run.signal, 0) << run.err;
      if (run.err == " ERROR: out of memory\n") {
        EXPECT_EQ(run.status, 0);
        if (contains(run.out, "Writing output file")) ++in_the_drivers;
      } else {
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, sort_order == 0 ? 8 : 4);  // one file, or the second station's
      }
      // A file that was written holds whole lines.
      for (const auto& file : fs::directory_iterator(work.path() / "out")) {
        const std::string text = read_file(file.path());
        EXPECT_TRUE(text.empty() || text.back() == '\n') << file.path();
      }
    }
  }
  EXPECT_GT(in_the_drivers, 0);
}

TEST_F(FaultTest, ScreenOutputToAFullDeviceEndsWithWriteError) {
  write_archive(2, 2);
  for (const bool faa604 : {false, true}) {
    SCOPED_TRACE(faa604 ? "FAA604" : "KVT");
    Request request;
    request.faa604 = faa604;
    request.to_screen = true;
    TempDir work;
    RunOptions options;
    options.console = "/dev/full";
    const ProgramRun run = this->run(work, request.text(), options);
    expect_clean_end(run, 0);
    EXPECT_EQ(run.err, "Write error: No space left on device\n");
  }
}

TEST_F(FaultTest, WriteFailureOfTheSynopticSortStopsBeforeTheNextFile) {
  write_archive(3, 3);
  for (const bool faa604 : {false, true}) {
    SCOPED_TRACE(faa604 ? "FAA604" : "KVT");
    Request request;
    request.faa604 = faa604;
    request.sort_order = 0;
    request.file_structure = 3;  // one file per day
    const auto name = [&](int day) {
      return faa604 ? "JA0" + std::to_string(day) + "9800.skt"
                    : "1998010" + std::to_string(day) + "00.txt";
    };
    TempDir reference_work;
    fs::create_directory(reference_work.path() / "out");
    expect_clean_end(run(reference_work, request.text()), 4);
    const std::string day_1 = read_file(reference_work.path() / "out" / name(1));
    ASSERT_NE(day_1, "");

    TempDir work;
    fs::create_directory(work.path() / "out");
    fs::create_symlink("/dev/full", work.path() / "out" / name(2));
    const ProgramRun run = this->run(work, request.text());
    expect_clean_end(run, 0);
    EXPECT_TRUE(contains(run.err, "Write error: No space left on device\n")) << run.err;
    EXPECT_EQ(read_file(work.path() / "out" / name(1)), day_1);
    EXPECT_FALSE(fs::exists(work.path() / "out" / name(3)));
  }
}

// The sample support files with `change` applied to the file `name`.
fs::path changed_support(const TempDir& work, const std::string& name,
                         const std::function<std::string(const std::string&)>& change) {
  const fs::path support = work.path() / "support";
  fs::create_directory(support);
  for (const char* file : {"tefahelp.txt", "stat2000.txt", "international_sites.txt"}) {
    std::string text = read_file(source_dir() / "data" / "sample" / "support" / file);
    if (name == file) text = change(text);
    std::ofstream(support / file, std::ios::binary) << text;
  }
  return support;
}

std::string with_crlf(const std::string& text) {
  std::string result;
  for (const char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

// The text with `count` lines' worth of garbage bytes (a fixed generator) in place of line
// `line` (counted from 0).
std::string garbage(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string replace_line(const std::string& text, size_t line, const std::string& replacement) {
  size_t begin = 0;
  for (size_t i = 0; i < line; ++i) begin = text.find('\n', begin) + 1;
  const size_t end = text.find('\n', begin);
  return text.substr(0, begin) + replacement + text.substr(end);
}

std::string replace_first(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST_F(FaultTest, DamagedSupportFilesNeverStopTheProgram) {
  write_archive(2, 2);
  struct Case {
    const char* name;
    const char* file;
    std::function<std::string(const std::string&)> change;
    bool request_served;  // the request of both stations is still served in full
  } cases[] = {
      {"station table with CR-LF line ends", "stat2000.txt", with_crlf, true},
      {"international sites with CR-LF line ends", "international_sites.txt", with_crlf, true},
      {"help file with CR-LF line ends", "tefahelp.txt", with_crlf, true},
      {"a station row of 10000 characters", "stat2000.txt",
       [](const std::string& t) { return replace_line(t, 2, std::string(10000, 'X')); }, true},
      {"a help line of 10000 characters", "tefahelp.txt",
       [](const std::string& t) { return replace_line(t, 6, std::string(10000, 'h')); }, true},
      // HELP finds no section: the program ends there.
      {"a station table of binary garbage", "stat2000.txt",
       [](const std::string&) { return garbage(20000, 1); }, false},
      {"international sites of binary garbage", "international_sites.txt",
       [](const std::string&) { return garbage(20000, 2); }, true},
      {"a help file of binary garbage", "tefahelp.txt",
       [](const std::string&) { return garbage(20000, 3); }, false},
      {"a row count far above the rows", "stat2000.txt",
       [](const std::string& t) { return replace_first(t, "69 ", "30000 "); }, true},
      {"a row count below the rows", "stat2000.txt",
       [](const std::string& t) { return replace_first(t, "69 ", "3 "); }, false},
      {"a row count that is no number", "international_sites.txt",
       [](const std::string& t) { return "many" + t.substr(2); }, true},
      {"a negative row count", "stat2000.txt",
       [](const std::string& t) { return replace_first(t, "69 ", "-5 "); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir work;
    fs::create_directory(work.path() / "out");
    const fs::path support = changed_support(work, c.file, c.change);
    Request request;
    // HELP at the general information offer and at the first question, and STAT there (no
    // date, every row) before the request; a page length that never pauses.
    std::vector<std::string> replies = request.replies();
    replies.insert(replies.begin(), "HELP");
    replies.insert(replies.begin() + 2, {"HELP", "STAT", "N", "5", "EXIT"});
    const ProgramRun run =
        this->run(work, lines(replies), {}, {archive.path().string(), support.string(), "1000000"});
    EXPECT_FALSE(run.hung);
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_FALSE(contains(run.err, "Sanitizer")) << run.err;
    EXPECT_FALSE(contains(run.err, "runtime error")) << run.err;
    if (c.request_served) {
      EXPECT_EQ(run.status, 4) << run.out;  // the soundings of the second station's file
      EXPECT_EQ(count_of(read_file(work.path() / "out" / "72469_DNR_1998010100.txt"), "    254 "),
                4u);
    }
  }
}

// Makes `path` a named pipe without a writer (whose plain open would wait for one).
void make_fifo(const fs::path& path) {
  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

TEST_F(FaultTest, StationYearFileThatIsAFolderCannotBeOpened) {
  write_archive(2, 2);
  // A folder, a named pipe or a device of the file's name: a file that exists and cannot be
  // opened.
  const std::function<void(const fs::path&)> kinds[] = {[](const fs::path& path) {
                                                          fs::remove(path);
                                                          fs::create_directory(path);
                                                        },
                                                        make_fifo,
                                                        [](const fs::path& path) {
                                                          fs::remove(path);
                                                          fs::create_symlink("/dev/zero", path);
                                                        }};
  for (const int run_number : {0, 1, 2, 3, 4, 5}) {
    const int sort_order = run_number % 2;
    fs::remove_all(station_file(23062));
    kinds[run_number / 2](station_file(23062));
    SCOPED_TRACE(::testing::Message() << (sort_order == 0 ? "synoptic sort" : "climatological sort")
                                      << ", kind " << run_number / 2);
    Request request;
    request.sort_order = sort_order;
    request.file_structure = 0;
    std::vector<std::string> replies = request.replies();
    replies.insert(replies.end() - 2, "");  // <return> at the NO_FILES_OPEN question (if any)

    TempDir work;
    fs::create_directory(work.path() / "out");
    const ProgramRun run = this->run(work, lines(replies));
    // The other station's four soundings are still read.
    expect_clean_end(run, 4);
    const std::string file = read_file(work.path() / "out" / "1998010100.txt");
    EXPECT_EQ(count_of(file, "    254 "), 4u);
    EXPECT_EQ(count_of(file, "  94823  72520"), 4u);

    // With the folder the only file of the request nothing can be opened at all.
    request.end = "1998010312";
    std::vector<std::string> alone = {
        "",  "1998010100", "1998010312", "0", "0", "1", "N",
        "1", "23062",      "0",          "Y", "0", "0", std::to_string(sort_order),
        "1", "out",        "0",          "",  "N"};
    TempDir work_alone;
    fs::create_directory(work_alone.path() / "out");
    const ProgramRun none = this->run(work_alone, lines(alone));
    expect_clean_end(none, sort_order == 0 ? 0 : 255);
    EXPECT_TRUE(contains(none.out, "\tWARNING:  No database files could be opened in: "));
    EXPECT_TRUE(fs::is_empty(work_alone.path() / "out"));
  }
}

TEST_F(FaultTest, SupportAndOutputFilesThatAreNoRegularFilesNeverHoldTheProgram) {
  write_archive(2, 2);
  const auto to_dev_zero = [](const fs::path& path) {
    fs::remove(path);
    fs::create_symlink("/dev/zero", path);
  };
  struct Case {
    const char* name;
    const char* support_file;  // made a pipe or /dev/zero; else the output file is
    bool fifo;
    const char* message;
    int status;
  } cases[] = {
      {"help file a pipe", "tefahelp.txt", true, " ERROR: the file tefahelp.txt was not found", 0},
      {"help file /dev/zero", "tefahelp.txt", false, " ERROR: the file tefahelp.txt was not found",
       0},
      {"station table a pipe", "stat2000.txt", true, " ERROR: the station file: stat2000.txt", 0},
      {"international sites /dev/zero", "international_sites.txt", false,
       " ERROR: the file international_sites.txt was not found", 4},
      // An output name that is a pipe cannot be opened; /dev/null is written as before.
      {"output file a pipe", nullptr, true, " ERROR: unable to write files to: out/72469_DNR", 0},
      {"output file /dev/null", nullptr, false, " STATUS:  Writing output file: out/72469", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir work;
    fs::create_directory(work.path() / "out");
    const fs::path support = changed_support(work, "", [](const std::string& t) { return t; });
    if (c.support_file != nullptr) {
      c.fifo ? make_fifo(support / c.support_file) : to_dev_zero(support / c.support_file);
    } else if (c.fifo) {
      make_fifo(work.path() / "out" / "72469_DNR_1998010100.txt");
    } else {
      fs::create_symlink("/dev/null", work.path() / "out" / "72469_DNR_1998010100.txt");
    }
    std::vector<std::string> replies = Request().replies();
    replies.insert(replies.end() - 2, "EXIT");  // at the directory dialogue, if it comes
    RunOptions options;
    options.hang_seconds = 20;
    const ProgramRun run =
        this->run(work, lines(replies), options, {archive.path().string(), support.string()});
    expect_clean_end(run, c.status);
    EXPECT_TRUE(contains(run.out, c.message)) << run.out;
  }
}

TEST_F(FaultTest, HelpFileIsReadUpTo16MiB) {
  write_archive(1, 0);
  TempDir work;
  const fs::path support = changed_support(work, "", [](const std::string& t) { return t; });
  // The help text, then a hole that makes the file 17 MiB long.
  fs::resize_file(support / "tefahelp.txt", 17u << 20);
  const ProgramRun run = this->run(work, lines({"HELP"}), {}, {args()[0], support.string()});
  expect_clean_end(run, 0);
  EXPECT_TRUE(contains(run.out, "tefahelp.txt is longer than 16 MiB: only its beginning is read\n"))
      << run.out;
  EXPECT_TRUE(contains(run.out, "This program reads an archive of upper-air soundings"));
}

TEST_F(FaultTest, TruncatedEmptyAndOversizedStationYearFiles) {
  write_archive(3, 0);
  const std::string whole = read_file(station_file(23062));
  // The records follow the directory; the last one ends the file.
  const size_t record_size = pack::build_record(testing::sounding_at(23062, 1998, 1, 3, 12)).size();
  struct Case {
    const char* name;
    std::string bytes;
    int soundings;  // KVT blocks written
  } cases[] = {
      {"zero length", "", 0},
      {"only part of the file header", whole.substr(0, 20), 0},
      {"cut inside the directory", whole.substr(0, 1000), 0},
      {"cut inside the last record", whole.substr(0, whole.size() - record_size / 2), 5},
      {"cut after the first record", whole.substr(0, whole.size() - 5 * record_size), 1},
      {"followed by 20 MB of garbage", whole + garbage(20 << 20, 4), 6},
  };
  for (const Case& c : cases) {
    std::ofstream(station_file(23062), std::ios::binary | std::ios::trunc) << c.bytes;
    for (const int sort_order : {0, 1}) {
      SCOPED_TRACE(std::string(c.name) + (sort_order == 0 ? ", synoptic" : ", climatological"));
      std::vector<std::string> replies = {
          "",  "1998010100", "1998010312", "0", "0", "1", "N",
          "1", "23062",      "0",          "Y", "0", "0", std::to_string(sort_order),
          "0", "N",          "N"};
      TempDir work;
      // Page length 0: the screen never pauses.
      const ProgramRun run = this->run(work, lines(replies), {}, {args()[0], args()[1], "0"});
      EXPECT_FALSE(run.hung);
      EXPECT_EQ(run.signal, 0) << run.err;
      EXPECT_FALSE(contains(run.err, "Sanitizer")) << run.err;
      EXPECT_FALSE(contains(run.err, "runtime error")) << run.err;
      EXPECT_EQ(count_of(run.out, "    254 "), static_cast<size_t>(c.soundings));
    }
  }
}

// The replies of a request of WBAN 23062 alone for 1-3 January 1998 to the screen, in
// `sort_order`; page length 0 keeps the screen from pausing.
std::string one_station_to_screen(int sort_order) {
  return lines({"", "1998010100", "1998010312", "0", "0", "1", "N", "1", "23062", "0", "Y", "0",
                "0", std::to_string(sort_order), "0", "N", "N"});
}

TEST_F(FaultTest, RecordsFarOutOrCutBeforeTheirHourAreDamagedRecords) {
  // 23062 has two soundings on 1 January, 00 and 12 UTC; the day's directory entry holds the
  // first record's offset as 4 bytes after its hour. A record whose hour cannot be read is
  // reported at the hour of the record before it.
  write_archive(1, 0);
  const std::string whole = read_file(station_file(23062));
  const size_t record_size = pack::build_record(testing::sounding_at(23062, 1998, 1, 1, 12)).size();
  const size_t records_at = whole.size() - 2 * record_size;
  const size_t offset_at = FILE_HEADER_BYTES + 6;  // day 1: count, 4 bytes, hour, offset
  const auto with_records_at = [&](uint32_t offset) {
    std::string bytes = whole.substr(0, records_at);
    for (int i = 0; i < 4; ++i) bytes[offset_at + i] = static_cast<char>(offset >> (24 - 8 * i));
    return bytes;
  };
  const std::string path = station_file(23062).string();
  const std::string damaged_00 =
      " WARNING:  damaged sounding record skipped: " + path + " 1998010100\n";
  struct Case {
    const char* name;
    uint32_t far_offset;  // the records are moved there (a sparse file); 0: not moved
    std::string bytes;    // else the file
    int blocks;           // KVT blocks written
    std::string errors;
  } cases[] = {
      // The second record starts past 2^31: offsets and lengths are added in 64 bits.
      {"records just below 2 GiB", 0x7FFFFF00u, "", 2, ""},
      {"records past 4 GiB - 256", 0xFFFFFF00u, "", 2, ""},
      {"the first record past the end of the file", 0, with_records_at(0xFFFFFF00u), 0, damaged_00},
      {"cut in the first bytes of the day's last record", 0,
       whole.substr(0, whole.size() - record_size + 10), 1, damaged_00},
      {"cut at the end of the day's first record", 0, whole.substr(0, whole.size() - record_size),
       1, damaged_00},
  };
  for (const Case& c : cases) {
    if (c.far_offset != 0) {
      std::ofstream file(station_file(23062), std::ios::binary | std::ios::trunc);
      file << with_records_at(c.far_offset);
      file.seekp(c.far_offset);
      file << whole.substr(records_at);
    } else {
      std::ofstream(station_file(23062), std::ios::binary | std::ios::trunc) << c.bytes;
    }
    for (const int sort_order : {0, 1}) {
      SCOPED_TRACE(std::string(c.name) + (sort_order == 0 ? ", synoptic" : ", climatological"));
      TempDir work;
      const ProgramRun run =
          this->run(work, one_station_to_screen(sort_order), {}, {args()[0], args()[1], "0"});
      // Every record the directory names is counted, the damaged ones too.
      expect_clean_end(run, c.errors.empty() ? c.blocks : c.blocks + 1);
      EXPECT_EQ(count_of(run.out, "    254 "), static_cast<size_t>(c.blocks));
      EXPECT_EQ(run.err, c.errors);
    }
  }
}

TEST_F(FaultTest, EndOfInputAtEveryQuestionEndsTheProgram) {
  write_archive(2, 2);
  // Screen output with the default page length of 20 lines: the pager's pauses read replies too.
  Request screen;
  screen.to_screen = true;
  Request files;
  files.faa604 = true;
  files.sort_order = 0;
  files.file_structure = 5;
  for (const Request& request : {screen, files}) {
    const std::vector<std::string> replies = request.replies();
    for (size_t given = 0; given <= replies.size(); ++given) {
      SCOPED_TRACE(::testing::Message()
                   << (request.to_screen ? "screen" : "files") << ", " << given << " replies");
      const std::vector<std::string> head(replies.begin(), replies.begin() + given);
      TempDir work;
      fs::create_directory(work.path() / "out");
      // The last reply without its line end, too.
      std::string text = lines(head);
      for (const bool cut : {false, true}) {
        if (cut && (text.empty() || head.back().empty())) continue;
        const ProgramRun run = this->run(work, cut ? text.substr(0, text.size() - 1) : text);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.signal, 0) << run.err;
        // The whole script ends normally with the last extraction's result (all 8 soundings
        // on the screen, 1 in the last file of one file per sounding).
        const int full = request.to_screen ? 8 : 1;
        EXPECT_EQ(run.status, given == replies.size() ? full : 0);
        EXPECT_EQ(run.err, "");
      }
    }
  }
}

TEST_F(FaultTest, AnyPageLengthPagesHelpAndListingsWithoutFault) {
  write_archive(1, 0);
  for (const char* page_length :
       {"-99999999999", "-2147483648", "-1", "0", "1", "2147483647", "99999999999", "twenty"}) {
    SCOPED_TRACE(page_length);
    TempDir work;
    // STAT at the offer, HELP at its first question, then "5": every row is listed (the pauses
    // take a "5" each), and the question after the listing takes the rest.
    std::vector<std::string> replies = {"STAT", "HELP"};
    replies.insert(replies.end(), 300, "5");
    const ProgramRun run = this->run(work, lines(replies), {}, {args()[0], args()[1], page_length});
    expect_clean_end(run, 0);
    EXPECT_TRUE(contains(run.out, " DNR   23062   72469"));
  }
}

TEST_F(FaultTest, LongRepliesAreReadIn79CharacterPieces) {
  write_archive(1, 0);
  struct Case {
    size_t length;
    size_t date_errors;  // " ERROR - date string must have 10 digits"
    bool takes_default;  // the last piece is empty and keeps the default date
  } cases[] = {
      // 78 characters, then the line end alone: an empty reply.
      {79, 1, true},
      // 78 characters, then the 80th character alone.
      {80, 2, false},
      // Six pieces of 78 characters and one of the last 26.
      {500, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    TempDir work;
    // The long reply at the beginning date; then an ordinary request of station 72469's two
    // soundings to the screen.
    std::vector<std::string> replies = {"", std::string(c.length, '7')};
    if (!c.takes_default) replies.push_back("1998010100");
    replies.insert(replies.end(), {"1998010112", "0", "0", "0", "N", "1", "72469", "0", "Y", "0",
                                   "0", "1", "0", "N", "N"});
    const ProgramRun run = this->run(work, lines(replies), {}, {args()[0], args()[1], "0"});
    expect_clean_end(run, 2);
    EXPECT_EQ(count_of(run.out, " ERROR - date string must have 10 digits"), c.date_errors);
    EXPECT_EQ(count_of(run.out, "    254 "), 2u);
  }
}

}  // namespace
}  // namespace wxfetch
