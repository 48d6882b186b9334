// Fuzz target: one sounding record of arbitrary bytes through decode_sounding and both writers,
// for every level type, both FAA604 and KVT, both KVT variants (with and without the data above
// 100 mb) and both wind units, printed to a console that forgets what it is given.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "database/decoder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace wxfetch;
  static fuzz::FuzzProgram program;
  ProgramContext& ctx = *program.ctx;
  static const bool ready = [&ctx] {
    fuzz::small_catalogue(ctx.catalogue);
    ctx.output_stream.use_console();
    return true;
  }();
  (void)ready;

  // The record in a buffer of exactly its size, so that a read past it is caught.
  const std::vector<uint8_t> record(data, data + size);
  auto decode = [&](int16_t level_type, int16_t wind_units, int16_t output_format) {
    ctx.sounding = Sounding{};
    ctx.codec.place(record.data(), record.size());
    fuzz::run_to_end(
        [&] { decode_sounding(ctx, level_type, wind_units, output_format, /*station_row=*/0); });
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
