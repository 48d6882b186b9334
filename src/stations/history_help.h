// The station history help: an interactive browser of the station catalogue, opened by the
// reply STAT at any question. It searches by initials, state, country, WBAN or WMO number, or
// shows every row, optionally only the rows valid on one date, as a paged table.
#pragma once

#include <cstdint>

namespace wxfetch {

struct ProgramContext;

// Runs one visit; returns when the user types EXIT or exit after a search. A visit opened (by
// STAT) while 16 visits are open already only prints " The station history help is already
// open." and returns.
void station_history_help(ProgramContext& ctx);

}  // namespace wxfetch
