// Station selection: turns the station part of a request into the chosen stations (distinct WMO
// and WBAN numbers, sorted) and the catalogue rows whose period of record overlaps the request.
#pragma once

#include <array>
#include <cstdint>

#include "stations/catalogue.h"

namespace wxfetch {

struct ProgramContext;

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

// Rebuilds ctx.selected from the box (access types 1 to 3) or the requested numbers (access type
// 0, read by ctx.request.station_id_type) and the request days begin_day .. end_day (YYYYMMDD).
void select_stations(ProgramContext& ctx, float lat_min, float lat_max, float lon_min,
                     float lon_max, int16_t access_type, int32_t begin_day, int32_t end_day);

// Returns the catalogue row index of the last selected row (in the order of `rows`) with this
// WBAN number whose period contains `day` (YYYYMMDD), or -1 when there is none. Uses the index
// that select_stations built; rows set by other means are scanned in full.
int16_t find_history_row(const ProgramContext& ctx, int32_t wban, int32_t day);

}  // namespace wxfetch
