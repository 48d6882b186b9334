// Fuzz target: arbitrary replies to the station history help, on the sample station tables and
// help file, with a page length of 20; the visit ends at EXIT or at the end of the replies.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "stations/selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  fuzz::FuzzProgram program(std::string(reinterpret_cast<const char*>(data), size));
  ProgramContext& ctx = *program.ctx;
  ctx.catalogue = fuzz::sample_catalogue();
  ctx.default_date = "1998010100";
  ctx.page_length = 20;
  ctx.help_file = std::make_unique<std::istringstream>(fuzz::sample_support_file("tefahelp.txt"));
  fuzz::run_to_end([&] {
    // The replies go on after EXIT: a next visit takes them, as a later STAT would.
    while (program.in.peek() != std::char_traits<char>::eof()) ctx.station_history();
  });
  return 0;
}
