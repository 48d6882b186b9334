// Micro-benchmarks of the hot paths of an extraction: reading bit fields, decoding a sounding
// record and writing it in each format. Levels per second are reported as items.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>

#include "database/archive_writer.h"
#include "database/codec.h"
#include "database/decoder.h"
#include "dialogue/console_reporters.h"
#include "dialogue/program.h"
#include "output/faa604_writer.h"
#include "output/kvt_writer.h"
#include "output/output_files.h"
#include "output/output_stream.h"
#include "records/access_request.h"
#include "stations/catalogue.h"

namespace {

using namespace wxfetch;

constexpr int LEVELS = 100;

// A sounding of LEVELS levels: a surface, mandatory levels and wind and significant levels
// between them.
pack::PackSounding bench_sounding() {
  pack::PackSounding sounding;
  sounding.wban = 23062;
  sounding.year = 1999;
  sounding.month = 6;
  sounding.day = 15;
  sounding.hour = 12;
  sounding.release_time = 1105;
  sounding.sonde_type = 51;
  sounding.indicator_a = 3;
  sounding.indicator_b = 7;
  sounding.level_reference_1 = 1;
  sounding.level_reference_2 = 40;
  sounding.level_reference_3 = 50;
  for (int i = 0; i < LEVELS; ++i) {
    pack::PackLevel level;
    const int32_t pressure = 10100 - i * 100;
    const bool mandatory = i % 10 == 1;
    level.kind = i == 0 ? SURFACE : mandatory ? MANDATORY : (i % 3 == 0 ? WIND : SIGNIFICANT);
    level.pressure = level.kind == WIND ? pack::ABSENT : pressure;
    level.height = 100 + i * 300;
    level.temperature = 150 - i * 7;
    level.dew_point = 100 - i * 8;
    level.wind_direction = (200 + i * 3) % 360;
    level.wind_speed = 50 + i * 4;
    sounding.levels.push_back(level);
  }
  return sounding;
}

struct BenchProgram {
  BenchProgram() : ctx(in, out, err) {
    codec_init(codec);
    StationEntry& station = ctx.catalogue.entries[0];
    station = StationEntry{};
    station.wban = 23062;
    station.wmo = 72469;
    station.latitude = 39.77f;
    station.longitude = -104.87f;
    station.lat_hemisphere = 'N';
    station.lon_hemisphere = 'W';
    ctx.catalogue.count = 1;
    record = pack::build_record(bench_sounding());
  }
  // Decodes the record, then sends the writers' output to a file that discards it.
  void decode_for_writers() {
    decode();
    ctx.output_stream.open_file("/dev/null");
  }
  bool decode() {
    codec.place(record.data(), record.size());
    return decode_sounding(codec, sounding);
  }
  StationRow station() const { return StationRow{0, &ctx.catalogue.entries[0]}; }

  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  ProgramContext ctx;
  ConsoleFileReporter file_reporter{ctx, ctx.output_stream};
  OutputFiles files{ctx.output_stream, file_reporter, ""};
  BitFieldCodec codec;
  Sounding sounding;
  std::vector<uint8_t> record;
};

void BM_read_bits(benchmark::State& state) {
  BitFieldCodec codec;
  codec_init(codec);
  std::vector<uint8_t> bytes(1 << 16);
  std::mt19937 random(1);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  const int widths[] = {14, 7, 17, 12, 12, 9, 12};  // the fields of one level
  for (auto _ : state) {
    codec.place(bytes.data(), bytes.size());
    int offset = 7;
    uint32_t sum = 0;
    for (int level = 0; level < 6000; ++level) {
      for (int width : widths) sum += codec.read_bits(width, offset);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 6000);
  state.SetLabel("levels");
}
BENCHMARK(BM_read_bits);

void BM_decode_sounding(benchmark::State& state) {
  BenchProgram program;
  // Decoding and the KVT writer's formatting; with no stream the text goes nowhere.
  program.ctx.output_stream.use_none();
  KvtWriter writer(program.ctx.pager, program.files, program.ctx.request);
  for (auto _ : state) {
    program.decode();
    writer.write(program.sounding, program.station());
  }
  state.SetItemsProcessed(state.iterations() * LEVELS);
}
BENCHMARK(BM_decode_sounding);

void BM_write_kvt_sounding(benchmark::State& state) {
  BenchProgram program;
  program.decode_for_writers();
  KvtWriter writer(program.ctx.pager, program.files, program.ctx.request);
  for (auto _ : state) writer.write(program.sounding, program.station());
  state.SetItemsProcessed(state.iterations() * program.sounding.level_count);
}
BENCHMARK(BM_write_kvt_sounding);

void BM_write_faa604_sounding(benchmark::State& state) {
  BenchProgram program;
  program.decode_for_writers();
  Faa604Writer writer(program.ctx.pager, program.files, program.ctx.request);
  for (auto _ : state) writer.write(program.sounding, program.station());
  state.SetItemsProcessed(state.iterations() * faa604_level_count(program.sounding));
}
BENCHMARK(BM_write_faa604_sounding);

}  // namespace

BENCHMARK_MAIN();
