// wxpack: writes a sounding archive from a plain-text description of soundings, or imports
// real soundings into one (IGRA 2 files, University of Wyoming listings, TEMP bulletins).
//
//   wxpack DATABASE_DIRECTORY [DESCRIPTION_FILE]
//   wxpack --from igra2|wyoming|temp [OPTIONS] DATABASE_DIRECTORY FILE...
//   wxpack --from igra2-stations [--stations FILE] STATION_LIST
//   wxpack --from wyoming-stations [--stations FILE] LISTING...
//
// The importers are described in man/wxpack.1; what follows is the description format.
//
// Reads the description from DESCRIPTION_FILE, or from standard input when it is "-" or not
// given, and writes one station-year file per station and year under DATABASE_DIRECTORY
// (TEFAyyyy/nnnnn_yy.BUF, TEFAyy for years up to 1993), creating the year folders and replacing
// files of the same name (each written under a temporary name and renamed). Nothing is written
// when the description holds a fault; a sounding of fewer than five levels is warned about. Exit
// status 0 on success, 1 on a fault (reported on standard error), 2 on a bad command line.
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

#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text.h"
#include "database/archive_writer.h"
#include "import/igra2.h"
#include "import/import_run.h"
#include "import/pack_text.h"
#include "import/temp_bulletin.h"
#include "import/wyoming.h"

namespace {

using namespace wxfetch::pack;

void print_usage(std::ostream& out) {
  out << "usage: wxpack DATABASE_DIRECTORY [DESCRIPTION_FILE]\n"
         "       wxpack --from igra2|wyoming|temp [OPTIONS] DATABASE_DIRECTORY FILE...\n"
         "       wxpack --from igra2-stations [--stations FILE] STATION_LIST\n"
         "       wxpack --from wyoming-stations [--stations FILE] LISTING...\n"
         "  Writes the soundings described in DESCRIPTION_FILE (standard input when it is \"-\"\n"
         "  or not given) as station-year files under DATABASE_DIRECTORY, or imports IGRA 2\n"
         "  files, University of Wyoming listings or TEMP bulletins (\"-\" is standard input).\n"
         "  The -stations forms print international_sites.txt rows for the stations that the\n"
         "  station table does not hold, from IGRA 2's station list or the listings' pages.\n"
         "options:\n"
         "  --stations FILE        station history table (stat2000.txt format): WBAN numbers\n"
         "                         and elevations; without it stations are international sites\n"
         "  --station WMO --time YYYYMMDDHH   station and time of a Wyoming CSV listing\n"
         "  --month YYYY-MM        year and month of TEMP bulletins (required with temp)\n"
         "  --ppbb-units 300m|1000ft   height unit of the PPBB wind parts (1000ft)\n"
         "  --version, -h, --help  print and exit\n";
}

struct CommandLine {
  std::string from;  // "" for the description format
  std::string stations_file;
  std::optional<CsvSounding> csv;
  TempOptions temp;
  std::vector<std::string> operands;
};

// Reads the value of an option that needs one; throws std::invalid_argument for a bad one.
void read_option(const std::string& name, const std::string& value, CommandLine& line) {
  auto whole = [&](const std::string& text, size_t digits) {
    if (text.size() != digits || text.find_first_not_of("0123456789") != std::string::npos) {
      throw std::invalid_argument(name + " " + value + ": bad value");
    }
    return std::stol(text);
  };
  if (name == "--from") {
    if (value != "igra2" && value != "wyoming" && value != "temp" && value != "igra2-stations" &&
        value != "wyoming-stations") {
      throw std::invalid_argument(
          "--from takes igra2, wyoming, temp, igra2-stations or wyoming-stations");
    }
    line.from = value;
  } else if (name == "--stations") {
    line.stations_file = value;
  } else if (name == "--station") {
    if (!line.csv) line.csv.emplace();
    line.csv->wmo = static_cast<int32_t>(whole(value, value.size() <= 5 ? value.size() : 0));
  } else if (name == "--time") {
    if (!line.csv) line.csv.emplace();
    const long t = whole(value, 10);
    line.csv->year = static_cast<int>(t / 1000000),
    line.csv->month = static_cast<int>(t / 10000 % 100);
    line.csv->day = static_cast<int>(t / 100 % 100), line.csv->hour = static_cast<int>(t % 100);
    if (line.csv->month < 1 || line.csv->month > 12 || line.csv->day < 1 || line.csv->day > 31 ||
        line.csv->hour > 23) {
      throw std::invalid_argument("--time " + value + ": no such date and hour");
    }
  } else if (name == "--month") {
    if (value.size() != 7 || value[4] != '-') throw std::invalid_argument("--month takes YYYY-MM");
    line.temp.year = static_cast<int>(whole(value.substr(0, 4), 4));
    line.temp.month = static_cast<int>(whole(value.substr(5), 2));
    if (line.temp.month < 1 || line.temp.month > 12)
      throw std::invalid_argument("--month: no such month");
  } else if (name == "--ppbb-units") {
    if (value != "300m" && value != "1000ft")
      throw std::invalid_argument("--ppbb-units takes 300m or 1000ft");
    line.temp.ppbb_unit_metres = value == "300m" ? 300 : 0;
  } else {
    throw std::invalid_argument("unknown option " + name);
  }
}

CommandLine read_command_line(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.size() > 2 && word.rfind("--", 0) == 0) {
      if (i + 1 >= argc) throw std::invalid_argument(word + " needs a value");
      read_option(word, argv[++i], line);
    } else {
      line.operands.push_back(word);
    }
  }
  const bool rows_only = line.from == "igra2-stations" || line.from == "wyoming-stations";
  const size_t needed = rows_only || line.from.empty() ? 1 : 2;
  if (line.operands.size() < needed || (line.from.empty() && line.operands.size() > 2) ||
      (line.from == "igra2-stations" && line.operands.size() > 1)) {
    throw std::invalid_argument("wrong number of operands");
  }
  if (line.from == "temp" && line.temp.year == 0)
    throw std::invalid_argument("--from temp needs --month");
  if (line.csv && (line.csv->wmo == 0 || line.csv->year == 0)) {
    throw std::invalid_argument("--station and --time go together");
  }
  if (line.from.empty() && !line.stations_file.empty()) {
    throw std::invalid_argument("--stations goes with --from");
  }
  return line;
}

// Writes the description read from `source`; returns the exit status.
int pack_description(const std::string& directory, const std::string& source) {
  std::ifstream file;
  if (source != "-") {
    file.open(source);
    if (!file) {
      std::cerr << "wxpack: cannot read " << source << "\n";
      return 1;
    }
  }
  const std::string name = source == "-" ? "standard input" : source;
  try {
    std::vector<int> lines;
    const auto soundings = read_pack_text(source == "-" ? std::cin : file, &lines);
    // Build each record once first, so that a fault names its sounding.
    for (size_t i = 0; i < soundings.size(); ++i) {
      const PackSounding& sounding = soundings[i];
      try {
        build_record(sounding);
      } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(wxfetch::cformat("sounding %d %04d%02d%02d%02d: %s",
                                                     sounding.wban, sounding.year, sounding.month,
                                                     sounding.day, sounding.hour, error.what()));
      }
      if (sounding.levels.size() < 5) {
        std::cerr << "wxpack: " << name << ": line " << lines[i] << ": warning: a sounding of "
                  << count_of(static_cast<long>(sounding.levels.size()), "level")
                  << "; wxfetch writes none of fewer than five\n";
      }
    }
    write_archive(directory, soundings);
    std::cout << "wxpack: " << count_of(static_cast<long>(soundings.size()), "sounding")
              << " written under " << directory << "\n";
  } catch (const std::exception& error) {
    std::cerr << "wxpack: " << name << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}

StationTable load_stations(const std::string& name) {
  if (name.empty()) return StationTable();
  std::ifstream file(name);
  if (!file) throw std::runtime_error("cannot read " + name);
  try {
    return StationTable(file);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(name + ": " + error.what());
  }
}

// Imports the files of the command line; returns the exit status.
int import_files(const CommandLine& line, const StationTable& stations) {
  ImportRun run(line.operands[0], std::cerr);
  for (size_t i = 1; i < line.operands.size(); ++i) {
    const std::string& source = line.operands[i];
    const std::string name = source == "-" ? "standard input" : source;
    std::ifstream file;
    if (source != "-") file.open(source, std::ios::binary);
    if (source != "-" && !file) {
      run.skip(name, 0, "cannot read the file");
      continue;
    }
    std::istream& in = source == "-" ? std::cin : file;
    if (line.from == "igra2") {
      read_igra2(in, name, stations, run);
    } else if (line.from == "wyoming") {
      read_wyoming(in, name, stations, line.csv, run);
    } else {
      read_temp_bulletins(in, name, stations, line.temp, run);
    }
  }
  run.finish();
  return run.summary(std::cout);
}

// Writes the international sites rows of the command line's station list (IGRA 2) or listings
// (Wyoming); returns the exit status.
int write_station_rows(const CommandLine& line, const StationTable& stations) {
  WyomingStations seen;
  long faults = 0;
  for (const std::string& source : line.operands) {
    std::ifstream file;
    if (source != "-") file.open(source, std::ios::binary);
    if (source != "-" && !file) {
      std::cerr << "wxpack: cannot read " << source << "\n";
      return 1;
    }
    std::istream& in = source == "-" ? std::cin : file;
    if (line.from == "wyoming-stations") {
      collect_wyoming_stations(in, seen);
    } else {
      faults += write_igra2_station_rows(in, source == "-" ? "standard input" : source, stations,
                                         std::cout, std::cerr);
    }
  }
  if (line.from == "wyoming-stations") {
    faults += write_wyoming_station_rows(seen, stations, std::cout, std::cerr);
  }
  return faults > 0 ? 1 : 0;
}

}  // namespace

namespace wxfetch {

int run_wxpack(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "-h" || word == "--help") {
      print_usage(std::cout);
      return 0;
    }
    if (word == "--version") {
      std::cout << "wxpack " << WXFETCH_VERSION << "\n";
      return 0;
    }
  }
  CommandLine line;
  try {
    line = read_command_line(argc, argv);
  } catch (const std::invalid_argument& error) {
    std::cerr << "wxpack: " << error.what() << "\n";
    print_usage(std::cerr);
    return 2;
  }
  if (line.from.empty()) {
    return pack_description(line.operands[0], line.operands.size() == 2 ? line.operands[1] : "-");
  }
  try {
    const StationTable stations = load_stations(line.stations_file);
    return line.from.ends_with("-stations") ? write_station_rows(line, stations)
                                            : import_files(line, stations);
  } catch (const std::exception& error) {
    std::cerr << "wxpack: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace wxfetch
