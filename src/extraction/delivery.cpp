#include "extraction/delivery.h"

#include <cassert>
#include <string>

#include "database/decoder.h"
#include "database/record_reader.h"
#include "stations/selection.h"

namespace wxfetch {

Delivery::Delivery(const ExtractionSource& source, const SelectedStations& stations,
                   SoundingWriter& writer, ExtractionReporter& reporter, int blanks)
    : source_(source), stations_(stations), writer_(writer), reporter_(reporter), blanks_(blanks) {
  codec_init(codec_);
}

StationRow Delivery::row_for(int32_t wban, int32_t day) {
  int32_t row = find_history_row(source_.catalogue, stations_, wban, day);
  // The previous sounding's row serves only when it is a row of this station: in the synoptic
  // sort the previous sounding is often another station's.
  if (row < 0 && previous_row_ >= 0 && source_.catalogue.entries[previous_row_].wban == wban) {
    row = previous_row_;
  }
  for (int i = stations_.row_count - 1; row < 0 && i >= 0; --i) {
    const int32_t candidate = stations_.rows[static_cast<size_t>(i)];
    if (source_.catalogue.entries[candidate].wban == wban) row = candidate;
  }
  if (row < 0) return StationRow{};
  previous_row_ = row;
  return StationRow{row, &source_.catalogue.entries[row]};
}

void Delivery::start_file(int32_t date, const StationRow& station) {
  // The previous file is closed first: its count is reported only when all of it was written.
  writer_.finish_file();
  if (written_ != 0) {
    report_written(blanks_);
    written_ = 0;
  }
  writer_.start_file(date, station);
}

void Delivery::deliver(const RecordReader& reader, const std::string& path, int32_t date,
                       const StationRow& station) {
  assert(station.entry != nullptr);
  codec_.place(reader.data(), reader.size());
  // A record whose own date and hour are not those its directory entry files it under is as
  // damaged as one that cannot be decoded.
  if (!decode_sounding(codec_, sounding_) || date_hour_of(sounding_) != date) {
    reporter_.warning(" WARNING:  damaged sounding record skipped: " + path + " " +
                      std::to_string(date) + "\n");
  } else if (enough_levels(sounding_.level_count)) {
    writer_.write(sounding_, station);
  }
  ++written_;
}

void Delivery::report_written(int blanks) {
  reporter_.status(" STATUS:  number of soundings written: " + std::to_string(written_) +
                   std::string(blanks, ' ') + "\n\n");
}

}  // namespace wxfetch
