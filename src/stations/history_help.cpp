#include "stations/history_help.h"

#include "program.h"

namespace wxfetch {

// Placeholder until the station history help is built.
void station_history_help(ProgramContext&) {}

}  // namespace wxfetch
