// The path of one record through the delivery: decoded, handed to the writer of the format when
// more than four levels remain, and cut by the FAA604 writer at 100 mb.
#include "extraction/delivery.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "database/decoder.h"
#include "database/record_reader.h"
#include "dialogue/console_reporters.h"
#include "output/faa604_writer.h"
#include "output/output_files.h"
#include "output/writer_choice.h"
#include "support/record_helpers.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using pack::ABSENT;
using pack::build_record;
using pack::PackLevel;
using testing::falling_levels;
using testing::sounding_with;
using testing::tagged;
using testing::TestProgram;
using Bytes = std::vector<uint8_t>;

class Delivery : public ::testing::Test {
 protected:
  Delivery() {
    StationEntry& row = ctx.catalogue.entries[0];
    std::strcpy(row.initials, "ABC");
    row.wban = 12345;
    row.wmo = 72999;
    ctx.catalogue.count = 1;
    ctx.output_stream.use_console();
    codec_init(codec);
  }

  bool decode(const Bytes& record) {
    codec.place(record.data(), record.size());
    return decode_sounding(codec, sounding);
  }

  // Hands the record to a delivery whose writer is the text writer of `output_format` (none for
  // a format without one), as a driver does.
  void deliver(const Bytes& record, int16_t output_format) {
    ctx.request.output_format = static_cast<OutputFormat>(output_format);
    ctx.request.wind_units = WindUnits::TENTHS_MS;
    ConsoleFileReporter file_reporter(ctx, ctx.output_stream);
    OutputFiles files(ctx.output_stream, file_reporter, "");
    const std::unique_ptr<TextWriter> writer = make_text_writer(ctx.pager, files, ctx.request);
    if (writer == nullptr) return;
    ConsoleReporter reporter(ctx);
    const ExtractionSource source{ctx.database_directory, ctx.years, ctx.catalogue};
    wxfetch::Delivery delivery(source, ctx.selected, *writer, reporter, 0);
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(record.data()), record.size(), "rb");
    ASSERT_NE(stream, nullptr);
    RecordReader reader;
    ASSERT_TRUE(reader.load_record(stream, 0));
    delivery.deliver(reader, "file", 1999061512, StationRow{0, &ctx.catalogue.entries[0]});
    std::fclose(stream);
    EXPECT_EQ(delivery.written(), 1);
  }

  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  BitFieldCodec codec;
  Sounding sounding;
};

TEST_F(Delivery, CutsTheCodedFormatAtTheLastLevelAt100MbOrMore) {
  struct Case {
    const char* name;
    std::vector<int32_t> pressures;
    int32_t kept;
  };
  std::vector<int32_t> twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back(i < 10 ? 10000 - 500 * i : 900 - 50 * (i - 10));
  const Case cases[] = {
      {"all at 100 mb or more", {10000, 8500, 5000, 2000, 1000}, 5},
      {"ten of twenty", twenty, 10},
      {"a level without pressure below the cut stays", {10000, 16383, 5000, 500}, 3},
      {"a level without pressure does not extend the cut", {10000, 5000, 500, 16383, 300}, 2},
      {"a level under 100 mb before one at 100 mb or more", {10000, 500, 5000, 300}, 3},
      {"none at 100 mb or more", {900, 700, 500}, 0},
  };
  for (const Case& c : cases) {
    std::vector<PackLevel> levels;
    for (size_t i = 0; i < c.pressures.size(); ++i) {
      const int32_t pressure = c.pressures[i] == 16383 ? ABSENT : c.pressures[i];
      levels.push_back(tagged(5, pressure, static_cast<int32_t>(i)));
    }
    const Bytes record = build_record(sounding_with(levels));
    ASSERT_TRUE(decode(record)) << c.name;
    EXPECT_EQ(faa604_level_count(sounding), c.kept) << c.name;
    EXPECT_EQ(sounding.level_count, static_cast<int32_t>(c.pressures.size())) << c.name;
  }
}

TEST_F(Delivery, WritesOnlySoundingsOfMoreThanFourLevels) {
  struct Case {
    const char* name;
    std::vector<PackLevel> levels;
    int16_t output_format;
    bool written;
  };
  std::vector<PackLevel> five_with_duplicate = falling_levels(5);
  five_with_duplicate[3] = tagged(4, 5000, 4);
  five_with_duplicate[4] = tagged(4, 5000, 5);
  std::vector<PackLevel> six_cut_to_four = falling_levels(6, 1000);
  six_cut_to_four[3].pressure = 1000;
  six_cut_to_four[4].pressure = 500;
  six_cut_to_four[5].pressure = 100;
  const Case cases[] = {
      {"five levels", falling_levels(5), 0, true},
      {"four levels", falling_levels(4), 0, false},
      {"five levels less a duplicate", five_with_duplicate, 0, false},
      {"five coded levels", falling_levels(5), 1, true},
      {"six coded levels cut to four", six_cut_to_four, 1, false},
      {"an unknown output format", falling_levels(5), 2, false},
  };
  for (const Case& c : cases) {
    program.out.str("");
    deliver(build_record(sounding_with(c.levels)), c.output_format);
    EXPECT_EQ(program.errors(), "") << c.name;
    EXPECT_EQ(!program.output().empty(), c.written) << c.name;
  }
}

}  // namespace
}  // namespace wxfetch
