#include "dialogue/validators.h"

namespace wxfetch {

// Placeholders until the validators are built.
int16_t validate_lat_long(std::ostream&, std::string_view) {
  return 1;
}
int16_t validate_date(std::ostream&, std::string_view) {
  return 1;
}
int16_t validate_station_number(std::ostream&, std::string_view) {
  return 1;
}

}  // namespace wxfetch
