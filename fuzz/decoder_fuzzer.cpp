// Fuzz target: one sounding record of arbitrary bytes through decode_sounding and both writers,
// for every level type, both FAA604 and KVT, both KVT variants (with and without the data above
// 100 mb) and both wind units, printed to a console that forgets what it is given.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "database/decoder.h"
#include "dialogue/console_reporters.h"
#include "fuzz_support.h"
#include "output/output_files.h"
#include "output/writer_choice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  static fuzz::FuzzProgram program;
  ProgramContext& ctx = *program.ctx;
  static BitFieldCodec codec;
  static const bool ready = [&ctx] {
    fuzz::small_catalogue(ctx.catalogue);
    ctx.output_stream.use_console();
    codec_init(codec);
    return true;
  }();
  (void)ready;

  // The record in a buffer of exactly its size, so that a read past it is caught.
  const std::vector<uint8_t> record(data, data + size);
  ConsoleFileReporter file_reporter(ctx, ctx.output_stream);
  OutputFiles files(ctx.output_stream, file_reporter, "");
  // Decodes the record and writes it as a driver does, with the writer of the request.
  auto decode = [&](int16_t level_type, int16_t wind_units, int16_t output_format) {
    ctx.request.levels = static_cast<LevelSelection>(level_type);
    ctx.request.wind_units = static_cast<WindUnits>(wind_units);
    ctx.request.output_format = static_cast<OutputFormat>(output_format);
    Sounding sounding;
    codec.place(record.data(), record.size());
    if (!decode_sounding(codec, sounding) || !enough_levels(sounding.level_count)) return;
    const std::unique_ptr<TextWriter> writer = make_text_writer(ctx.pager, files, ctx.request);
    fuzz::run_to_end([&] { writer->write(sounding, StationRow{0, &ctx.catalogue.entries[0]}); });
  };
  for (int16_t level_type = 0; level_type <= 2; ++level_type) {
    decode(level_type, 0, 1);
    for (const bool above_100mb : {true, false}) {
      ctx.request.above_100mb = above_100mb;
      for (int16_t wind_units = 0; wind_units <= 1; ++wind_units) decode(level_type, wind_units, 0);
    }
  }
  return 0;
}
