// wxpack: writes a sounding archive from a plain-text description of soundings, or imports
// real soundings into one (IGRA 2 files, University of Wyoming listings, TEMP bulletins, BUFR
// radiosonde reports).
//
//   wxpack [--archive] DATABASE_DIRECTORY [DESCRIPTION_FILE]
//   wxpack --from igra2|wyoming|temp|bufr [OPTIONS] [--archive] DATABASE_DIRECTORY FILE...
//   wxpack --from igra2-stations [--support DIR | --stations FILE] STATION_LIST
//   wxpack --from wyoming-stations [--support DIR | --stations FILE] LISTING...
//
// The importers are described in man/wxpack.1; what follows is the description format.
//
// Reads the description from DESCRIPTION_FILE, or from standard input when it is "-" or not
// given, and writes one station-year file per station and year under DATABASE_DIRECTORY
// (TEFAyyyy/nnnnn_yy.BUF, TEFAyy for years up to 1993), creating the year folders and replacing
// files of the same name (each written under a temporary name and renamed). Nothing is written
// when the description holds a fault; a sounding of fewer than five levels is warned about. Exit
// status 0 on success, 1 on a fault (reported on standard error) or a description without a
// sounding, 2 on a bad command line or an I/O error.
//
// Description format. Lines hold blank-separated whole numbers; blank lines and lines beginning
// with '#' are skipped. Each sounding is a SOUNDING line followed by its LEVEL lines, in the
// order they are to be stored. 99999 marks an absent value in any field.
//
//   SOUNDING wban yyyymmddhh release sonde indicator_a indicator_b ref1 ref2 ref3 optional
//     wban         WBAN number; 900000 + WMO number for an international site
//     yyyymmddhh   date and hour (UTC) of the sounding
//     release      release time hhmm (e.g. 2315 for a 00 UTC sounding)
//     sonde        sonde type as shown: 45, 46, 49, 51, 37, 52, 61, 63, 0 or 9 to 14
//     indicator_a  0 to 6
//     indicator_b  0 to 14
//     ref1..ref3   1-based numbers of the levels whose pressures are the sounding's three
//                  reference pressures (0 for none)
//     optional     number of entries of the record's optional block, -1 for a record without
//
//   LEVEL kind pressure height temperature dew_point direction speed
//     kind         4 mandatory, 5 significant, 6 wind, 7 tropopause, 8 maximum wind, 9 surface
//     pressure     tenths of mb (8500 for 850.0 mb)
//     height       metres (about one value in fifty cannot be stored; it is refused)
//     temperature  tenths of degrees C; dew_point likewise
//     direction    degrees
//     speed        tenths of m/s
//
// Example:
//   SOUNDING 23062 1999030412 1115 51 2 5 1 99999 99999 -1
//   LEVEL 9 8400 1611 125 -31 270 52
//   LEVEL 4 7000 3050 -21 -85 280 123
#include "commands/wxpack.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <fstream>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/input_file.h"
#include "base/text.h"
#include "cli/options.h"
#include "database/archive_names.h"
#include "database/archive_writer.h"
#include "database/inventory.h"
#include "import/bufr.h"
#include "import/igra2.h"
#include "import/import_run.h"
#include "import/input_files.h"
#include "import/pack_text.h"
#include "import/temp_bulletin.h"
#include "import/wyoming.h"
#include "records/station_entry.h"

namespace wxfetch {

namespace {

using namespace pack;

constexpr const char* USAGE =
    "usage: wxpack [-a] DATABASE_DIRECTORY [DESCRIPTION_FILE]\n"
    "       wxpack --from igra2|wyoming|temp|bufr [OPTIONS] [-a] DATABASE_DIRECTORY FILE...\n"
    "       wxpack --from igra2-stations [-s DIR | --stations FILE] STATION_LIST\n"
    "       wxpack --from wyoming-stations [-s DIR | --stations FILE] LISTING...\n"
    "  Writes the soundings described in DESCRIPTION_FILE (standard input when it is \"-\"\n"
    "  or not given, but not a terminal) as station-year files under DATABASE_DIRECTORY, or\n"
    "  imports IGRA 2 files, University of Wyoming listings, TEMP bulletins or BUFR\n"
    "  radiosonde reports (\"-\" is standard input). The -stations forms print\n"
    "  international_sites.txt rows for the stations that the station table does not hold,\n"
    "  from IGRA 2's station list or the listings' pages.\n"
    "options:\n"
    "  -a, --archive DIR      the archive (DATABASE_DIRECTORY) as an option\n"
    "  -s, --support DIR      the station history table DIR/stat2000.txt: WBAN numbers and\n"
    "                         elevations; without it stations are international sites\n"
    "  --stations FILE        the station history table itself\n"
    "  -w, --wmo WMO --time YYYYMMDDHH   station and time of a Wyoming CSV listing\n"
    "  --month YYYY-MM        year and month of TEMP bulletins (required with temp)\n"
    "  --ppbb-units 300m|1000ft   height unit of the PPBB wind parts (1000ft)\n"
    "  -q, --quiet            no summary\n"
    "  -h, --help, --version  print and exit\n"
    "Exit status: 0 done, 1 input skipped or nothing to write, 2 usage or I/O error.\n";

// The input formats of --from.
constexpr std::string_view FORMATS[] = {"igra2", "wyoming",        "temp",
                                        "bufr",  "igra2-stations", "wyoming-stations"};

enum PackCode : int {
  STATIONS = FIRST_PROGRAM_OPTION,
  NO_STATIONS,
  STATION,
  TIME,
  MONTH,
  PPBB_UNITS
};

struct PackCommand {
  std::string from;           // "" for the description format
  std::string archive;        // --archive DIR, else the first operand
  std::string support;        // --support DIR
  std::string stations_file;  // --stations FILE, or the support folder's stat2000.txt
  bool no_stations = false;   // --no-stations: every station an international site
  // The support folder came from $WXFETCH_SUPPORT or the installation, not from an option:
  // without a table there, stations are filed as international sites, and the summary says so.
  DirectorySource support_source = DirectorySource::OPTION;
  std::optional<CsvSounding> csv;
  TempOptions temp;
  std::vector<std::string> files;  // the operands after the archive
  CommonFlags flags;
};

// The streams of a run.
struct Streams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// `digits` digits as a number; -1 when the text is not that.
long whole(const std::string& text, size_t digits) {
  if (text.size() != digits || text.find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  return std::stol(text);
}

std::string set_time(const std::string& value, CsvSounding& csv) {
  const long t = whole(value, 10);
  csv.year = static_cast<int>(t / 1000000), csv.month = static_cast<int>(t / 10000 % 100);
  csv.day = static_cast<int>(t / 100 % 100), csv.hour = static_cast<int>(t % 100);
  if (t < 0 || csv.month < 1 || csv.month > 12 || csv.day < 1 || csv.day > 31 || csv.hour > 23) {
    return "--time " + value + ": no such date and hour";
  }
  return "";
}

std::string set_month(const std::string& value, TempOptions& temp) {
  if (value.size() != 7 || value[4] != '-') return "--month takes YYYY-MM";
  const long year = whole(value.substr(0, 4), 4);
  const long month = whole(value.substr(5), 2);
  if (year < 0 || month < 1 || month > 12) return "--month " + value + ": no such month";
  temp.year = static_cast<int>(year);
  temp.month = static_cast<int>(month);
  return "";
}

// Applies one of the options that take a word or a number; "" or the usage error.
std::string apply_value_option(int code, const std::string& value, PackCommand& c) {
  switch (code) {
    case OPTION_FROM:
      if (std::find(std::begin(FORMATS), std::end(FORMATS), value) == std::end(FORMATS)) {
        return "--from takes igra2, wyoming, temp, bufr, igra2-stations or wyoming-stations";
      }
      c.from = value;
      return "";
    case OPTION_WMO:
    case STATION:
      if (!c.csv) c.csv.emplace();
      return parse_one_number(code == STATION ? "station" : "wmo", value, c.csv->wmo);
    case TIME:
      if (!c.csv) c.csv.emplace();
      return set_time(value, *c.csv);
    case MONTH:
      return set_month(value, c.temp);
    case PPBB_UNITS:
      if (value != "300m" && value != "1000ft") return "--ppbb-units takes 300m or 1000ft";
      c.temp.ppbb_unit_metres = value == "300m" ? 300 : 0;
      return "";
  }
  return "unknown option";
}

std::string apply_pack_option(int code, std::string_view value, PackCommand& c) {
  switch (code) {
    case OPTION_ARCHIVE:
      c.archive = value;
      return "";
    case OPTION_SUPPORT:
      c.support = value;
      return "";
    case STATIONS:
      c.stations_file = value;
      return "";
    case NO_STATIONS:
      c.no_stations = true;
      return "";
  }
  if (apply_common_flag(code, c.flags)) return "";
  return apply_value_option(code, std::string(value), c);
}

// Checks the input files of the command against its format; "" or the usage error.
std::string check_files(const PackCommand& c, bool input_terminal) {
  if (c.from.empty()) {
    if (c.files.size() > 1) return "give at most one DESCRIPTION_FILE";
    if (c.files.empty() && input_terminal) {
      return "no DESCRIPTION_FILE, and standard input is a terminal (an import needs --from)";
    }
    return "";
  }
  if (c.files.empty()) return "--from " + c.from + " needs the files to read";
  if (c.from == "igra2-stations" && c.files.size() > 1) return "give one IGRA 2 station list";
  return "";
}

// Takes the archive and the input files from the operands; "" or the usage error.
std::string take_operands(std::vector<std::string> operands, bool input_terminal, PackCommand& c) {
  const bool rows_only = c.from.ends_with("-stations");
  if (rows_only && !c.archive.empty() && c.from != "igra2-stations") {
    return "--from " + c.from + " writes no archive";
  }
  if (!rows_only && c.archive.empty()) {
    if (operands.empty()) return "give the DATABASE_DIRECTORY (or --archive DIR)";
    c.archive = operands.front();
    operands.erase(operands.begin());
  }
  c.files = std::move(operands);
  return check_files(c, input_terminal);
}

// The station table an import files its stations by: the history table of --support, else of
// the default support folder, unless --stations or --no-stations says otherwise.
void choose_station_table(PackCommand& c) {
  if (!c.from.empty() && !c.no_stations && c.support.empty() && c.stations_file.empty()) {
    SelectionOptions defaults;
    apply_directory_defaults(defaults);
    c.support = defaults.support;
    c.support_source = defaults.support_source;
  }
  if (!c.support.empty()) {
    c.stations_file = c.support;
    append_separator(c.stations_file);
    c.stations_file += "stat2000.txt";
  }
}

// Checks the options that go together; "" or the usage error.
std::string check_options(PackCommand& c) {
  if (c.from == "temp" && c.temp.year == 0) return "--from temp needs --month";
  if (c.csv && (c.csv->wmo == 0 || c.csv->year == 0)) return "--wmo and --time go together";
  if (!c.support.empty() && !c.stations_file.empty()) {
    return "give --support DIR or --stations FILE, not both";
  }
  if (c.no_stations && (!c.support.empty() || !c.stations_file.empty())) {
    return "--no-stations goes with neither --support nor --stations";
  }
  choose_station_table(c);
  if (c.from.empty() && (!c.stations_file.empty() || c.no_stations)) {
    return "--support, --stations and --no-stations go with --from";
  }
  return "";
}

std::string parse_pack_command(const std::vector<std::string>& args, bool input_terminal,
                               PackCommand& c) {
  std::vector<option> table =
      vocabulary_options({OPTION_FROM, OPTION_ARCHIVE, OPTION_SUPPORT, OPTION_WMO, OPTION_QUIET,
                          OPTION_HELP, OPTION_VERSION});
  table.insert(table.end(), {{"stations", required_argument, nullptr, STATIONS},
                             {"no-stations", no_argument, nullptr, NO_STATIONS},
                             {"station", required_argument, nullptr, STATION},
                             {"time", required_argument, nullptr, TIME},
                             {"month", required_argument, nullptr, MONTH},
                             {"ppbb-units", required_argument, nullptr, PPBB_UNITS}});
  std::vector<std::string> operands;
  std::string error = parse_long_options(
      args, table,
      [&](int code, std::string_view value) { return apply_pack_option(code, value, c); },
      &operands);
  if (!error.empty() || c.flags.help || c.flags.version) return error;
  error = check_options(c);
  return error.empty() ? take_operands(std::move(operands), input_terminal, c) : error;
}

// Builds each record once, so that a fault names its sounding (std::invalid_argument), and warns
// of short soundings.
void check_soundings(const std::vector<PackSounding>& soundings, const std::vector<int>& lines,
                     const std::string& name, std::ostream& err) {
  for (size_t i = 0; i < soundings.size(); ++i) {
    const PackSounding& sounding = soundings[i];
    try {
      build_record(sounding);
    } catch (const std::invalid_argument& error) {
      throw std::invalid_argument(cformat("sounding %d %04d%02d%02d%02d: %s", sounding.wban,
                                          sounding.year, sounding.month, sounding.day,
                                          sounding.hour, error.what()));
    }
    if (sounding.levels.size() < 5) {
      err << "wxpack: " << name << ": line " << lines[i] << ": warning: a sounding of "
          << count_of(static_cast<long>(sounding.levels.size()), "level")
          << "; wxfetch writes none of fewer than five\n";
    }
  }
}

// Opens an input file to read whole, without waiting: a named pipe, a device (/dev/zero) or a
// folder of that name is a file that cannot be opened.
std::unique_ptr<InputFile> open_input(const std::string& path) {
  return InputFile::open(path, std::numeric_limits<uint64_t>::max());
}

// "PATH: reason" for an input that open_input could not open.
std::string input_error(const std::string& path) {
  return errno == ENODEV ? path + ": not a regular file" : file_error(path, errno);
}

// Writes the description of the file or standard input: status 1 for a fault of the description
// or none of a sounding, 2 for an I/O error.
Outcome pack_description(const PackCommand& c, Streams io) {
  const std::string source = c.files.empty() ? "-" : c.files.front();
  const std::string name = source == "-" ? "standard input" : source;
  std::unique_ptr<InputFile> file;
  if (source != "-") {
    file = open_input(source);
    if (!file) return Outcome{2, input_error(source)};
  }
  try {
    std::vector<int> lines;
    const auto soundings = read_pack_text(source == "-" ? io.in : *file, &lines);
    check_soundings(soundings, lines, name, io.err);
    if (soundings.empty()) return Outcome{1, name + ": no sounding in the description"};
    write_archive(c.archive, soundings);
    if (!c.flags.quiet) {
      io.out << "wxpack: " << count_of(static_cast<long>(soundings.size()), "sounding")
             << " written under " << c.archive << "\n";
    }
  } catch (const std::invalid_argument& error) {
    return Outcome{1, name + ": " + error.what()};
  }
  return Outcome{};
}

// The station table of --support or --stations (none with --no-stations). A table missing from
// a support folder that no option named leaves every station an international site; `missing`
// then says so for the summary.
StationTable load_stations(const PackCommand& c, std::string& missing) {
  const std::string& name = c.stations_file;
  if (name.empty()) return StationTable();
  const std::unique_ptr<InputFile> file = InputFile::open(name);
  if (!file && errno == ENOENT && c.support_source != DirectorySource::OPTION) {
    missing = "wxpack: note: no station history table at " + name +
              ": every station was filed as an international site (give --support DIR)\n";
    return StationTable();
  }
  if (!file) {
    const std::string error = input_error(name);
    throw std::runtime_error(c.support.empty() ? error : support_error(error, c.support_source));
  }
  try {
    return StationTable(*file);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(name + ": " + error.what());
  }
}

// Imports the files of the command line: status 1 when anything was skipped or nothing imported.
Outcome import_files(const PackCommand& c, const StationTable& stations, Streams io) {
  ImportRun run(c.archive, io.err);
  const InputReader read = [&](std::istream& in, const std::string& name) {
    if (c.from == "igra2") {
      read_igra2(in, name, stations, run);
    } else if (c.from == "wyoming") {
      read_wyoming(in, name, stations, c.csv, run);
    } else if (c.from == "bufr") {
      read_bufr(in, name, stations, run);
    } else {
      read_temp_bulletins(in, name, stations, c.temp, run);
    }
  };
  for (const std::string& source : c.files) {
    if (source == "-") {
      read(io.in, "standard input");
      continue;
    }
    const std::string problem = read_inputs(source, read);
    if (!problem.empty()) {
      io.err << problem << "\n";
      run.skip_file();
    }
  }
  run.finish();
  std::ostringstream dropped;
  const int status = run.summary(c.flags.quiet ? dropped : io.out);
  if (run.imported() == 0) return Outcome{1, "no sounding imported"};
  return Outcome{status, ""};  // the summary and the messages above say what was skipped
}

// Writes the international sites rows of the command line's station list (IGRA 2) or listings
// (Wyoming): status 1 when a station got no row.
// The WMO numbers of the international sites whose files the archive `directory` holds.
std::set<int32_t> sites_in_archive(const std::string& directory) {
  std::string folder = directory;
  append_separator(folder);
  std::set<int32_t> sites;
  for (const int32_t wban : stations_in_archive(folder, find_years(folder))) {
    if (wban > INTERNATIONAL_WBAN_OFFSET) sites.insert(wban - INTERNATIONAL_WBAN_OFFSET);
  }
  return sites;
}

Outcome write_station_rows(const PackCommand& c, const StationTable& stations, Streams io) {
  WyomingStations seen;
  long faults = 0;
  long written = 0;
  std::set<int32_t> held;
  if (!c.archive.empty()) held = sites_in_archive(c.archive);
  const StationRowsChoice choice{c.archive.empty() ? nullptr : &held, &written};
  const InputReader read = [&](std::istream& in, const std::string& name) {
    if (c.from == "wyoming-stations") {
      collect_wyoming_stations(in, seen);
    } else {
      faults += write_igra2_station_rows(in, name, stations, io.out, io.err, choice);
    }
  };
  for (const std::string& source : c.files) {
    if (source == "-") {
      read(io.in, "standard input");
      continue;
    }
    const std::string problem = read_inputs(source, read);
    if (!problem.empty()) return Outcome{2, problem};
  }
  if (c.from == "wyoming-stations") {
    faults += write_wyoming_station_rows(seen, stations, io.out, io.err);
  }
  if (stations.rows() + written > MAX_STATION_ROWS) {
    io.err << "wxpack: note: the history table's " << stations.rows() << " rows and the " << written
           << " rows written make more than " << MAX_STATION_ROWS
           << ": wxfetch's dialogue reads only the first " << MAX_STATION_ROWS
           << " (wxget, wxls and wxplot read them all; --archive DIR writes rows only for the "
              "stations an archive holds)\n";
  }
  return Outcome{faults > 0 ? 1 : 0, ""};
}

Outcome run_pack(const PackCommand& c, Streams io) {
  try {
    if (c.from.empty()) return pack_description(c, io);
    if (c.from == "bufr" && !BUFR_IMPORT_BUILT) {
      return no_bufr_in_this_build();
    }
    std::string missing;
    const StationTable stations = load_stations(c, missing);
    if (!c.flags.quiet) io.out << missing;
    return c.from.ends_with("-stations") ? write_station_rows(c, stations, io)
                                         : import_files(c, stations, io);
  } catch (const std::exception& error) {
    // The archive or a table could not be read or written.
    return Outcome{2, error.what()};
  }
}

}  // namespace

int run_wxpack(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, bool input_terminal) {
  PackCommand command;
  const std::string usage_error = parse_pack_command(args, input_terminal, command);
  const int status = answer_usage("wxpack", usage_error, command.flags, USAGE, out, err);
  if (status >= 0) return status;
  return finish_program("wxpack", run_pack(command, {in, out, err}), out, err);
}

}  // namespace wxfetch
