#include "stations/selection.h"

#include <algorithm>
#include <utility>

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
int32_t row_wban(const StationCatalogue& catalogue, const SelectedStations& selected, int16_t p) {
  const int16_t index = selected.rows[p];
  return index >= 0 && index < MAX_STATION_ROWS ? catalogue.entries[index].wban : -1;
}

// Orders positions of the selected rows, and WBAN numbers, by WBAN number.
struct WbanOrder {
  const StationCatalogue& catalogue;
  const SelectedStations& selected;
  bool operator()(int16_t p, int32_t wban) const { return row_wban(catalogue, selected, p) < wban; }
  bool operator()(int32_t wban, int16_t p) const { return wban < row_wban(catalogue, selected, p); }
};

using Candidates = std::array<int16_t, MAX_STATION_ROWS>;

// The rows that match the requested numbers, in request order; candidates beyond the capacity
// are not collected. Returns their count.
int candidates_by_number(const StationCatalogue& catalogue, const SelectedStations& selected,
                         bool by_wban, Candidates& candidates) {
  const int row_total = in_use(catalogue.count);
  const int requested = in_use(selected.station_count);
  int count = 0;
  for (int k = 0; k < requested && count < MAX_STATION_ROWS; ++k) {
    const StationNumbers& wanted = selected.stations[k];
    for (int j = 0; j < row_total && count < MAX_STATION_ROWS; ++j) {
      const StationEntry& row = catalogue.entries[j];
      const bool match = by_wban ? row.wban == wanted.wban : row.wmo == wanted.wmo;
      if (match) candidates[count++] = static_cast<int16_t>(j);
    }
  }
  return count;
}

// The rows inside the request's box, in catalogue order. Returns their count.
int candidates_in_box(const StationCatalogue& catalogue, const AccessRequest& request,
                      Candidates& candidates) {
  const int row_total = in_use(catalogue.count);
  int count = 0;
  for (int j = 0; j < row_total; ++j) {
    const StationEntry& row = catalogue.entries[j];
    if (request.lat_min <= row.latitude && row.latitude <= request.lat_max &&
        request.lon_min <= row.longitude && row.longitude <= request.lon_max) {
      candidates[count++] = static_cast<int16_t>(j);
    }
  }
  return count;
}

// Keeps the candidates whose period overlaps the request days as the selected rows;
// neighbouring rows of one station give one station element (only the last element is
// compared).
void keep_overlapping(const StationCatalogue& catalogue, const Candidates& candidates,
                      int candidate_count, int32_t begin_day, int32_t end_day,
                      SelectedStations& selected) {
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
}

// The index of the rows by WBAN number, for find_history_row.
void index_rows(const StationCatalogue& catalogue, SelectedStations& selected) {
  const int row_count = selected.row_count;
  for (int p = 0; p < row_count; ++p) selected.rows_by_wban[p] = static_cast<int16_t>(p);
  std::stable_sort(selected.rows_by_wban.begin(), selected.rows_by_wban.begin() + row_count,
                   [&](int16_t a, int16_t b) {
                     return row_wban(catalogue, selected, a) < row_wban(catalogue, selected, b);
                   });
  selected.indexed_row_count = static_cast<int16_t>(row_count);
}

// Bubble sort of the stations by the key of the request; equal keys keep their order.
void sort_stations(bool sort_by_wban, SelectedStations& selected) {
  const int station_count = selected.station_count;
  const auto key = [&](int i) {
    return sort_by_wban ? selected.stations[i].wban : selected.stations[i].wmo;
  };
  for (int pass = 0; pass < station_count - 1; ++pass) {
    for (int i = 0; i + 1 < station_count; ++i) {
      if (key(i) > key(i + 1)) std::swap(selected.stations[i], selected.stations[i + 1]);
    }
  }
}

}  // namespace

void select_stations(const StationCatalogue& catalogue, const AccessRequest& request,
                     SelectedStations& selected) {
  const bool by_number = request.access == StationAccess::BY_NUMBER;
  const bool by_wban = request.station_id_type == StationIdType::WBAN;
  Candidates candidates;
  const int candidate_count = by_number
                                  ? candidates_by_number(catalogue, selected, by_wban, candidates)
                                  : candidates_in_box(catalogue, request, candidates);
  keep_overlapping(catalogue, candidates, candidate_count, request.begin_value / 100,
                   request.end_value / 100, selected);
  index_rows(catalogue, selected);
  sort_stations(by_number && by_wban, selected);
}

int16_t find_history_row(const StationCatalogue& catalogue, const SelectedStations& selected,
                         int32_t wban, int32_t day) {
  const int row_count = in_use(selected.row_count);
  const auto contains_day = [&](int16_t index) {
    if (index < 0 || index >= MAX_STATION_ROWS) return false;
    const StationEntry& row = catalogue.entries[index];
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
  const auto [from, to] =
      std::equal_range(first, first + row_count, wban, WbanOrder{catalogue, selected});
  for (auto p = to; p != from;) {
    const int16_t index = selected.rows[*--p];
    if (contains_day(index)) return index;
  }
  return -1;
}

}  // namespace wxfetch
