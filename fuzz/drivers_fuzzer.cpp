// Fuzz target: a whole station-year file of arbitrary bytes, TEFA1998/23062_98.BUF in a scratch
// archive, read by both extraction drivers over all of 1998: to the screen (page length 0, so
// that no pause waits for a reply) in both formats, and to output files in a scratch folder.
// An input may end in a hole trailer (station_year_mutator.h): the file then holds a sparse gap,
// so that records lie past 2 GiB or 4 GiB. The custom mutator edits the file's structure (a
// valid file of the archive builder, its directory and records) half of the time, and leaves
// the rest to libFuzzer's own mutations.
//
// The same bytes are also the file of WBAN 24011, and the "file" of WBAN 94823 is a folder,
// which exists but cannot be read: the synoptic sort then reads 24011 through the stream that
// the files it could not open share.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "dialogue/console_reporters.h"
#include "extraction/extraction.h"
#include "fuzz_support.h"
#include "output/output_files.h"
#include "output/writer_choice.h"
#include "station_year_mutator.h"

namespace {

namespace fs = std::filesystem;
using namespace wxfetch;

struct Scratch {
  fs::path archive;     // the database directory
  fs::path file;        // the station-year file of WBAN 23062 for 1998
  fs::path copy;        // the same bytes as the file of WBAN 24011
  std::string outputs;  // the output directory, ending in "/"
};

const Scratch& scratch() {
  static const Scratch made = [] {
    Scratch s;
    s.archive = fuzz::scratch_directory() / "archive";
    s.file = s.archive / "TEFA1998" / "23062_98.BUF";
    s.copy = s.archive / "TEFA1998" / "24011_98.BUF";
    fs::create_directories(s.archive / "TEFA1998" / "94823_98.BUF");
    fs::create_directories(fuzz::scratch_directory() / "out");
    s.outputs = (fuzz::scratch_directory() / "out").string() + "/";
    return s;
  }();
  return made;
}

// One extraction run on a fresh context: stations 23062, 24011 and 94823 selected by WBAN
// number for 1998.
void extract(int16_t sort_order, int16_t output_format, int16_t level_type, int16_t output_location,
             int16_t file_structure) {
  fuzz::FuzzProgram program;
  ProgramContext& ctx = *program.ctx;
  ctx.database_directory = scratch().archive.string() + "/";
  ctx.page_length = 0;
  fuzz::small_catalogue(ctx.catalogue);
  AccessRequest& request = ctx.request;
  request.station_id_type = StationIdType::WBAN;
  request.sort_order = static_cast<SortOrder>(sort_order);
  request.above_100mb = level_type != 2;
  request.levels = static_cast<LevelSelection>(level_type);
  request.wind_units = sort_order == 0 ? WindUnits::KNOTS : WindUnits::TENTHS_MS;
  request.output_format = static_cast<OutputFormat>(output_format);
  request.output_location = static_cast<OutputLocation>(output_location);
  request.time_file_structure = static_cast<TimeFileStructure>(file_structure);
  request.station_file_structure = static_cast<StationFileStructure>(file_structure);
  request.output_directory = scratch().outputs;
  request.set_period("1998010100", "1998123123");
  ctx.selected.stations[0] = StationNumbers{72469, 23062};
  ctx.selected.stations[1] = StationNumbers{72520, 94823};
  ctx.selected.stations[2] = StationNumbers{72764, 24011};
  ctx.selected.station_count = 3;
  select_stations(ctx.catalogue, request, ctx.selected);
  if (output_location == 0) {
    ctx.output_stream.use_console();
  } else {
    ctx.output_stream.use_none();
  }
  ConsoleFileReporter file_reporter(ctx, ctx.output_stream);
  OutputFiles files(ctx.output_stream, file_reporter, request.output_directory);
  const std::unique_ptr<TextWriter> writer = make_text_writer(ctx.pager, files, request);
  ConsoleReporter reporter(ctx);
  const ExtractionSource source{ctx.database_directory, ctx.years, ctx.catalogue};
  fuzz::run_to_end([&] { run_extraction(source, request, ctx.selected, *writer, reporter); });
}

}  // namespace

// libFuzzer's own mutation; absent from the replay program.
extern "C" __attribute__((weak)) size_t LLVMFuzzerMutate(uint8_t* data, size_t size,
                                                         size_t max_size);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned seed) {
  if (seed % 2 == 0 && LLVMFuzzerMutate != nullptr) return LLVMFuzzerMutate(data, size, max_size);
  return fuzz::mutate_station_year(data, size, max_size, seed / 2);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::StationYearInput input = fuzz::read_station_year_input(data, size);
  for (const fs::path& path : {scratch().file, scratch().copy}) {
    fuzz::write_station_year_file(input, path);
  }
  extract(0, 0, 0, 0, 0);  // synoptic sort, KVT, all levels, screen
  extract(1, 1, 0, 0, 0);  // climatological sort, FAA604, all levels, screen
  extract(0, 1, 2, 1, 0);  // synoptic sort, FAA604, into one file
  extract(1, 0, 2, 1, 1);  // climatological sort, KVT below 100 mb, one file per station
  return 0;
}
