// The period of a request and its walk: the years, months and days from the beginning date to
// the ending date, in order, written once for both sorts. A driver gives a walker that opens
// its files at each year, reads directories at each month and visits each day.
#pragma once

#include <cstdint>
#include <string>

#include "records/access_request.h"

namespace wxfetch {

struct DateHour {
  int32_t value = 0;  // YYYYMMDDHH
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t hour = 0;
};

// Reads a YYYYMMDDHH text as a number and as its year, month, day and hour.
DateHour parse_date_hour(const std::string& text);

// True when the request's sounding hours take soundings at `hour`.
inline bool hour_wanted(SoundingHours hours, int hour) {
  switch (hours) {
    case SoundingHours::ALL:
      return true;
    case SoundingHours::ZERO_AND_TWELVE:
      return hour == 0 || hour == 12;
    case SoundingHours::ZERO:
      return hour == 0;
    case SoundingHours::TWELVE:
      return hour == 12;
  }
  return false;
}

// One day of the period; `first` and `last` say whether it is the period's first or last day
// (whose hours the beginning and ending hours bound).
struct PeriodDay {
  int year = 0;
  int month = 0;
  int day = 0;
  bool first = false;
  bool last = false;

  // The date YYYYMMDDHH of this day at `hour`.
  int32_t date_at(int hour) const { return year * 1000000 + month * 10000 + day * 100 + hour; }
};

// Walks the period from `begin` to `end`: for each year walker.enter_year(year), which returns
// false to pass the year over; then for each month of the period in that year
// walker.enter_month(year, month) and walker.visit_day(day) for days 1 (or the beginning day)
// to 31 (or the ending day); then walker.leave_year(year). Days past a month's end are visited
// too: the directories have no soundings on them.
template <typename Walker>
void walk_period(const DateHour& begin, const DateHour& end, Walker& walker) {
  for (int year = begin.year; year <= end.year; ++year) {
    if (!walker.enter_year(year)) continue;
    const int first_month = year == begin.year ? begin.month : 1;
    const int last_month = year == end.year ? end.month : 12;
    for (int month = first_month; month <= last_month; ++month) {
      walker.enter_month(year, month);
      const bool first_month_of_period = year == begin.year && month == begin.month;
      const bool last_month_of_period = year == end.year && month == end.month;
      const int first_day = first_month_of_period ? begin.day : 1;
      const int last_day = last_month_of_period ? end.day : 31;
      for (int day = first_day; day <= last_day; ++day) {
        walker.visit_day(PeriodDay{year, month, day, first_month_of_period && day == begin.day,
                                   last_month_of_period && day == end.day});
      }
    }
    walker.leave_year(year);
  }
}

}  // namespace wxfetch
