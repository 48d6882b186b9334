// Fuzz target: arbitrary text as an IGRA 2 sounding-data file, imported twice into a scratch
// archive with the sample station table (the second import merges into the files of the
// first), and as an IGRA 2 station list turned into international site rows.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "import/igra2.h"
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz::import_twice([&](pack::ImportRun& run, int) {
    std::istringstream in(text);
    pack::read_igra2(in, "input", fuzz::sample_station_table(), run);
  });
  std::istringstream list(text);
  pack::write_igra2_station_rows(list, "input", fuzz::sample_station_table(), fuzz::discarded(),
                                 fuzz::discarded());
  return 0;
}
