// BUFR (WMO FM 94) radiosonde reports, decoded by ECMWF's ecCodes. The messages of a file are
// read one at a time (memory is bounded by one message); every subset of a message of data
// category 2 (vertical soundings other than satellite) is one sounding, read by its keys, so that
// every radiosonde template that carries them is read alike: the national high-resolution
// reports (3 09 052) as the reports converted from TEMP (3 09 057), edition 3 or 4, compressed or
// not.
#pragma once

#include <iosfwd>
#include <string>

#include "import/import_run.h"

namespace wxfetch {
namespace pack {

// Whether this build reads BUFR (ecCodes was found when it was built).
#ifdef WXFETCH_HAVE_ECCODES
inline constexpr bool BUFR_IMPORT_BUILT = true;
#else
inline constexpr bool BUFR_IMPORT_BUILT = false;
#endif

// Reads the BUFR messages of `in` (named `file` in messages) into `run`; a message is named by
// its ordinal in the file (FILE:N). Messages of other data categories are skipped and counted in
// one message per file; a message ecCodes cannot decode, a message cut short and a subset without
// WMO station number are reported and skipped. Soundings of more levels than the archive holds
// are thinned with thin_profile. REQUIRES: BUFR_IMPORT_BUILT.
void read_bufr(std::istream& in, const std::string& file, const StationTable& stations,
               ImportRun& run);

}  // namespace pack
}  // namespace wxfetch
