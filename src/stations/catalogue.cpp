#include "stations/catalogue.h"

#include "program.h"

namespace wxfetch {

// Placeholder until the station tables are read.
void load_station_catalogue(ProgramContext&) {}
int load_history_rows(std::istream&, StationCatalogue&, bool&) {
  return 0;
}
int load_international_rows(std::istream&, StationCatalogue&, bool&) {
  return 0;
}

}  // namespace wxfetch
