// Fuzz target: arbitrary replies to the request dialogue, run on the sample station tables and
// help file and on a tiny archive of 1998 (four soundings of two stations), until the replies
// end (which ends the program).
//
// The fuzzer types file and directory names, so the target works in a sandbox folder of its
// scratch directory and keeps every file the dialogue creates inside it: replies lose their "/"
// (no absolute path, no way up but a single ".."; the sandbox lies one level below the scratch
// directory), and after each input everything but the archive is removed again.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "database/archive_writer.h"
#include "dialogue/archive_years.h"
#include "dialogue/request_dialogue.h"
#include "fuzz_support.h"
#include "records/sounding.h"

namespace {

namespace fs = std::filesystem;
using namespace wxfetch;

// A sounding of six levels: the surface and five mandatory levels.
pack::PackSounding sounding_at(int32_t wban, int day, int hour) {
  pack::PackSounding sounding;
  sounding.wban = wban;
  sounding.year = 1998;
  sounding.month = 1;
  sounding.day = day;
  sounding.hour = hour;
  sounding.release_time = 1105;
  sounding.sonde_type = 51;
  const int32_t pressures[] = {10130, 10000, 8500, 7000, 5000, 1000};
  for (int i = 0; i < 6; ++i) {
    pack::PackLevel level;
    level.kind = i == 0 ? SURFACE : MANDATORY;
    level.pressure = pressures[i];
    level.height = pack::storable_height(100 + 1500 * i);
    level.temperature = 150 - 100 * i;
    level.dew_point = 100 - 100 * i;
    level.wind_direction = 200 + 10 * i;
    level.wind_speed = 50 + 20 * i;
    sounding.levels.push_back(level);
  }
  return sounding;
}

const std::vector<fs::path>& archive_files() {
  static const std::vector<fs::path> files = {"sandbox/archive/TEFA1998/23062_98.BUF",
                                              "sandbox/archive/TEFA1998/I03808_98.BUF"};
  return files;
}

// The context every input starts from: catalogue, years and defaults as start-up leaves them.
// Made once; its first call also makes the sandbox, moves into it and writes the archive.
const ProgramContext& start_state() {
  static const auto made = [] {
    const fs::path sandbox = fuzz::scratch_directory() / "sandbox";
    fs::create_directories(sandbox);
    if (::chdir(sandbox.c_str()) != 0) std::abort();
    pack::write_archive("archive", {sounding_at(23062, 1, 0), sounding_at(23062, 1, 12),
                                    sounding_at(23062, 2, 0), sounding_at(903808, 1, 12)});
    auto program = std::make_unique<fuzz::FuzzProgram>();
    ProgramContext& ctx = *program->ctx;
    ctx.database_directory = "archive/";
    ctx.catalogue = fuzz::sample_catalogue();
    discover_years(ctx);
    ctx.default_date = "1998010100";
    ctx.selected.stations[0] = StationNumbers{72469, 23062};
    return program;
  }();
  return *made->ctx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ProgramContext& start = start_state();
  std::string replies(reinterpret_cast<const char*>(data), size);
  std::replace(replies.begin(), replies.end(), '/', '_');

  fuzz::FuzzProgram program(replies);
  ProgramContext& ctx = *program.ctx;
  ctx.database_directory = start.database_directory;
  ctx.catalogue = start.catalogue;
  ctx.years = start.years;
  ctx.first_year = start.first_year;
  ctx.last_year = start.last_year;
  ctx.default_date = start.default_date;
  ctx.selected.stations[0] = start.selected.stations[0];
  ctx.help_file = std::make_unique<std::istringstream>(fuzz::sample_support_file("tefahelp.txt"));
  ctx.page_length = 20;
  fuzz::run_to_end([&] { run_request_dialogue(ctx); });
  program.ctx.reset();  // closes an output file still open

  fuzz::remove_all_but(fuzz::scratch_directory(), archive_files());
  return 0;
}
