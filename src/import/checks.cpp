#include "import/checks.h"

#include <cmath>

#include "base/text.h"

namespace wxfetch {
namespace pack {

bool real_date_hour(int year, int month, int day, int hour) {
  if (year < FIRST_YEAR || year > LAST_YEAR || month < 1 || month > 12) return false;
  return day >= 1 && day <= days_in_month(year, month) && hour >= 0 && hour <= 23;
}

std::string no_such_date(int year, int month, int day, int hour) {
  return cformat("no such date (%04d-%02d-%02d %02d UTC)", year, month, day, hour);
}

std::optional<int32_t> rounded(double value) {
  if (!std::isfinite(value) || std::fabs(value) > ROUNDING_LIMIT) return std::nullopt;
  return static_cast<int32_t>(std::lround(value));
}

}  // namespace pack
}  // namespace wxfetch
