// The station history help: an interactive browser of the station catalogue, opened by the
// reply STAT at any question. It searches by initials, state, country, WBAN or WMO number, or
// shows every row, optionally only the rows valid on one date, as a paged table.
#pragma once

#include <string>

namespace wxfetch {

struct Console;
struct StationCatalogue;

// Runs one visit of `catalogue` on `console`, offering `default_date` (YYYYMMDD...) as the date of
// a date search; returns when the user types EXIT or exit after a search. `open_visits` counts
// the visits open (STAT typed within a visit opens one inside it): a visit opened while 16 are
// open already only prints " The station history help is already open." and returns.
void station_history_help(Console& console, const StationCatalogue& catalogue,
                          const std::string& default_date, int& open_visits);

}  // namespace wxfetch
