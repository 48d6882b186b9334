// Loading the station catalogue at start-up, with the interactive program's messages and its
// dialogue when the history table is missing.
#pragma once

#include <string>

namespace wxfetch {

struct Console;
struct StationCatalogue;

// Loads both station files from `support_directory` ("" or ending in "/") into `catalogue`. When
// the history table is missing, runs its failure dialogue on `console` (which may end the
// program) and leaves the catalogue empty; when the international file is missing, prints its
// message and keeps the history rows.
void load_station_catalogue(Console& console, const std::string& support_directory,
                            StationCatalogue& catalogue);

}  // namespace wxfetch
