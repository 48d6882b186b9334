// The one command-line vocabulary of wxget, wxls, wxplot and wxpack: the short forms and the old
// spellings ask for what the long options ask for, the directories come from the environment
// when no option names them, every usage error is one line and a hint, and wxpack's statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "commands/wxget.h"
#include "commands/wxls.h"
#include "commands/wxpack.h"
#include "commands/wxplot.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const std::string ARCHIVE = WXFETCH_SAMPLE_ARCHIVE;
const std::string SUPPORT = (testing::source_dir() / "data/sample/support").string();

enum class Program { GET, LS, PLOT, PACK };

struct CommandRun {
  int status = -1;
  std::string out, err;
  bool operator==(const CommandRun&) const = default;
};

std::ostream& operator<<(std::ostream& os, const CommandRun& run) {
  return os << "status " << run.status << "\nout:\n" << run.out << "\nerr:\n" << run.err;
}

CommandRun run(Program program, const std::vector<std::string>& args, const std::string& input = "",
               bool terminal = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  CommandRun result;
  switch (program) {
    case Program::GET:
      result.status = run_wxget(args, out, err, false);
      break;
    case Program::LS:
      result.status = run_wxls(args, out, err);
      break;
    case Program::PLOT:
      result.status = run_wxplot_command(args, in, out, err);
      break;
    case Program::PACK:
      result.status = run_wxpack(args, in, out, err, terminal);
      break;
  }
  result.out = out.str();
  result.err = err.str();
  return result;
}

// Sets (nullptr: unsets) an environment variable while the object lives.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }

 private:
  void set(const char* value) {
    if (value != nullptr) {
      ::setenv(name_, value, 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// One request of each program: the options without the directories, and its other spellings
// (each with its own directories).
struct Spellings {
  Program program;
  std::vector<std::string> request;
  std::vector<std::vector<std::string>> aliases;
};

const std::vector<std::string> DIRECTORIES = {"--archive", ARCHIVE, "--support", SUPPORT};
const std::vector<std::string> PERIOD = {"--from", "1999030100", "--to", "1999030312"};

std::vector<Spellings> spellings() {
  return {
      {Program::LS,
       {"--wmo", "72469", "--format", "csv"},
       {{ARCHIVE, "--support", SUPPORT, "--station", "72469", "--format", "csv"},
        {"-a", ARCHIVE, "-s", SUPPORT, "-w", "72469", "-f", "csv"},
        {"-s", SUPPORT, ARCHIVE, "--wban", "23062", "-q", "-f", "csv"}}},
      {Program::GET,
       joined(PERIOD, {"--wmo", "72469", "--format", "csv", "--output", "-", "--quiet"}),
       {joined(PERIOD,
               {"-a", ARCHIVE, "-s", SUPPORT, "-w", "72469", "-f", "csv", "-o", "-", "-q"})}},
      {Program::PLOT,
       joined(PERIOD, {"--wmo", "72469", "--format", "json"}),
       {joined(PERIOD, {"-a", ARCHIVE, "-s", SUPPORT, "-w", "72469", "-f", "json", "-q"})}},
  };
}

TEST(Vocabulary, ShortFormsOldSpellingsAndTheEnvironmentAskForTheSame) {
  TempDir empty;
  for (const Spellings& s : spellings()) {
    SCOPED_TRACE(s.request[0] + " " + s.request[1]);
    const CommandRun expected = run(s.program, joined(DIRECTORIES, s.request));
    EXPECT_EQ(expected.status, 0) << expected;
    EXPECT_GT(expected.out.size(), 100u);
    for (const auto& alias : s.aliases) EXPECT_EQ(run(s.program, alias), expected);
    {
      ScopedVariable archive(ARCHIVE_VARIABLE, ARCHIVE.c_str());
      ScopedVariable support(SUPPORT_VARIABLE, SUPPORT.c_str());
      EXPECT_EQ(run(s.program, s.request), expected);
    }
    // An option overrides the environment.
    ScopedVariable archive(ARCHIVE_VARIABLE, empty.dir().c_str());
    ScopedVariable support(SUPPORT_VARIABLE, empty.dir().c_str());
    EXPECT_EQ(run(s.program, joined(DIRECTORIES, s.request)), expected);
  }
}

TEST(Vocabulary, MissingDirectoriesAndTablesNameTheirOption) {
  TempDir empty;
  ScopedVariable archive(ARCHIVE_VARIABLE, nullptr);
  ScopedVariable support(SUPPORT_VARIABLE, empty.dir().c_str());
  const std::string no_table = empty.dir() +
                               "stat2000.txt: No such file or directory (the folder of the station "
                               "tables: --support DIR, here WXFETCH_SUPPORT)\n";
  const struct {
    Program program;
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {Program::GET,
       {"--from", "1999030100", "-w", "72469"},
       "wxget: --archive DIR is needed (or WXFETCH_ARCHIVE)\n"},
      {Program::GET, {"-a", ARCHIVE, "--from", "1999030100", "-w", "72469"}, "wxget: " + no_table},
      {Program::PLOT,
       {"-a", ARCHIVE, "--from", "1999030100", "-w", "72469"},
       "wxplot: " + no_table},
      // A station by WMO number needs the tables; it is not reported as without files.
      {Program::LS, {ARCHIVE, "--wmo", "72469"}, "wxls: " + no_table},
      {Program::LS,
       {"--find", "denver"},
       "wxls: give the ARCHIVE directory (or WXFETCH_ARCHIVE)\nTry 'wxls --help'.\n"},
  };
  for (const auto& c : cases) {
    const CommandRun result = run(c.program, c.args);
    EXPECT_EQ(result.status, 2) << c.err;
    EXPECT_EQ(result.err, c.err);
  }
}

TEST(Vocabulary, UsageErrorsAreOneLineAndAHint) {
  const struct {
    Program program;
    std::vector<std::string> args;
    const char* line;
  } cases[] = {
      {Program::GET, {"--from", "1999"}, "wxget: --from: '1999' is not YYYYMMDDHH"},
      {Program::GET,
       {"-w", "72469", "--from", "1999030100", "-f", "faa604", "--units", "ms"},
       "wxget: FAA604 messages give winds in knots only (--units kt)"},
      {Program::LS, {ARCHIVE, "-w"}, "wxls: option '-w' needs a value"},
      {Program::LS,
       {ARCHIVE, "-w", "1", "--wban", "2"},
       "wxls: --wmo, --wban and --find exclude each other"},
      {Program::LS,
       {ARCHIVE, "-a", ARCHIVE},
       "wxls: give the archive once: ARCHIVE or --archive DIR"},
      {Program::PLOT, {"--input", "x.csv", "--bogus"}, "wxplot: unknown option '--bogus'"},
      {Program::PACK,
       {"--from", "csv", "a", "b"},
       "wxpack: --from takes igra2, wyoming, temp, bufr, igra2-stations or wyoming-stations"},
      {Program::PACK, {"--from", "igra2", "a"}, "wxpack: --from igra2 needs the files to read"},
      {Program::PACK,
       {"a", "-s", "x"},
       "wxpack: --support, --stations and --no-stations go with --from"},
  };
  for (const auto& c : cases) {
    const std::string program = c.line;
    const CommandRun result = run(c.program, c.args);
    EXPECT_EQ(result.status, 2) << c.line;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string(c.line) + "\nTry '" + program.substr(0, program.find(':')) +
                              " --help'.\n");
  }
}

TEST(Vocabulary, KnotsAreTheWindUnitsOfFaa604) {
  const std::vector<std::string> request =
      joined(DIRECTORIES, {"-w", "72469", "--from", "1999030100", "-f", "faa604", "-o", "-", "-q"});
  const CommandRun knots = run(Program::GET, joined(request, {"--units", "kt"}));
  EXPECT_EQ(knots.status, 0) << knots;
  EXPECT_NE(knots.out.find("TTAA"), std::string::npos);
  EXPECT_EQ(knots, run(Program::GET, request));
}

TEST(WxpackStatus, NothingReadIsStatusOneATerminalOrAnIoErrorTwo) {
  TempDir dir;
  const std::string archive = dir.dir() + "archive";
  const std::string missing = dir.dir() + "missing.txt";
  const struct {
    std::vector<std::string> args;
    bool terminal;
    int status;
    std::string err;
  } cases[] = {
      {{archive}, false, 1, "wxpack: standard input: no sounding in the description\n"},
      {{"--archive", archive, "-"},
       true,
       1,
       "wxpack: standard input: no sounding in the description\n"},
      {{archive},
       true,
       2,
       "wxpack: no DESCRIPTION_FILE, and standard input is a terminal (an import needs --from)\n"
       "Try 'wxpack --help'.\n"},
      {{"--from", "temp", "--month", "1999-06", "-a", archive, "-"},
       false,
       1,
       "wxpack: no sounding imported\n"},
      {{archive, missing}, false, 2, "wxpack: " + missing + ": No such file or directory\n"},
      {{"--from", "igra2", "--stations", missing, archive, "-"},
       false,
       2,
       "wxpack: " + missing + ": No such file or directory\n"},
      {{"--from", "igra2", "--support", dir.dir(), archive, "-"},
       false,
       2,
       "wxpack: " + dir.dir() +
           "stat2000.txt: No such file or directory (the folder of the station tables: --support "
           "DIR)\n"},
  };
  for (const auto& c : cases) {
    const CommandRun result = run(Program::PACK, c.args, "", c.terminal);
    EXPECT_EQ(result.status, c.status) << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(fs::exists(archive));
  }
}

TEST(WxpackStatus, SupportFolderFilesStationsAsTheStationsTableDoes) {
  TempDir dir;
  const std::string bulletin =
      "TTBB 6512/ 72469 00980 15452 11963 12040 22780 02058 33700 ///// 44600 12345 55500 20559=\n";
  const std::vector<std::string> temp = {"--from", "temp", "--month", "1999-06"};
  const CommandRun by_folder =
      run(Program::PACK, joined(temp, {"-s", SUPPORT, "-a", dir.dir() + "a", "-"}), bulletin);
  const CommandRun by_file =
      run(Program::PACK,
          joined(temp, {"--stations", SUPPORT + "/stat2000.txt", dir.dir() + "b", "-"}), bulletin);
  EXPECT_EQ(by_folder.status, 0) << by_folder;
  EXPECT_EQ(by_file.status, 0) << by_file;
  // Denver is filed by its WBAN number, not as an international site.
  EXPECT_TRUE(fs::exists(dir.path() / "a/TEFA1999/23062_99.BUF"));
  EXPECT_TRUE(fs::exists(dir.path() / "b/TEFA1999/23062_99.BUF"));
  EXPECT_EQ(run(Program::PACK, joined(temp, {"-q", "-a", dir.dir() + "c", "-"}), bulletin).out, "");
}

}  // namespace
}  // namespace wxfetch
