// TEMP (FM 35) bulletins: parts TTAA, TTBB, PPBB and, above 100 mb, TTCC, TTDD, PPDD of any
// stations in one text, in any order, with or without heading lines. The parts of one station,
// day and hour make one sounding. A part runs from its name to its "=", to the next part's name,
// or to a word that is no code group (a heading line).
#pragma once

#include <iosfwd>
#include <string>

#include "import/import_run.h"

namespace wxfetch {
namespace pack {

struct TempOptions {
  int year = 0;  // bulletins carry only day and hour
  int month = 0;
  int ppbb_unit_metres = 0;  // height unit of the wind parts: 0 for thousands of feet, else 300
};

// Reads the bulletins of `in` (named `file` in messages) into `run`. The text is held until its
// end (parts of one sounding may be far apart). A group that does not parse skips its sounding
// with a message at the group's line.
void read_temp_bulletins(std::istream& in, const std::string& file, const StationTable& stations,
                         const TempOptions& options, ImportRun& run);

}  // namespace pack
}  // namespace wxfetch
