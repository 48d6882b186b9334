#include "import/site_rows.h"

#include <cctype>
#include <cmath>
#include <ostream>

#include "base/text.h"
#include "import/checks.h"

namespace wxfetch {
namespace pack {

std::string international_site_row(const InternationalSite& site, const char* fallback_initials) {
  std::string initials;
  for (char c : site.initials.empty() ? site.name : site.initials) {
    if (initials.size() < 4 && std::isalnum(static_cast<unsigned char>(c))) initials += c;
  }
  if (initials.empty()) initials = fallback_initials;
  const double latitude = site.latitude;
  const double longitude = site.longitude > 180 ? site.longitude - 360 : site.longitude;
  // The table's elevation column holds five digits; anything beyond is no elevation.
  const int elevation = std::fabs(site.elevation) < 10000 ? rounded(site.elevation).value_or(0) : 0;
  std::string row =
      cformat("%-4s %05d %6.2f%c%7.2f%c %5d %04d0101 %04d1231 %-29.29s %.2s", initials.c_str(),
              site.wmo, std::fabs(latitude), latitude < 0 ? 'S' : 'N', std::fabs(longitude),
              longitude < 0 ? 'W' : 'E', elevation, site.first_year, site.last_year,
              site.name.c_str(), site.country.c_str());
  row.erase(row.find_last_not_of(' ') + 1);
  return row;
}

void write_international_sites(const std::vector<std::string>& rows, std::ostream& out) {
  out << rows.size() << "   INIT  WMO   LAT     LONG    ELEV    BEGIN      END NAME"
      << "                          CY\n";
  for (const std::string& row : rows) out << row << "\n";
}

}  // namespace pack
}  // namespace wxfetch
