// University of Wyoming sounding listings: the TEXT:LIST page saved as text (a title line naming
// station and time, the fixed-column block PRES HGHT TEMP DWPT ... and optionally the block
// "Station information and sounding indices"; several soundings may follow each other) and the
// TEXT:CSV variant (a header row naming the columns; station and time come from the caller).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "import/import_run.h"

namespace wxfetch::pack {

// Station and time for a CSV listing, which names neither.
struct CsvSounding {
  int32_t wmo = 0;
  int year = 0, month = 0, day = 0, hour = 0;
};

// Reads the listing `in` (named `file` in messages) into `run`: a CSV listing when its first
// non-blank line holds a comma, and `csv` then gives its station and time (without it the
// listing is reported and skipped); otherwise TEXT:LIST pages. A row that does not parse skips
// its sounding with a message.
void read_wyoming(std::istream& in, const std::string& file, const StationTable& stations,
                  const std::optional<CsvSounding>& csv, ImportRun& run);

}  // namespace wxfetch::pack
