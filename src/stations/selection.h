// Station selection: turns the station part of a request into the chosen stations (distinct WMO
// and WBAN numbers, sorted) and the catalogue rows whose period of record overlaps the request.
#pragma once

#include <cstdint>
#include <vector>

#include "records/access_request.h"
#include "stations/catalogue.h"

namespace wxfetch {

struct StationNumbers {
  int32_t wmo = 0;
  int32_t wban = 0;
};

struct SelectedStations {
  // Before selection: the requested numbers (access by number); after: the chosen stations.
  // The tables have room for MAX_STATION_ROWS from the start; selection grows them for a larger
  // catalogue.
  std::vector<StationNumbers> stations = std::vector<StationNumbers>(MAX_STATION_ROWS);
  int32_t station_count = 1;
  // After selection: every candidate row whose period overlaps the request, in candidate order.
  std::vector<int32_t> rows = std::vector<int32_t>(MAX_STATION_ROWS);
  int32_t row_count = 0;
  // find_history_row's index: the positions 0 .. row_count-1 of `rows` ordered by the WBAN
  // number of their catalogue row, then by position. select_stations builds it for the rows it
  // writes; indexed_row_count is the row_count it was built for (-1: none).
  std::vector<int32_t> rows_by_wban = std::vector<int32_t>(MAX_STATION_ROWS);
  int32_t indexed_row_count = -1;
};

// Rebuilds `selected` from the request's box (every access but by number) or the requested
// numbers in `selected` (access by number, read as the request's kind of station number), and
// the request's days (its dates divided by 100).
void select_stations(const StationCatalogue& catalogue, const AccessRequest& request,
                     SelectedStations& selected);

// Returns the catalogue row index of the last selected row (in the order of `rows`) with this
// WBAN number whose period contains `day` (YYYYMMDD), or -1 when there is none. Uses the index
// that select_stations built; rows set by other means are scanned in full.
int32_t find_history_row(const StationCatalogue& catalogue, const SelectedStations& selected,
                         int32_t wban, int32_t day);

}  // namespace wxfetch
