#include "output/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "dialogue/console_reporters.h"
#include "output/output_stream.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::TestProgram;

// A program with one catalogue row: station 72469, initials DEN, at row 0.
struct StationProgram : TestProgram {
  explicit StationProgram(const std::string& replies = "") : TestProgram(replies) {
    StationEntry& row = ctx->catalogue.entries[0];
    std::strcpy(row.initials, "DEN");
    row.wmo = 72469;
    row.wban = 23062;
    ctx->catalogue.count = 1;
  }
};

// Output files of a program on its console, as the dialogue makes them for a request.
struct Files {
  Files(ProgramContext& ctx, const std::string& directory)
      : ctx(ctx), reporter(ctx, ctx.output_stream), files(ctx.output_stream, reporter, directory) {}
  // Opens the file of a synoptic request for the date (one file per sounding); the first file
  // of a run starts the run.
  void open(int32_t date_hour, bool first_file) {
    if (first_file) files.start_run();
    files.open_file(output_file_name(OutputFormat::KVT, SortOrder::SYNOPTIC, false, date_hour,
                                     1999010100, ctx.catalogue.entries[0]));
  }
  ProgramContext& ctx;
  ConsoleFileReporter reporter;
  OutputFiles files;
};

TEST(OutputFileName, FollowsFormatSortAndStructure) {
  struct Case {
    int16_t format;
    int16_t sort;
    int16_t structure;
    int32_t date;
    const char* name;
  };
  const Case cases[] = {
      {0, 0, 0, 1999010312, "1999010100.txt"},  // one file: the request's begin date
      {0, 0, 1, 1999010312, "1999010312.txt"},
      {0, 0, 5, 1999010312, "1999010312.txt"},
      {0, 1, 0, 1999010312, "1999010100.txt"},
      {0, 1, 1, 1999010112, "72469_DEN_1999010112.txt"},
      {0, 1, 2, 1999010112, "72469_DEN_1999010112.txt"},
      {1, 0, 0, 1999123112, "DE319912.skt"},
      {1, 1, 2, 2005061512, "JU150512.skt"},
      {1, 0, 3, 2004030100, "MA010400.skt"},
  };
  StationProgram program;
  for (const Case& c : cases) {
    EXPECT_EQ(
        output_file_name(static_cast<OutputFormat>(c.format), static_cast<SortOrder>(c.sort),
                         c.structure == 0, c.date, 1999010100, program.ctx->catalogue.entries[0]),
        c.name)
        << c.format << " " << c.sort << " " << c.structure;
  }
}

TEST(OpenOutputFile, OpensAndAnnouncesEachFileAndKeepsEarlierFilesOfTheRun) {
  TempDir dir;
  StationProgram program;
  ProgramContext& ctx = *program.ctx;
  ctx.output_stream.use_none();
  const std::string directory = dir.dir();
  Files files(ctx, directory);
  // One file per sounding: two soundings of one date-hour share a name.
  files.open(1999010100, true);
  ctx.output_stream.write("first\n");
  files.open(1999010100, false);
  ctx.output_stream.write("second\n");
  files.open(1999010112, false);
  ctx.output_stream.write("third\n");
  files.files.close_file();

  EXPECT_EQ(read_file(dir.path() / "1999010100.txt"), "first\n");
  EXPECT_EQ(read_file(dir.path() / "1999010100_2.txt"), "second\n");
  EXPECT_EQ(read_file(dir.path() / "1999010112.txt"), "third\n");
  EXPECT_EQ(program.output(),
            " STATUS:  Writing output file: " + directory + "1999010100.txt        \n" +
                " STATUS:  Writing output file: " + directory + "1999010100_2.txt        \n" +
                " STATUS:  Writing output file: " + directory + "1999010112.txt        \n");

  // A new run replaces what an earlier run wrote.
  files.open(1999010100, true);
  ctx.output_stream.write("again\n");
  files.files.close_file();
  EXPECT_EQ(read_file(dir.path() / "1999010100.txt"), "again\n");
}

TEST(OpenOutputFile, OpensNothingOnTheScreen) {
  StationProgram program;
  program.ctx->output_stream.use_console();
  Files files(*program.ctx, "");
  files.open(1999010100, true);
  EXPECT_TRUE(program.ctx->output_stream.is_console());
  EXPECT_EQ(program.output(), "");
}

TEST(DirectoryDialogue, AsksForAnotherDirectoryAndKeepsIt) {
  TempDir dir;
  const std::string missing = dir.dir() + "missing/";
  // HELP shows the section and the choices again; <return> asks for a directory; the directory
  // typed without its separator gets one.
  StationProgram program("HELP\n\n" + dir.path().string() + "  extra\n");
  ProgramContext& ctx = *program.ctx;
  ctx.help_file = std::make_unique<std::istringstream>(
      "NO_DIRECTORY\nThe directory cannot be written.\nEND.\n");
  ctx.output_stream.use_none();
  Files files(ctx, missing);
  files.open(1999010100, true);
  EXPECT_EQ(files.files.directory(), dir.dir());
  EXPECT_TRUE(ctx.output_stream.is_file());
  files.files.close_file();
  const std::string choices =
      "\n  Enter     HELP for more information\n"
      "            <return> to choose another directory\n"
      "            EXIT to quit\n"
      "     Your choice? ";
  EXPECT_EQ(program.output(), "\n\n\n ERROR: unable to write files to: " + missing +
                                  "1999010100.txt\n" + choices +
                                  "\nThe directory cannot be written.\n\n\n" + choices +
                                  "\n Where do you want to write the output files?\n"
                                  "  Enter the disk and directory only: "
                                  " STATUS:  Writing output file: " +
                                  dir.dir() + "1999010100.txt        \n");
}

TEST(DirectoryDialogue, AnyOtherReplyEndsTheProgram) {
  for (const char* reply : {"EXIT\n", "x\n"}) {
    StationProgram program(reply);
    ProgramContext& ctx = *program.ctx;
    ctx.output_stream.use_none();
    Files files(ctx, "/nonexistent-wxfetch-dir/");
    try {
      files.open(1999010100, true);
      FAIL() << "the program went on after " << reply;
    } catch (const ProgramExit& exit) {
      EXPECT_EQ(exit.status, 0);
    }
    EXPECT_NE(program.output().find("\n\n Exiting tefa database ...\n"), std::string::npos);
  }
}

TEST(OutputStream, WriteErrorsEndTheProgramWithTheirReason) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  ASSERT_TRUE(ctx.output_stream.open_file("/dev/full"));
  ctx.output_stream.write("a line that cannot be stored\n");
  Files files(ctx, "");
  files.files.check();  // still in the buffer: no error yet
  try {
    files.files.close_file();
    FAIL() << "a failed close went unnoticed";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  EXPECT_EQ(program.errors(), "Write error: No space left on device\n");
  EXPECT_FALSE(ctx.output_stream.is_file());
}

// Several buffers' worth of text, written while earlier buffers are still being written to the
// file, arrives whole and in order; on a device that is full the failure of a buffer written in
// the background stops the writers at the next hand-over, and the close reports it.
TEST(OutputStream, TextOfManyBuffersArrivesWholeAndInOrder) {
  TempDir dir;
  const std::string path = dir.dir() + "long.txt";
  OutputStream stream;
  ASSERT_TRUE(stream.open_file(path));
  std::string expected;
  for (int line = 0; line < 400000; ++line) {
    const std::string text = std::to_string(line) + (line % 3 == 0 ? " in place\n" : " copied\n");
    if (line % 3 == 0) {
      char* const place = stream.reserve(text.size());
      text.copy(place, text.size());
      stream.commit(place + text.size());
    } else {
      stream.write(text);
    }
    expected += text;
  }
  ASSERT_TRUE(stream.close());
  EXPECT_TRUE(read_file(path) == expected) << "the file differs from what was written";
}

TEST(OutputStream, AFailedBackgroundWriteStopsTheWritersAndIsReportedAtClose) {
  OutputStream stream;
  ASSERT_TRUE(stream.open_file("/dev/full"));
  const std::string line(100, 'x');
  int lines = 0;
  while (!stream.error() && lines < 1000000) {
    stream.write(line);
    ++lines;
  }
  EXPECT_TRUE(stream.error());
  EXPECT_EQ(stream.error_number(), ENOSPC);
  EXPECT_FALSE(stream.close());
  EXPECT_EQ(stream.error_number(), ENOSPC);
}

}  // namespace
}  // namespace wxfetch
