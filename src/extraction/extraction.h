// The two extraction drivers: the entry points of a request's run. A driver reads the station
// files of the selected stations over the request's period, decodes the wanted soundings and
// hands each to the writer it is given; its messages go to the reporter it is given. It reads no
// other state: a program without the dialogue builds the request and the selected stations
// itself (select_stations) and runs a driver with a writer and a reporter of its own.
#pragma once

#include <cstdint>
#include <string>

#include "extraction/reporter.h"
#include "output/sounding_writer.h"
#include "records/access_request.h"

namespace wxfetch {

struct YearsPresent;
struct StationCatalogue;
struct SelectedStations;

// What a run reads besides the request: the database directory ("" or ending in "/"), the years
// found in it (find_years) and the station catalogue whose rows the selection names.
struct ExtractionSource {
  const std::string& database_directory;
  const YearsPresent& years;
  const StationCatalogue& catalogue;
};

// The synoptic sort (time series): the soundings of the period in order of date and hour, and
// within one hour in the order of the selected stations. All files of a year are open at once;
// each file's directory is read once per month. A new output file starts as the request's time
// file structure says.
// Returns the number of soundings handed on since the last output file was started.
int32_t extract_time_series(const ExtractionSource& source, const AccessRequest& request,
                            const SelectedStations& stations, SoundingWriter& writer,
                            ExtractionReporter& reporter);

// The climatological sort (station series): the soundings station by station, each station in
// order of year, month, day and the stored order of the day's soundings. One database file is
// open at a time. A new output file starts as the request's station file structure says.
// Returns the number of soundings handed on since the last output file was started, or -1 when
// no database file could be opened at all.
int32_t extract_station_series(const ExtractionSource& source, const AccessRequest& request,
                               const SelectedStations& stations, SoundingWriter& writer,
                               ExtractionReporter& reporter);

// Runs the driver of the request's sort order.
int32_t run_extraction(const ExtractionSource& source, const AccessRequest& request,
                       const SelectedStations& stations, SoundingWriter& writer,
                       ExtractionReporter& reporter);

}  // namespace wxfetch
