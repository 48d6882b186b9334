// IGRA 2 (Integrated Global Radiosonde Archive, format 2.2) sounding-data files and station
// list. A data file is a sequence of soundings, each a header line ('#' in column 1) followed by
// its NUMLEV level lines in fixed columns; the reader streams it, one sounding in memory at a
// time, and hands each sounding of a WMO station to the import run.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>

#include "import/import_run.h"

namespace wxfetch {
namespace pack {

// Reads the IGRA 2 data file `in` (named `file` in messages) into `run`. A sounding whose lines
// do not parse is reported at its line and skipped; soundings of stations without a WMO number
// are reported once per run of them and skipped.
void read_igra2(std::istream& in, const std::string& file, const StationTable& stations,
                ImportRun& run);

// Which rows write_igra2_station_rows writes, and what it says back.
struct StationRowsChoice {
  const std::set<int32_t>* held = nullptr;  // only these WMO numbers (those an archive holds)
  long* written = nullptr;                  // receives the number of rows written
};

// Writes rows of the international sites table (international_sites.txt, count line first) for
// the WMO stations of the IGRA 2 station list `in`, leaving out stations that `stations` holds
// (they are filed by WBAN number) and, with `choice.held`, stations not in it. A station whose
// last year is the list's latest is still reporting: its period is open (99991231). Faults go
// to `messages` as "FILE:LINE: text". Returns the number of list lines skipped as faulty.
long write_igra2_station_rows(std::istream& in, const std::string& file,
                              const StationTable& stations, std::ostream& out,
                              std::ostream& messages, const StationRowsChoice& choice = {});

// The WMO number of an IGRA 2 station ID of the form CCM000nnnnn, or -1 for any other ID.
int32_t igra2_wmo_number(std::string_view id);

}  // namespace pack
}  // namespace wxfetch
