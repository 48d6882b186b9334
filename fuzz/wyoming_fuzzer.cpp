// Fuzz target: arbitrary text as a University of Wyoming listing (TEXT:LIST pages, or a CSV
// listing when its first line holds a comma), imported twice into a scratch archive with the
// sample station table: once with the station and time a CSV listing needs and once without
// (the second import merges into the files of the first); then the stations of its pages are
// collected and written as international site rows.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "import/wyoming.h"
#include "import_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz::import_twice([&](pack::ImportRun& run, int pass) {
    std::istringstream in(text);
    const std::optional<pack::CsvSounding> csv =
        pass == 0 ? std::optional(pack::CsvSounding{72469, 1999, 3, 4, 12}) : std::nullopt;
    pack::read_wyoming(in, "input", fuzz::sample_station_table(), csv, run);
  });
  std::istringstream pages(text);
  pack::WyomingStations seen;
  pack::collect_wyoming_stations(pages, seen);
  pack::write_wyoming_station_rows(seen, fuzz::sample_station_table(), fuzz::discarded(),
                                   fuzz::discarded());
  return 0;
}
