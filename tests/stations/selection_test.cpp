#include "stations/selection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TestProgram;

struct Row {
  int32_t wmo;
  int32_t wban;
  float latitude;
  float longitude;
  int32_t begin;
  int32_t end;
};

void set_catalogue(ProgramContext& ctx, const std::vector<Row>& rows) {
  ctx.catalogue.count = 0;
  for (const Row& r : rows) {
    StationEntry& entry = ctx.catalogue.entries[ctx.catalogue.count++];
    entry = StationEntry{};
    std::strcpy(entry.initials, "XYZ");
    entry.wmo = r.wmo;
    entry.wban = r.wban;
    entry.latitude = r.latitude;
    entry.longitude = r.longitude;
    entry.period_begin = r.begin;
    entry.period_end = r.end;
  }
}

// Stores the requested numbers (WMO or WBAN) as the dialogue does before an access by number.
void request_numbers(ProgramContext& ctx, int16_t station_id_type,
                     const std::vector<int32_t>& numbers) {
  ctx.request.station_id_type = static_cast<StationIdType>(station_id_type);
  ctx.selected.station_count = static_cast<int32_t>(numbers.size());
  for (size_t i = 0; i < numbers.size(); ++i) {
    (station_id_type == 1 ? ctx.selected.stations[i].wban : ctx.selected.stations[i].wmo) =
        numbers[i];
  }
}

void select_box(ProgramContext& ctx, float lat_min, float lat_max, float lon_min, float lon_max,
                int16_t access_type = 1, int32_t begin = 19980101, int32_t end = 19991231) {
  ctx.request.station_id_type = StationIdType::WBAN;
  ctx.request.access = static_cast<StationAccess>(access_type);
  ctx.request.lat_min = lat_min;
  ctx.request.lat_max = lat_max;
  ctx.request.lon_min = lon_min;
  ctx.request.lon_max = lon_max;
  ctx.request.begin_value = begin * 100;
  ctx.request.end_value = end * 100;
  select_stations(ctx.catalogue, ctx.request, ctx.selected);
}

void select_numbers(ProgramContext& ctx, int32_t begin = 19980101, int32_t end = 19991231) {
  ctx.request.access = StationAccess::BY_NUMBER;
  ctx.request.begin_value = begin * 100;
  ctx.request.end_value = end * 100;
  select_stations(ctx.catalogue, ctx.request, ctx.selected);
}

std::vector<int32_t> chosen_wmo(const ProgramContext& ctx) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < ctx.selected.station_count; ++i)
    numbers.push_back(ctx.selected.stations[i].wmo);
  return numbers;
}

std::vector<int32_t> chosen_wban(const ProgramContext& ctx) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < ctx.selected.station_count; ++i) {
    numbers.push_back(ctx.selected.stations[i].wban);
  }
  return numbers;
}

std::vector<int16_t> chosen_rows(const ProgramContext& ctx) {
  return std::vector<int16_t>(ctx.selected.rows.begin(),
                              ctx.selected.rows.begin() + ctx.selected.row_count);
}

const int32_t ALWAYS_BEGIN = 19400101;
const int32_t ALWAYS_END = 20991231;

TEST(SelectStations, BoxBoundsAreInclusive) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.77f, -104.87f, ALWAYS_BEGIN, ALWAYS_END},
                      {72520, 94823, 40.53f, -80.22f, ALWAYS_BEGIN, ALWAYS_END}});
  select_box(ctx, 39.77f, 39.77f, -104.87f, -104.87f);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469}));
  EXPECT_EQ(chosen_wban(ctx), (std::vector<int32_t>{23062}));
  EXPECT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0}));

  select_box(ctx, 39.78f, 50.0f, -110.0f, -100.0f);
  EXPECT_EQ(ctx.selected.station_count, 0);
  EXPECT_EQ(ctx.selected.row_count, 0);
}

TEST(SelectStations, FixedAmericanBoxEndsAtLongitudeMinus50) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{10001, 1, 0.0f, -50.0f, ALWAYS_BEGIN, ALWAYS_END},
                      {10002, 2, 0.0f, -49.99f, ALWAYS_BEGIN, ALWAYS_END},
                      {10003, 3, -0.01f, -60.0f, ALWAYS_BEGIN, ALWAYS_END},
                      {10004, 4, 90.0f, -180.0f, ALWAYS_BEGIN, ALWAYS_END}});
  select_box(ctx, 0.0f, 90.0f, -180.0f, -50.0f, 2);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{10001, 10004}));

  select_box(ctx, -90.0f, 90.0f, -180.0f, 180.0f, 3);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{10001, 10002, 10003, 10004}));
}

TEST(SelectStations, PeriodMustShareADayWithTheRequest) {
  struct Case {
    const char* name;
    int32_t begin;
    int32_t end;
    bool kept;
  };
  // Request days 19980301 .. 19980331.
  const Case cases[] = {
      {"ends on the first request day", 19970101, 19980301, true},
      {"begins on the last request day", 19980331, 19990101, true},
      {"ends the day before", 19970101, 19980228, false},
      {"begins the day after", 19980401, 19990101, false},
      {"lies inside the request", 19980310, 19980320, true},
      {"covers the request", 19900101, 20000101, true},
  };
  for (const Case& c : cases) {
    TestProgram program;
    ProgramContext& ctx = *program.ctx;
    set_catalogue(ctx, {{72469, 23062, 39.77f, -104.87f, c.begin, c.end}});
    select_box(ctx, -90, 90, -180, 180, 3, 19980301, 19980331);
    EXPECT_EQ(ctx.selected.row_count, c.kept ? 1 : 0) << c.name;
    EXPECT_EQ(ctx.selected.station_count, c.kept ? 1 : 0) << c.name;
  }
}

TEST(SelectStations, StationWithSeveralRowsGivesOneElementAndItsOverlappingRows) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.75f, -104.87f, 19400101, 19951231},
                      {72469, 23062, 39.77f, -104.87f, 19960101, 19981231},
                      {72469, 23062, 39.77f, -104.88f, 19990101, ALWAYS_END},
                      {72476, 23066, 39.12f, -108.53f, ALWAYS_BEGIN, ALWAYS_END}});
  request_numbers(ctx, 0, {72469});
  select_numbers(ctx, 19980101, 19991231);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469}));
  EXPECT_EQ(chosen_wban(ctx), (std::vector<int32_t>{23062}));
  EXPECT_EQ(chosen_rows(ctx), (std::vector<int16_t>{1, 2}));
}

TEST(SelectStations, RepeatedNumbersMergeOnlyWithTheLastStation) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.77f, -104.87f, ALWAYS_BEGIN, 19981231},
                      {72469, 23062, 39.77f, -104.88f, 19990101, ALWAYS_END},
                      {72476, 23066, 39.12f, -108.53f, ALWAYS_BEGIN, ALWAYS_END}});

  // Typed twice with another number between: the station twice, side by side after sorting.
  request_numbers(ctx, 0, {72469, 72476, 72469});
  select_numbers(ctx);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469, 72469, 72476}));
  EXPECT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0, 1, 2, 0, 1}));

  // Typed twice in succession: one element, but the rows twice.
  request_numbers(ctx, 0, {72469, 72469});
  select_numbers(ctx);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469}));
  EXPECT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0, 1, 0, 1}));
}

TEST(SelectStations, SortKeyFollowsTheRequest) {
  // WMO order and WBAN order disagree, and neither is the catalogue order.
  const std::vector<Row> rows = {{72520, 94823, 40.5f, -80.2f, ALWAYS_BEGIN, ALWAYS_END},
                                 {72469, 23062, 39.8f, -104.9f, ALWAYS_BEGIN, ALWAYS_END},
                                 {72476, 23066, 39.1f, -108.5f, ALWAYS_BEGIN, ALWAYS_END},
                                 {72230, 53823, 33.2f, -86.8f, ALWAYS_BEGIN, ALWAYS_END}};
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, rows);

  request_numbers(ctx, 1, {94823, 23066, 53823, 23062});
  select_numbers(ctx);
  EXPECT_EQ(chosen_wban(ctx), (std::vector<int32_t>{23062, 23066, 53823, 94823}));
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469, 72476, 72230, 72520}));
  // Rows stay in candidate order.
  EXPECT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0, 2, 3, 1}));

  request_numbers(ctx, 0, {72520, 72230});
  select_numbers(ctx);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72230, 72520}));

  // A box request is sorted by WMO number although station_id_type is 1 (WBAN).
  select_box(ctx, -90, 90, -180, 180, 1);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72230, 72469, 72476, 72520}));
}

TEST(SelectStations, EqualKeysKeepTheirOrder) {
  // Two stations sharing a WMO number (an international site and a US station): the sort moves
  // whole elements and never exchanges equal keys.
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 1.0f, 1.0f, ALWAYS_BEGIN, ALWAYS_END},
                      {72300, 11111, 1.0f, 1.0f, ALWAYS_BEGIN, ALWAYS_END},
                      {72469, 972469, 1.0f, 1.0f, ALWAYS_BEGIN, ALWAYS_END}});
  select_box(ctx, -90, 90, -180, 180, 3);
  EXPECT_EQ(chosen_wban(ctx), (std::vector<int32_t>{11111, 23062, 972469}));
}

TEST(SelectStations, NumbersMatchingNothingAreDropped) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.77f, -104.87f, ALWAYS_BEGIN, ALWAYS_END}});
  request_numbers(ctx, 0, {11111, 72469, 22222});
  select_numbers(ctx);
  EXPECT_EQ(chosen_wmo(ctx), (std::vector<int32_t>{72469}));

  request_numbers(ctx, 1, {11111, 22222});
  select_numbers(ctx);
  EXPECT_EQ(ctx.selected.station_count, 0);
  EXPECT_EQ(ctx.selected.row_count, 0);
}

TEST(SelectStations, CandidatesBeyondTheCapacityAreLeftOut) {
  // 2000 requested numbers, each matching two rows: only the first 2000 candidates count.
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.77f, -104.87f, ALWAYS_BEGIN, 19981231},
                      {72469, 23062, 39.77f, -104.88f, 19990101, ALWAYS_END}});
  request_numbers(ctx, 0, std::vector<int32_t>(MAX_STATION_ROWS, 72469));
  select_numbers(ctx);
  EXPECT_EQ(ctx.selected.row_count, MAX_STATION_ROWS);
  EXPECT_EQ(ctx.selected.station_count, 1);
}

TEST(FindHistoryRow, LastSelectedRowValidOnTheDayWins) {
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 39.75f, -104.87f, 19900101, 19981231},
                      {72469, 23062, 39.77f, -104.87f, 19980601, ALWAYS_END},
                      {72476, 23066, 39.12f, -108.53f, ALWAYS_BEGIN, ALWAYS_END}});
  select_box(ctx, -90, 90, -180, 180, 3);
  ASSERT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0, 1, 2}));

  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 23062, 19980101), 0);
  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 23062, 19980601),
            1);  // both rows contain the day
  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 23062, 19990101), 1);
  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 23062, 19891231), -1);
  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 23066, 19891231), 2);
  EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, 99999, 19980101), -1);
}

TEST(FindHistoryRow, IndexAnswersAsAScanOfEveryRowWould) {
  // Rows of three stations interleaved, repeated numbers selecting rows twice, and periods that
  // overlap: the answer must be the last matching row in the order of `rows`, with the index
  // built by the selection and without it.
  TestProgram program;
  ProgramContext& ctx = *program.ctx;
  set_catalogue(ctx, {{72469, 23062, 0, 0, 19900101, 19981231},
                      {72476, 23066, 0, 0, 19950101, 19991231},
                      {72469, 23062, 0, 0, 19980601, 19990630},
                      {72469, 23062, 0, 0, 19990101, ALWAYS_END},
                      {72476, 23066, 0, 0, 19990301, 19990331}});
  request_numbers(ctx, 1, {23062, 23066, 23062});
  select_numbers(ctx, 19900101, 20001231);
  ASSERT_EQ(chosen_rows(ctx), (std::vector<int16_t>{0, 2, 3, 1, 4, 0, 2, 3}));
  for (const int32_t wban : {23062, 23066, 12345}) {
    for (const int32_t day : {19891231, 19900101, 19980601, 19981231, 19990101, 19990315, 19990630,
                              19990701, 20001231}) {
      int16_t expected = -1;
      for (const int16_t row : chosen_rows(ctx)) {
        const StationEntry& entry = ctx.catalogue.entries[row];
        if (entry.wban == wban && entry.period_begin <= day && day <= entry.period_end) {
          expected = row;
        }
      }
      EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, wban, day), expected)
          << wban << " " << day;
      ctx.selected.indexed_row_count = -1;  // the same without the index
      EXPECT_EQ(find_history_row(ctx.catalogue, ctx.selected, wban, day), expected)
          << wban << " " << day;
      ctx.selected.indexed_row_count = ctx.selected.row_count;
    }
  }
}

}  // namespace
}  // namespace wxfetch
