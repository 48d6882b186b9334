// The slot of a synoptic run: a station's file of the year paired with its directory of the
// current month.
#pragma once

#include <cstdint>

#include "database/record_reader.h"
#include "database/year_files.h"

namespace wxfetch {

// A synoptic run holds at most this many station-year files of a year (one per selected
// station).
constexpr int MAX_FILE_SLOTS = 2000;

// A station's file of the year in a synoptic run, and its directory of the current month.
struct FileSlot {
  YearFile file;
  int32_t station_number = 0;
  DayDirectory days;
};

}  // namespace wxfetch
