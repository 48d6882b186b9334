// The wxpack program as a user runs it: options that print and exit, the description format's
// checks, and an import's messages and exit status.
#include <gtest/gtest.h>

#include <string>

#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::read_file;
using testing::run_shell;
using testing::shell_quoted;
using testing::TempDir;

struct PackRun {
  int status;
  std::string out, err;
};

// Runs wxpack with `args` in `work`, its standard input a file holding `input`, with
// `environment` (by default a support folder that does not exist, whatever is installed).
PackRun wxpack(const TempDir& work, const std::string& args, const std::string& input = "",
               const std::string& environment = "WXFETCH_SUPPORT=no-support") {
  work.write("input.txt", input);
  const std::string command = "cd " + shell_quoted(work.path()) + " && " + environment + " " +
                              WXPACK_BINARY + " " + args + " < input.txt > out.txt 2> err.txt";
  const int status = run_shell(command);
  return {status, read_file(work.path() / "out.txt"), read_file(work.path() / "err.txt")};
}

TEST(Wxpack, HelpAndVersionPrintWithoutReadingInput) {
  TempDir work;
  for (const char* args : {"--version", "-h", "--help", "archive --version"}) {
    const PackRun run = wxpack(work, args, "SOUNDING not read\n");
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_NE(
        run.out.find(std::string(args).find("version") != std::string::npos ? "wxpack 4"
                                                                            : "usage: wxpack"),
        std::string::npos)
        << args;
    EXPECT_FALSE(std::filesystem::exists(work.path() / "archive")) << args;
  }
}

TEST(Wxpack, DescriptionChecksKindsAndWarnsOfShortSoundings) {
  TempDir work;
  const std::string sounding = "SOUNDING 23062 1999030412 1115 51 2 5 1 99999 99999 -1\n";
  const PackRun refused = wxpack(work, "archive", sounding + "LEVEL 3 8400 1611 125 -31 270 52\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("line 2: level kind 3 is not one of 4 to 9"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(work.path() / "archive"));

  const PackRun short_one =
      wxpack(work, "archive -", sounding + "LEVEL 9 8400 1611 125 -31 270 52\n");
  EXPECT_EQ(short_one.status, 0);
  EXPECT_EQ(short_one.out, "wxpack: 1 sounding written under archive\n");
  EXPECT_NE(short_one.err.find("line 1: warning: a sounding of 1 level;"), std::string::npos)
      << short_one.err;
}

TEST(Wxpack, ImportReportsFaultsAndEndsWithStatusOne) {
  TempDir work;
  const PackRun run =
      wxpack(work, "--from temp --month 1999-06 archive - missing.txt",
             "TTBB 6512/ 72999 00980 15452 11963 12040 22780 02058 33700 ///// 44600 "
             "12345 55500 20559=\nTTBB 6512/ 72888 00980 X=\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("standard input:2: group \"00980\""), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("missing.txt: No such file or directory"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("1 sounding imported into 1 station-year file"), std::string::npos)
      << run.out;
  EXPECT_EQ(wxpack(work, "--from temp archive -").status, 2);  // no --month
}

// Standard input that is no terminal is read, also when it is empty; nothing read is status 1.
TEST(Wxpack, EmptyInputThatIsNoTerminalEndsWithStatusOne) {
  TempDir work;
  const PackRun run = wxpack(work, "archive");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "wxpack: standard input: no sounding in the description\n");
  EXPECT_FALSE(std::filesystem::exists(work.path() / "archive"));
}

}  // namespace
}  // namespace wxfetch

namespace wxfetch {
namespace {

// Special files never hold wxpack: a device or a named pipe as the station table and a folder
// as an input are reported and refused at once.
TEST(Wxpack, SpecialFilesAreRefusedWithoutWaiting) {
  testing::TempDir work;
  ASSERT_EQ(testing::run_shell("mkfifo " + testing::shell_quoted(work.path() / "pipe")), 0);
  std::filesystem::create_directory(work.path() / "folder");
  work.write("list.txt", "");
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"--from igra2 --stations /dev/zero archive list.txt", 2, "/dev/zero: not a regular file"},
      {"--from igra2 --stations pipe archive list.txt", 2, "pipe: not a regular file"},
      {"--from igra2 archive folder", 1, "folder: not a regular file"},
      {"--from wyoming archive pipe", 1, "pipe: not a regular file"},
  };
  for (const Case& c : cases) {
    const PackRun run = wxpack(work, c.args);
    EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
  }
}

}  // namespace
}  // namespace wxfetch

namespace wxfetch {
namespace {

// An import files a station by the support folder's history table without being told, so that
// wxget finds it; an import told --no-stations files an international site, and wxget's reason
// for finding nothing says where the soundings went.
TEST(Wxpack, ImportsFileStationsByTheSupportTablesUnlessToldNot) {
  testing::TempDir work;
  const std::string support = (testing::source_dir() / "data" / "sample" / "support").string();
  const std::string bulletin =
      "TTBB 6512/ 72469 00840 15452 11800 12040 22700 02058 33600 ///// 44500 12345 55400 "
      "20559=\n";
  const std::string wxget = (std::filesystem::path(WXPACK_BINARY).parent_path() / "wxget").string();
  const std::string get_args = " -a archive -s " + testing::shell_quoted(support) +
                               " -w 72469 --from 1999031512 -f csv -o - > got.txt 2> why.txt";

  const PackRun filed =
      wxpack(work, "--from temp --month 1999-03 archive -", bulletin, "WXFETCH_SUPPORT=" + support);
  EXPECT_EQ(filed.status, 0) << filed.err;
  EXPECT_EQ(filed.out.find("international"), std::string::npos) << filed.out;
  EXPECT_EQ(
      testing::run_shell("cd " + testing::shell_quoted(work.path()) + " && " + wxget + get_args),
      0);
  EXPECT_NE(testing::read_file(work.path() / "got.txt").find("1999-03-15T12:00Z"),
            std::string::npos);

  std::filesystem::remove_all(work.path() / "archive");
  const PackRun international =
      wxpack(work, "--from temp --month 1999-03 --no-stations archive -", bulletin);
  EXPECT_EQ(international.status, 0) << international.err;
  EXPECT_NE(international.out.find("1 sounding filed as international sites"), std::string::npos)
      << international.out;
  EXPECT_EQ(
      testing::run_shell("cd " + testing::shell_quoted(work.path()) + " && " + wxget + get_args),
      1);
  EXPECT_NE(testing::read_file(work.path() / "why.txt").find("as international sites (I72469)"),
            std::string::npos)
      << testing::read_file(work.path() / "why.txt");
  const std::string wxls = (std::filesystem::path(WXPACK_BINARY).parent_path() / "wxls").string();
  EXPECT_EQ(testing::run_shell("cd " + testing::shell_quoted(work.path()) + " && " + wxls +
                               " -a archive -s " + testing::shell_quoted(support) +
                               " --wban 23062 > got.txt 2> why.txt"),
            1);
  EXPECT_NE(testing::read_file(work.path() / "why.txt").find("holds I72469 files"),
            std::string::npos)
      << testing::read_file(work.path() / "why.txt");
}

}  // namespace
}  // namespace wxfetch

namespace wxfetch {
namespace {

// Inputs as they are downloaded: gzipped files and zip archives of several members are read as
// they are, messages name the member, and a damaged archive is reported.
TEST(Wxpack, ReadsGzippedAndZippedInputs) {
  testing::TempDir work;
  if (testing::run_shell("python3 -c 'import gzip, zipfile'") != 0) GTEST_SKIP() << "no python3";
  auto bulletin = [](int day) {
    return "TTBB " + std::to_string(50 + day) +
           "12/ 72469 00840 15452 11800 12040 22700 02058 33600 ///// 44500 12345 55400 20559=\n";
  };
  work.write("a.txt", bulletin(1));
  work.write("b.txt", bulletin(2) + "TTBB 5312/ 72469 00840 X=\n");
  work.write("c.txt", bulletin(3));
  const std::string python =
      "import gzip, zipfile\n"
      "open('a.txt.gz', 'wb').write(gzip.compress(open('a.txt', 'rb').read()))\n"
      "with zipfile.ZipFile('bc.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "    z.write('b.txt'); z.write('c.txt')\n"
      "data = open('bc.zip', 'rb').read()\n"
      "open('cut.zip', 'wb').write(data[:len(data) // 2])\n";
  work.write("make.py", python);
  ASSERT_EQ(testing::run_shell("cd " + testing::shell_quoted(work.path()) + " && python3 make.py"),
            0);

  const PackRun run =
      wxpack(work, "--from temp --month 1999-03 --no-stations archive a.txt.gz bc.zip");
  EXPECT_EQ(run.status, 1) << run.err;  // the faulty line of b.txt
  EXPECT_NE(run.out.find("3 soundings imported"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("bc.zip:b.txt:2:"), std::string::npos) << run.err;

  const PackRun cut = wxpack(work, "--from temp --month 1999-03 --no-stations archive cut.zip");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("cut.zip: "), std::string::npos) << cut.err;
}

}  // namespace
}  // namespace wxfetch
