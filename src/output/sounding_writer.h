// The writer interface: what a driver hands each decoded sounding to. A writer is chosen once
// per request (the KVT and FAA604 text writers, or a program's own) and is the only part of the
// output a driver knows; adding a writer touches no driver.
//
// A driver run calls begin once, then for each wanted sounding with more than four levels
// write (preceded by finish_file and start_file where the request's file structure starts a new
// output file, only for requests to files), and end once after the last sounding, before it
// reports any total: a writer that cannot finish its output ends the program there.
#pragma once

#include <cstdint>

#include "records/access_request.h"
#include "records/sounding.h"
#include "records/station_entry.h"

namespace wxfetch {

class SoundingWriter {
 public:
  virtual ~SoundingWriter() = default;

  // Before the first sounding of a driver run of `request`.
  virtual void begin(const AccessRequest& request) = 0;
  // The open output file, if any, is complete: it is closed (and the program ends when its
  // text could not be written), before the driver reports how many soundings it holds.
  virtual void finish_file() {}
  // The next sounding, at `date_hour` (YYYYMMDDHH) of `station`, starts a new output file.
  // REQUIRES: station.entry is not null.
  virtual void start_file(int32_t date_hour, const StationRow& station) = 0;
  // One decoded sounding and the catalogue row of its station valid on its date. The writer
  // applies its own level selection and cuts; the sounding is not changed.
  // REQUIRES: station.entry is not null.
  virtual void write(const Sounding& sounding, const StationRow& station) = 0;
  // After the run's last sounding: the last output file is closed (and the program ends when
  // its text could not be written).
  virtual void end() = 0;
};

}  // namespace wxfetch
