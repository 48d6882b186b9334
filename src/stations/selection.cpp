#include "stations/selection.h"

#include <algorithm>
#include <utility>

namespace wxfetch {

namespace {

// The number of elements in use of `table` whose count may have been set to anything.
template <typename Table>
int in_use(int32_t count, const Table& table) {
  return std::clamp<int>(count, 0, static_cast<int>(table.size()));
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
int32_t row_wban(const StationCatalogue& catalogue, const SelectedStations& selected, int32_t p) {
  const int32_t index = selected.rows[static_cast<size_t>(p)];
  return index >= 0 && index < in_use(catalogue.count, catalogue.entries)
             ? catalogue.entries[static_cast<size_t>(index)].wban
             : -1;
}

using Candidates = std::vector<int32_t>;

// The rows that match the requested numbers, in request order; no more candidates than the
// catalogue's capacity are collected.
Candidates candidates_by_number(const StationCatalogue& catalogue, const SelectedStations& selected,
                                bool by_wban) {
  const int row_total = in_use(catalogue.count, catalogue.entries);
  const int requested = in_use(selected.station_count, selected.stations);
  const size_t limit = static_cast<size_t>(std::max(catalogue.capacity, 0));
  Candidates candidates;
  for (int k = 0; k < requested && candidates.size() < limit; ++k) {
    const StationNumbers& wanted = selected.stations[static_cast<size_t>(k)];
    for (int j = 0; j < row_total && candidates.size() < limit; ++j) {
      const StationEntry& row = catalogue.entries[static_cast<size_t>(j)];
      const bool match = by_wban ? row.wban == wanted.wban : row.wmo == wanted.wmo;
      if (match) candidates.push_back(j);
    }
  }
  return candidates;
}

// The rows inside the request's box, in catalogue order.
Candidates candidates_in_box(const StationCatalogue& catalogue, const AccessRequest& request) {
  const int row_total = in_use(catalogue.count, catalogue.entries);
  Candidates candidates;
  for (int j = 0; j < row_total; ++j) {
    const StationEntry& row = catalogue.entries[static_cast<size_t>(j)];
    if (request.lat_min <= row.latitude && row.latitude <= request.lat_max &&
        request.lon_min <= row.longitude && row.longitude <= request.lon_max) {
      candidates.push_back(j);
    }
  }
  return candidates;
}

// Gives the selection's tables room for `count` elements.
void make_room(SelectedStations& selected, size_t count) {
  if (selected.stations.size() < count) selected.stations.resize(count);
  if (selected.rows.size() < count) selected.rows.resize(count);
  if (selected.rows_by_wban.size() < count) selected.rows_by_wban.resize(count);
}

// Keeps the candidates whose period overlaps the request days as the selected rows;
// neighbouring rows of one station give one station element (only the last element is
// compared).
void keep_overlapping(const StationCatalogue& catalogue, const Candidates& candidates,
                      int32_t begin_day, int32_t end_day, SelectedStations& selected) {
  make_room(selected, candidates.size());
  size_t station_count = 0;
  size_t row_count = 0;
  for (const int32_t candidate : candidates) {
    const StationEntry& row = catalogue.entries[static_cast<size_t>(candidate)];
    if (!overlaps_request(row, begin_day, end_day)) continue;
    selected.rows[row_count++] = candidate;
    if (station_count == 0 || selected.stations[station_count - 1].wban != row.wban) {
      selected.stations[station_count++] = StationNumbers{row.wmo, row.wban};
    }
  }
  selected.station_count = static_cast<int32_t>(station_count);
  selected.row_count = static_cast<int32_t>(row_count);
}

// The index of the rows by WBAN number, for find_history_row.
void index_rows(const StationCatalogue& catalogue, SelectedStations& selected) {
  const int row_count = selected.row_count;
  for (int p = 0; p < row_count; ++p) selected.rows_by_wban[static_cast<size_t>(p)] = p;
  std::stable_sort(selected.rows_by_wban.begin(), selected.rows_by_wban.begin() + row_count,
                   [&](int32_t a, int32_t b) {
                     return row_wban(catalogue, selected, a) < row_wban(catalogue, selected, b);
                   });
  selected.indexed_row_count = row_count;
}

// Sorts the stations by the key of the request; equal keys keep their order.
void sort_stations(bool sort_by_wban, SelectedStations& selected) {
  const auto first = selected.stations.begin();
  std::stable_sort(first, first + in_use(selected.station_count, selected.stations),
                   [sort_by_wban](const StationNumbers& a, const StationNumbers& b) {
                     return sort_by_wban ? a.wban < b.wban : a.wmo < b.wmo;
                   });
}

}  // namespace

void select_stations(const StationCatalogue& catalogue, const AccessRequest& request,
                     SelectedStations& selected) {
  const bool by_number = request.access == StationAccess::BY_NUMBER;
  const bool by_wban = request.station_id_type == StationIdType::WBAN;
  const Candidates candidates = by_number ? candidates_by_number(catalogue, selected, by_wban)
                                          : candidates_in_box(catalogue, request);
  keep_overlapping(catalogue, candidates, request.begin_value / 100, request.end_value / 100,
                   selected);
  index_rows(catalogue, selected);
  sort_stations(by_number && by_wban, selected);
}

int32_t find_history_row(const StationCatalogue& catalogue, const SelectedStations& selected,
                         int32_t wban, int32_t day) {
  const int row_count = in_use(selected.row_count, selected.rows);
  const auto contains_day = [&](int32_t index) {
    if (index < 0 || index >= in_use(catalogue.count, catalogue.entries)) return false;
    const StationEntry& row = catalogue.entries[static_cast<size_t>(index)];
    return row.wban == wban && row.period_begin <= day && day <= row.period_end;
  };
  if (selected.indexed_row_count != selected.row_count) {
    // Rows not written by select_stations: the last match in a scan of all of them.
    for (int r = row_count - 1; r >= 0; --r) {
      const int32_t index = selected.rows[static_cast<size_t>(r)];
      if (contains_day(index)) return index;
    }
    return -1;
  }
  // The station's rows stand together in the index, in the order of `rows`: the last of them
  // whose period contains the day is the answer.
  const auto first = selected.rows_by_wban.begin();
  const auto last =
      first + std::min<int>(row_count, static_cast<int>(selected.rows_by_wban.size()));
  const auto from = std::partition_point(
      first, last, [&](int32_t p) { return row_wban(catalogue, selected, p) < wban; });
  const auto to = std::partition_point(
      from, last, [&](int32_t p) { return row_wban(catalogue, selected, p) <= wban; });
  for (auto p = to; p != from;) {
    const int32_t index = selected.rows[static_cast<size_t>(*--p)];
    if (contains_day(index)) return index;
  }
  return -1;
}

}  // namespace wxfetch
