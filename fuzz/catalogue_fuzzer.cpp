// Fuzz target: arbitrary text as a station history table and as an international sites table,
// each loaded into a fresh catalogue and then together into one; the rows loaded are then
// selected by a world-wide box, looked up by date and listed by the station history help.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "stations/selection.h"

namespace {

using namespace wxfetch;

// Selects every row of the catalogue valid in 1998 and lists all rows with the history help.
void use_catalogue(fuzz::FuzzProgram& program) {
  ProgramContext& ctx = *program.ctx;
  AccessRequest& request = ctx.request;
  request.access = StationAccess::GLOBAL;
  request.lat_min = -90.0f;
  request.lat_max = 90.0f;
  request.lon_min = -180.0f;
  request.lon_max = 180.0f;
  request.set_period("1998010100", "1998123100");
  select_stations(ctx.catalogue, request, ctx.selected);
  for (int s = 0; s < ctx.selected.station_count; ++s) {
    find_history_row(ctx.catalogue, ctx.selected, ctx.selected.stations[s].wban, 19980615);
  }
  // No date, every row; EXIT.
  program.in.clear();
  program.in.str("N\n5\nEXIT\n");
  fuzz::run_to_end([&] { ctx.station_history(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::FuzzProgram program;
  ProgramContext& ctx = *program.ctx;
  ctx.page_length = 1 << 20;  // one page: the listing never pauses
  ctx.default_date = "1998010100";
  const std::string text(reinterpret_cast<const char*>(data), size);
  bool overflow = false;

  ctx.catalogue = StationCatalogue{};
  std::istringstream history(text);
  load_history_rows(history, ctx.catalogue, overflow);
  use_catalogue(program);

  ctx.catalogue = StationCatalogue{};
  std::istringstream international(text);
  load_international_rows(international, ctx.catalogue, overflow);
  use_catalogue(program);

  ctx.catalogue = StationCatalogue{};
  std::istringstream both_history(text);
  load_history_rows(both_history, ctx.catalogue, overflow);
  std::istringstream both_international(text);
  load_international_rows(both_international, ctx.catalogue, overflow);
  use_catalogue(program);
  return 0;
}
