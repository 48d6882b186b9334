// Rows of the international sites table (international_sites.txt) for stations that an import
// brings into an archive without a row in the station history table, so that the archive and
// its support files can come from the same source.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace wxfetch {
namespace pack {

struct InternationalSite {
  int32_t wmo = 0;
  std::string initials;  // "": made of the first letters and digits of the name
  std::string name;
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive (0 to 360 taken as well)
  double elevation = 0;  // metres; 0 is written for a value of 10,000 m or more
  int first_year = 0;
  int last_year = 0;
  std::string country;  // two letters, or "" when unknown
};

// One table row: initials (at most four characters; `fallback_initials` when neither the site
// nor its name gives any), WMO number, position, elevation, the first and last years as
// YYYY0101 and YYYY1231, name and country.
std::string international_site_row(const InternationalSite& site, const char* fallback_initials);

// Writes the table: its count and heading line, then `rows`.
void write_international_sites(const std::vector<std::string>& rows, std::ostream& out);

}  // namespace pack
}  // namespace wxfetch
