#include "records/access_request.h"

#include <algorithm>

#include "base/text.h"

namespace wxfetch {

namespace {

int32_t date_value(const std::string& text) {
  long value = 0;
  scan_long(text, value);
  return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

void AccessRequest::set_period(const std::string& begin, const std::string& end) {
  begin_date = begin;
  begin_value = date_value(begin);
  end_date = end;
  end_value = date_value(end);
}

}  // namespace wxfetch
