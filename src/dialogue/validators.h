// Input validators: character tests applied to a reply before a number is read from it. Each
// prints exactly one message for a bad reply and returns 1 when the reply is acceptable, 0 when
// not. The empty reply is acceptable to all three.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace wxfetch {

// Digits, "." and "-"; a non-empty reply needs at least one ".".
int16_t validate_lat_long(std::ostream& out, std::string_view reply);
// Digits only.
int16_t validate_date(std::ostream& out, std::string_view reply);
// Digits only.
int16_t validate_station_number(std::ostream& out, std::string_view reply);

}  // namespace wxfetch
