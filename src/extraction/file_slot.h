// The slot of a synoptic run: a station's file of the year paired with its directory of the
// current month.
#pragma once

#include <cstdint>

#include "database/record_reader.h"
#include "database/year_files.h"

namespace wxfetch {

// A station's file of the year in a synoptic run, and its directory of the current month.
struct FileSlot {
  YearFile file;
  int32_t station_number = 0;
  DayDirectory days;
};

}  // namespace wxfetch
