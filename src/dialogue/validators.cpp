#include "dialogue/validators.h"

#include <ostream>

namespace wxfetch {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Scans the whole reply; at the first character that `accepted` refuses, prints the message
// `before` + reply + `after`. Later bad characters print nothing more. Returns 1 when every
// character was accepted.
template <typename Accepted>
int16_t scan_reply(std::ostream& out, std::string_view reply, Accepted accepted,
                   std::string_view before, std::string_view after) {
  int16_t result = 1;
  for (const char c : reply) {
    if (!accepted(c) && result == 1) {
      out << before << reply << after;
      result = 0;
    }
  }
  return result;
}

}  // namespace

int16_t validate_lat_long(std::ostream& out, std::string_view reply) {
  const int16_t result = scan_reply(
      out, reply, [](char c) { return is_digit(c) || c == '.' || c == '-'; }, "\n\tERROR:  \"",
      "\" is not a valid lat/long.  Enter all the digits.\n\n");
  if (result == 1 && !reply.empty() && reply.find('.') == std::string_view::npos) {
    out << "\n\tERROR:  a decimal point is required for this number.\n\n";
    return 0;
  }
  return result;
}

int16_t validate_date(std::ostream& out, std::string_view reply) {
  return scan_reply(out, reply, is_digit, "\n\tERROR:  \"",
                    "\" is not a valid date.  Enter all ten digits.\n");
}

int16_t validate_station_number(std::ostream& out, std::string_view reply) {
  return scan_reply(out, reply, is_digit, "\n\tERROR:  \"",
                    "\" is not a valid station number.  Enter all the digits.\n\n");
}

}  // namespace wxfetch
