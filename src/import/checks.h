// Checks the importers share before a value read from text goes into a sounding: whether a date
// and hour exist and lie in the years an archive can name, and rounding of decimals that is
// defined for every input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wxfetch {
namespace pack {

// The years an archive's folder and file names can tell apart (TEFA0 to TEFA2099, _00 to _99).
constexpr int FIRST_YEAR = 1900;
constexpr int LAST_YEAR = 2099;

// True when the date exists in the Gregorian calendar, its year lies within FIRST_YEAR to
// LAST_YEAR and the hour within 0 to 23.
bool real_date_hour(int year, int month, int day, int hour);

// The message for a date that real_date_hour refuses: "no such date (1999-02-30 24 UTC)".
std::string no_such_date(int year, int month, int day, int hour);

// The largest magnitude `rounded` takes: far beyond every field of a record (whose own checks
// then name the value), well within 32 bits.
constexpr double ROUNDING_LIMIT = 1e9;

// `value` rounded to the nearest whole number (halves away from zero); nullopt when it is not
// finite or its magnitude passes ROUNDING_LIMIT.
std::optional<int32_t> rounded(double value);

}  // namespace pack
}  // namespace wxfetch
