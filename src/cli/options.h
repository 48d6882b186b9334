// The command lines of wxget, wxls, wxplot and wxpack: one vocabulary of long options (with short
// forms for the frequent ones), read with getopt_long into plain values. Only the form of each
// option is checked here (a date of ten digits, a list of numbers, a known word); what the values
// mean for the archive is the request's business.
#pragma once

#include <getopt.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/access_request.h"

namespace wxfetch {

// The codes of the options that every program spells alike. An option with a short form has
// its letter as its code; a program's own options take codes from FIRST_PROGRAM_OPTION on.
enum OptionCode : int {
  OPTION_ARCHIVE = 'a',  // --archive DIR, -a DIR
  OPTION_SUPPORT = 's',  // --support DIR, -s DIR
  OPTION_WMO = 'w',      // --wmo N[,N...], -w
  OPTION_OUTPUT = 'o',   // --output, -o
  OPTION_FORMAT = 'f',   // --format, -f
  OPTION_QUIET = 'q',    // --quiet, -q
  OPTION_HELP = 'h',     // --help, -h
  OPTION_VERSION = 256,  // --version
  OPTION_WBAN,           // --wban N[,N...]
  OPTION_FROM,           // --from YYYYMMDDHH (wxpack: --from FORMAT)
  OPTION_TO,             // --to YYYYMMDDHH
  OPTION_HOURS,
  OPTION_STATIONS_FILE,
  OPTION_BOX,
  OPTION_REGION,
  OPTION_ALL_STATIONS,
  OPTION_LEVELS,
};

// The first option code free for a program's own options.
constexpr int FIRST_PROGRAM_OPTION = 512;

// The getopt_long entries of the vocabulary's options with these codes.
std::vector<option> vocabulary_options(std::initializer_list<int> codes);

// How the stations of a request are chosen: exactly one of the station options.
enum class StationOption { NONE, WMO, WBAN, FILE, BOX, REGION, ALL };

// Where a directory of the options came from: an option, an environment variable, or the
// installed default.
enum class DirectorySource { OPTION, ENVIRONMENT, INSTALLED };

// The options that pick soundings out of an archive, shared by wxget and wxplot.
struct SelectionOptions {
  std::string archive;  // --archive DIR ("": $WXFETCH_ARCHIVE)
  std::string support;  // --support DIR ("": $WXFETCH_SUPPORT, else installed)
  DirectorySource support_source = DirectorySource::OPTION;
  std::string from;                    // --from YYYYMMDDHH
  std::string to;                      // --to YYYYMMDDHH ("": the --from date)
  std::optional<SoundingHours> hours;  // --hours all|00+12|00|12
  StationOption stations = StationOption::NONE;
  int station_options = 0;       // how many station options were given (one is allowed)
  std::vector<int32_t> numbers;  // --wmo N[,N...] or --wban N[,N...]
  std::string stations_file;     // --stations-file FILE (WMO numbers, one per line)
  float box[4] = {};             // --box SOUTH,NORTH,WEST,EAST (north and east positive)
  LevelSelection levels = LevelSelection::ALL;  // --levels all|mandatory|significant
};

// The environment variables of the directory defaults.
constexpr const char* ARCHIVE_VARIABLE = "WXFETCH_ARCHIVE";
constexpr const char* SUPPORT_VARIABLE = "WXFETCH_SUPPORT";

// The support folder that `cmake --install` fills.
const char* installed_support_directory();

// Fills the directories that no option named: the archive from $WXFETCH_ARCHIVE, the support
// folder from $WXFETCH_SUPPORT, else the installed one (`support_source` says which). An empty
// variable counts as unset.
void apply_directory_defaults(SelectionOptions& options);

// What a failed read of a station table means to the user: the system's `error` and where the
// tables were looked for (`source`), naming --support.
std::string support_error(const std::string& error, DirectorySource source);

// The flags every program reads alike.
struct CommonFlags {
  bool quiet = false;    // --quiet: no progress line and no summary
  bool help = false;     // --help
  bool version = false;  // --version
};

// Sets the flag of --quiet, --help or --version; false for any other code.
bool apply_common_flag(int code, CommonFlags& flags);

// wxget's formats: the two text formats (KVT with or without data above 100 mb), the open
// formats, Wyoming's listings and BUFR.
enum class GetFormat { KVT, KVT_100MB, FAA604, CSV, JSON, NETCDF, WYOMING, BUFR };

struct GetOptions {
  SelectionOptions selection;
  GetFormat format = GetFormat::KVT;  // --format kvt|...|netcdf|wyoming|bufr
  std::optional<WindUnits> units;     // --units kt|ms (KNOTS or TENTHS_MS)
  std::optional<SortOrder> sort;      // --sort time|station
  std::optional<int> centre;          // --centre N: BUFR's originating centre (0 to 65534)
  std::string output = ".";           // --output DIR, or "-" for standard output
  std::string files;                  // --files WORD ("": the default)
  bool list_stations = false;         // --list-stations
  std::string columns;                // --columns LIST ("": the default columns)
  CommonFlags flags;
};

// The outcome of a step of a command-line program: status 0 and no message when it passed, else
// the exit status (1: the request matches nothing, 2: a usage or I/O error) and its one line.
struct Outcome {
  int status = 0;
  std::string message;
};

// The outcome of asking a build without ecCodes for BUFR, in or out.
inline Outcome no_bufr_in_this_build() {
  return Outcome{2, "this build has no BUFR (it was built without ecCodes)"};
}

// The start of a program after its options were read: a usage error (one line "<program>:
// error" and the hint "Try '<program> --help'." on `err`, status 2), or the `usage` text for
// --help or the version for --version on `out` (status 0). Returns -1 when there is neither and
// the program goes on.
int answer_usage(const char* program, const std::string& usage_error, const CommonFlags& flags,
                 const char* usage, std::ostream& out, std::ostream& err);

// The end of a program: flushes `out`, prints the outcome's message ("<program>: message") on
// `err` unless it passed or has none (its messages were shown as they came), and returns its
// status.
int finish_program(const char* program, const Outcome& outcome, std::ostream& out,
                   std::ostream& err);

// Applies one option (its code in the table, its value or ""); returns "" or the usage error.
using OptionHandler = std::function<std::string(int code, std::string_view value)>;

// Runs getopt_long over `args` (program name not included) with the long options `table`; an
// entry whose code is a letter is also that short option. Each option goes to `apply`. The
// arguments that are not options go to `operands`; without `operands` they are an error.
// Returns "" or the first usage error.
std::string parse_long_options(const std::vector<std::string>& args,
                               const std::vector<option>& table, const OptionHandler& apply,
                               std::vector<std::string>* operands = nullptr);

// Reads wxget's arguments (program name not included) and fills the directory defaults.
// Returns "" or the usage error.
std::string parse_get_options(const std::vector<std::string>& args, GetOptions& options);

// The options that pick soundings (--archive, --support, --from, ... --levels), for a program
// that reads them beside its own options.
std::vector<option> selection_option_table();

// Applies one option of selection_option_table(); returns "" or the usage error.
std::string apply_selection_option(int code, std::string_view value, SelectionOptions& options);

// Reads "N[,N...]" of positive numbers below 1000000 into `numbers` (appended). False when the
// text is not such a list.
bool parse_number_list(std::string_view text, std::vector<int32_t>& numbers);

// Reads one station number of `option` (wmo, wban, ...) into `number`; "" or the usage error.
std::string parse_one_number(const char* option, std::string_view text, int32_t& number);

}  // namespace wxfetch
