// Station selection: turns the station part of a request into the chosen stations (distinct WMO
// and WBAN numbers, sorted) and the catalogue rows whose period of record overlaps the request.
#pragma once

#include <array>
#include <cstdint>

#include "records/access_request.h"
#include "stations/catalogue.h"

namespace wxfetch {

struct StationNumbers {
  int32_t wmo = 0;
  int32_t wban = 0;
};

struct SelectedStations {
  // Before selection: the requested numbers (access by number); after: the chosen stations.
  std::array<StationNumbers, MAX_STATION_ROWS> stations{};
  int16_t station_count = 1;
  // After selection: every candidate row whose period overlaps the request, in candidate order.
  std::array<int16_t, MAX_STATION_ROWS> rows{};
  int16_t row_count = 0;
  // find_history_row's index: the positions 0 .. row_count-1 of `rows` ordered by the WBAN
  // number of their catalogue row, then by position. select_stations builds it for the rows it
  // writes; indexed_row_count is the row_count it was built for (-1: none).
  std::array<int16_t, MAX_STATION_ROWS> rows_by_wban{};
  int16_t indexed_row_count = -1;
};

// Rebuilds `selected` from the request's box (every access but by number) or the requested
// numbers in `selected` (access by number, read as the request's kind of station number), and
// the request's days (its dates divided by 100).
void select_stations(const StationCatalogue& catalogue, const AccessRequest& request,
                     SelectedStations& selected);

// Returns the catalogue row index of the last selected row (in the order of `rows`) with this
// WBAN number whose period contains `day` (YYYYMMDD), or -1 when there is none. Uses the index
// that select_stations built; rows set by other means are scanned in full.
int16_t find_history_row(const StationCatalogue& catalogue, const SelectedStations& selected,
                         int32_t wban, int32_t day);

}  // namespace wxfetch
