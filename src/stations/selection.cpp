#include "stations/selection.h"

#include <algorithm>
#include <utility>

#include "program.h"

namespace wxfetch {

namespace {

// The number of elements in use of a table of capacity MAX_STATION_ROWS whose count may have
// been set to anything.
int in_use(int16_t count) {
  return std::clamp<int>(count, 0, MAX_STATION_ROWS);
}

// True when the period b .. e shares a day with the request days B .. E: the request starts or
// ends inside the period, or the period lies inside the request.
bool overlaps_request(const StationEntry& row, int32_t begin_day, int32_t end_day) {
  const int32_t b = row.period_begin;
  const int32_t e = row.period_end;
  return (b <= begin_day && begin_day <= e) || (b <= end_day && end_day <= e) ||
         (b > begin_day && e < end_day);
}

// The WBAN number of the catalogue row at position `p` of the selected rows.
int32_t row_wban(const ProgramContext& ctx, int16_t p) {
  const int16_t index = ctx.selected.rows[p];
  return index >= 0 && index < MAX_STATION_ROWS ? ctx.catalogue.entries[index].wban : -1;
}

// Orders positions of the selected rows, and WBAN numbers, by WBAN number.
struct WbanOrder {
  const ProgramContext& ctx;
  bool operator()(int16_t p, int32_t wban) const { return row_wban(ctx, p) < wban; }
  bool operator()(int32_t wban, int16_t p) const { return wban < row_wban(ctx, p); }
};

}  // namespace

void select_stations(ProgramContext& ctx, float lat_min, float lat_max, float lon_min,
                     float lon_max, int16_t access_type, int32_t begin_day, int32_t end_day) {
  const StationCatalogue& catalogue = ctx.catalogue;
  SelectedStations& selected = ctx.selected;
  const int row_total = in_use(catalogue.count);
  const bool by_wban = ctx.request.station_id_type == 1;

  // Candidates in request order (by number) or catalogue order (box); candidates beyond the
  // capacity are not collected.
  std::array<int16_t, MAX_STATION_ROWS> candidates;
  int candidate_count = 0;
  if (access_type == 0) {
    const int requested = in_use(selected.station_count);
    for (int k = 0; k < requested && candidate_count < MAX_STATION_ROWS; ++k) {
      const StationNumbers& wanted = selected.stations[k];
      for (int j = 0; j < row_total && candidate_count < MAX_STATION_ROWS; ++j) {
        const StationEntry& row = catalogue.entries[j];
        const bool match = by_wban ? row.wban == wanted.wban : row.wmo == wanted.wmo;
        if (match) candidates[candidate_count++] = static_cast<int16_t>(j);
      }
    }
  } else {
    for (int j = 0; j < row_total; ++j) {
      const StationEntry& row = catalogue.entries[j];
      if (lat_min <= row.latitude && row.latitude <= lat_max && lon_min <= row.longitude &&
          row.longitude <= lon_max) {
        candidates[candidate_count++] = static_cast<int16_t>(j);
      }
    }
  }

  // Keep the rows whose period overlaps the request; neighbouring rows of one station give one
  // station element (only the last element is compared).
  int station_count = 0;
  int row_count = 0;
  for (int c = 0; c < candidate_count; ++c) {
    const StationEntry& row = catalogue.entries[candidates[c]];
    if (!overlaps_request(row, begin_day, end_day)) continue;
    selected.rows[row_count++] = candidates[c];
    if (station_count == 0 || selected.stations[station_count - 1].wban != row.wban) {
      selected.stations[station_count++] = StationNumbers{row.wmo, row.wban};
    }
  }
  selected.station_count = static_cast<int16_t>(station_count);
  selected.row_count = static_cast<int16_t>(row_count);

  // The index of the rows by WBAN number, for find_history_row.
  for (int p = 0; p < row_count; ++p) selected.rows_by_wban[p] = static_cast<int16_t>(p);
  std::stable_sort(selected.rows_by_wban.begin(), selected.rows_by_wban.begin() + row_count,
                   [&](int16_t a, int16_t b) { return row_wban(ctx, a) < row_wban(ctx, b); });
  selected.indexed_row_count = static_cast<int16_t>(row_count);

  // Bubble sort by the key of the request; equal keys keep their order.
  const bool sort_by_wban = access_type == 0 && by_wban;
  const auto key = [&](int i) {
    return sort_by_wban ? selected.stations[i].wban : selected.stations[i].wmo;
  };
  for (int pass = 0; pass < station_count - 1; ++pass) {
    for (int i = 0; i + 1 < station_count; ++i) {
      if (key(i) > key(i + 1)) std::swap(selected.stations[i], selected.stations[i + 1]);
    }
  }
}

int16_t find_history_row(const ProgramContext& ctx, int32_t wban, int32_t day) {
  const SelectedStations& selected = ctx.selected;
  const int row_count = in_use(selected.row_count);
  const auto contains_day = [&](int16_t index) {
    if (index < 0 || index >= MAX_STATION_ROWS) return false;
    const StationEntry& row = ctx.catalogue.entries[index];
    return row.wban == wban && row.period_begin <= day && day <= row.period_end;
  };
  if (selected.indexed_row_count != selected.row_count) {
    // Rows not written by select_stations: the last match in a scan of all of them.
    for (int r = row_count - 1; r >= 0; --r) {
      if (contains_day(selected.rows[r])) return selected.rows[r];
    }
    return -1;
  }
  // The station's rows stand together in the index, in the order of `rows`: the last of them
  // whose period contains the day is the answer.
  const auto first = selected.rows_by_wban.begin();
  const auto [from, to] = std::equal_range(first, first + row_count, wban, WbanOrder{ctx});
  for (auto p = to; p != from;) {
    const int16_t index = selected.rows[*--p];
    if (contains_day(index)) return index;
  }
  return -1;
}

}  // namespace wxfetch
