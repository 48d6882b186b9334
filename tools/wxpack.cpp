// wxpack: writes a sounding archive from a plain-text description of soundings.
//
//   wxpack DATABASE_DIRECTORY [DESCRIPTION_FILE]
//
// Reads the description from DESCRIPTION_FILE, or from standard input when it is "-" or not
// given, and writes one station-year file per station and year under DATABASE_DIRECTORY
// (TEFAyyyy/nnnnn_yy.BUF, TEFAyy for years up to 1993), creating the year folders and replacing
// files of the same name. Nothing is written when the description holds a fault. Exit status 0
// on success, 1 on a fault (reported on standard error), 2 on a bad command line.
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
#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "archive_builder.h"
#include "text.h"

namespace {

void print_usage(std::ostream& out) {
  out << "usage: wxpack DATABASE_DIRECTORY [DESCRIPTION_FILE]\n"
         "  Writes the soundings described in DESCRIPTION_FILE (standard input when it is \"-\"\n"
         "  or not given) as station-year files under DATABASE_DIRECTORY.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    print_usage(std::cout);
    return 0;
  }
  if (argc < 2 || argc > 3) {
    print_usage(std::cerr);
    return 2;
  }
  const std::string source = argc == 3 ? argv[2] : "-";
  std::ifstream file;
  if (source != "-") {
    file.open(source);
    if (!file) {
      std::cerr << "wxpack: cannot read " << source << "\n";
      return 1;
    }
  }
  try {
    const auto soundings = wxfetch::pack::read_pack_text(source == "-" ? std::cin : file);
    // Build each record once first, so that a fault names its sounding.
    for (const wxfetch::pack::PackSounding& sounding : soundings) {
      try {
        wxfetch::pack::build_record(sounding);
      } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(wxfetch::cformat("sounding %d %04d%02d%02d%02d: %s",
                                                     sounding.wban, sounding.year, sounding.month,
                                                     sounding.day, sounding.hour, error.what()));
      }
    }
    wxfetch::pack::write_archive(argv[1], soundings);
    std::cout << "wxpack: " << soundings.size() << " soundings written under " << argv[1] << "\n";
  } catch (const std::exception& error) {
    std::cerr << "wxpack: " << (source == "-" ? "standard input" : source) << ": " << error.what()
              << "\n";
    return 1;
  }
  return 0;
}
