// What both drivers do with a wanted sounding: find the catalogue row of its station on its
// date, start a new output file when the file structure calls for one, decode the record and
// hand the sounding to the writer when it has more than four levels. Counts the soundings since
// the last output file was started.
#pragma once

#include <cstdint>
#include <new>
#include <string>

#include "database/codec.h"
#include "extraction/extraction.h"
#include "records/sounding.h"

namespace wxfetch {

class RecordReader;

// Runs a driver's `walk`; when it runs out of memory, closes the writer's output (what was
// written stays whole), tells the reporter and lets the std::bad_alloc go on.
template <typename Walk>
void walk_within_memory(SoundingWriter& writer, ExtractionReporter& reporter, Walk&& walk) {
  try {
    walk();
  } catch (const std::bad_alloc&) {
    writer.end();
    reporter.out_of_memory();
    throw;
  }
}

class Delivery {
 public:
  // `blanks` follow the count of the " STATUS:  number of soundings written" line printed when
  // a new file starts.
  Delivery(const ExtractionSource& source, const SelectedStations& stations, SoundingWriter& writer,
           ExtractionReporter& reporter, int blanks);

  // The catalogue row for a sounding of `wban` on `day`: the row valid on that day, else the
  // row of the previous sounding delivered when it is a row of the same station, else the last
  // selected row of the station. A row with a null entry when the station has no selected row
  // at all.
  StationRow row_for(int32_t wban, int32_t day);
  // Starts the next output file with the sounding at `date` of `station`: first closes the
  // previous file and reports how many soundings went to it, when any, and counts from 0 again.
  void start_file(int32_t date, const StationRow& station);
  // Decodes the record in `reader` (from the file `path`, at `date`) and hands it to the
  // writer; a damaged record is reported as a warning. Counts it either way.
  // REQUIRES: station.entry is not null.
  void deliver(const RecordReader& reader, const std::string& path, int32_t date,
               const StationRow& station);

  // " STATUS:  number of soundings written: N" followed by `blanks` blanks and two line ends.
  void report_written(int blanks);
  int32_t written() const { return written_; }
  // The codec the records are decoded with, for reading directories too.
  BitFieldCodec& codec() { return codec_; }

 private:
  const ExtractionSource& source_;
  const SelectedStations& stations_;
  SoundingWriter& writer_;
  ExtractionReporter& reporter_;
  const int blanks_;
  BitFieldCodec codec_;
  Sounding sounding_;
  int32_t previous_row_ = -1;
  int32_t written_ = 0;
};

}  // namespace wxfetch
