// Fuzz target: arbitrary text as TEMP bulletins, imported twice into a scratch archive with the
// sample station table: for June 1999 with the wind parts' heights in thousands of feet, then
// for the same month in units of 300 m (merging into the files of the first import).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "import/temp_bulletin.h"
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz::import_twice([&](pack::ImportRun& run, int pass) {
    std::istringstream in(text);
    const pack::TempOptions options{1999, 6, pass == 0 ? 0 : 300};
    pack::read_temp_bulletins(in, "input", fuzz::sample_station_table(), options, run);
  });
  return 0;
}
