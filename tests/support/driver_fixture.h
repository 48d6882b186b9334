// Test fixture for the extraction drivers: a temporary archive written with the archive builder,
// a catalogue of a few stations, and the soundings that came out, read back from KVT text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/archive_writer.h"
#include "extraction/extraction.h"
#include "output/output_files.h"
#include "support/test_context.h"

namespace wxfetch::testing {

// A sounding of `wban` at the date and hour, with six levels.
pack::PackSounding sounding_at(int32_t wban, int year, int month, int day, int hour);

// Each sounding of KVT text as "YYYYMMDDHH WBAN", in the order written.
std::vector<std::string> soundings_in(const std::string& kvt_text);

// An extraction driver: extract_time_series or extract_station_series.
using Driver = int32_t (*)(const ExtractionSource&, const AccessRequest&, const SelectedStations&,
                           SoundingWriter&, ExtractionReporter&);

class DriverTest : public ::testing::Test {
 protected:
  // Catalogue rows 0 to 2: WBAN 23062 (WMO 72469, DEN), 94823 (72520, PIT), 24011 (72764, BIS),
  // valid 1990 to 2005; the database directory is the temporary archive. `driver` runs the
  // requests, whose sort order is `sort_order`.
  DriverTest(Driver driver, SortOrder sort_order);

  // Runs a KVT request (all levels, knots) to the screen; returns the driver's result.
  int32_t to_screen(const std::string& begin, const std::string& end, int16_t hour_choice = 0);
  // Runs a KVT request into files in the emptied folder "out" of the archive directory.
  int32_t to_files(const std::string& begin, const std::string& end, int16_t structure);
  // The names of the files in "out", sorted.
  std::vector<std::string> files_written() const;

  void write(const std::vector<pack::PackSounding>& soundings) {
    pack::write_archive(archive.path(), soundings);
  }
  // Selects stations by WBAN number, as the dialogue does for a request.
  void select(const std::vector<int32_t>& wbans, int32_t begin_day = 19900101,
              int32_t end_day = 20051231);
  // Runs the driver on the request with the KVT writer and the console's reporters.
  int32_t run(const std::string& begin, const std::string& end);

  TempDir archive;
  TestProgram program;
  ProgramContext& ctx;
  Driver driver_;
};

}  // namespace wxfetch::testing
