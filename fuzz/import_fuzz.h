// What the importer fuzz targets share: the sample station table, and a scratch archive that
// each input is imported into twice (the second import merges into the files of the first) and
// that is removed afterwards, so that nothing of one input carries over to the next.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "import/import_run.h"

namespace wxfetch::fuzz {

// The station table of the sample support files (read once per process).
const pack::StationTable& sample_station_table();

// A stream that keeps nothing, for the messages of an import.
std::ostream& discarded();

// Runs `read` twice into ImportRuns on a fresh scratch archive (finishing each and printing its
// summary), then removes the archive. `read` gets the run and the number of the pass (0, 1).
void import_twice(const std::function<void(pack::ImportRun&, int)>& read);

}  // namespace wxfetch::fuzz
