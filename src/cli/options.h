// The command lines of wxget and of wxplot's archive mode: long options read with getopt_long
// into plain values. Only the form of each option is checked here (a date of ten digits, a list
// of numbers, a known word); what the values mean for the archive is the request's business.
#pragma once

#include <getopt.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/access_request.h"

namespace wxfetch {

// How the stations of a request are chosen: exactly one of the station options.
enum class StationOption { NONE, WMO, WBAN, FILE, BOX, REGION, ALL };

// The options that pick soundings out of an archive, shared by wxget and wxplot.
struct SelectionOptions {
  std::string archive;                 // --archive DIR
  std::string support = ".";           // --support DIR
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

// wxget's formats: the two text formats (KVT with or without data above 100 mb) and the open
// formats.
enum class GetFormat { KVT, KVT_100MB, FAA604, CSV, JSON };

struct GetOptions {
  SelectionOptions selection;
  GetFormat format = GetFormat::KVT;  // --format kvt|kvt-100mb|faa604|csv|json
  std::optional<WindUnits> units;     // --units kt|ms (KNOTS or TENTHS_MS)
  std::optional<SortOrder> sort;      // --sort time|station
  std::string output = ".";           // --output DIR, or "-" for standard output
  std::string files;                  // --files WORD ("": the default)
  bool quiet = false;                 // --quiet
  bool list_stations = false;         // --list-stations
  bool help = false;                  // --help
  bool version = false;               // --version
};

// The outcome of a step of a command-line program: status 0 and no message when it passed, else
// the exit status (1: the request matches nothing, 2: a usage or I/O error) and its one line.
struct Outcome {
  int status = 0;
  std::string message;
};

// The start of a program after its options were read: a usage error ("<program>: error" and a
// hint on `err`, status 2), or the `usage` text for --help or the version for --version on `out`
// (status 0). Returns -1 when there is neither and the program goes on.
int answer_usage(const char* program, const std::string& usage_error, bool help, bool version,
                 const char* usage, std::ostream& out, std::ostream& err);

// The end of a program: flushes `out`, prints the outcome's message ("<program>: message") on
// `err` unless it passed, and returns its status.
int finish_program(const char* program, const Outcome& outcome, std::ostream& out,
                   std::ostream& err);

// Applies one option (its code in the table, its value or ""); returns "" or the usage error.
using OptionHandler = std::function<std::string(int code, std::string_view value)>;

// Runs getopt_long over `args` (program name not included) with the long options `table` and the
// short options -h and -q, handing each option to `apply`. The arguments that are not options
// go to `operands`; without `operands` they are an error. Returns "" or the first usage error.
std::string parse_long_options(const std::vector<std::string>& args,
                               const std::vector<option>& table, const OptionHandler& apply,
                               std::vector<std::string>* operands = nullptr);

// Reads wxget's arguments (program name not included). Returns "" or the usage error.
std::string parse_get_options(const std::vector<std::string>& args, GetOptions& options);

// The first option code free for a program's own options beside the selection options.
constexpr int FIRST_PROGRAM_OPTION = 512;

// The long options that pick soundings (--archive, --support, --from, ... --levels), for a
// program that reads them beside its own options.
std::vector<option> selection_option_table();

// Applies one option of selection_option_table(); returns "" or the usage error.
std::string apply_selection_option(int code, std::string_view value, SelectionOptions& options);

// Reads "N[,N...]" of positive numbers below 1000000 into `numbers` (appended). False when the
// text is not such a list.
bool parse_number_list(std::string_view text, std::vector<int32_t>& numbers);

}  // namespace wxfetch
