// Soundings as the University of Wyoming's TEXT:LIST pages print them, for the scripts that read
// those pages: per sounding the title line ("72357 OUN Norman Observations at 00Z 04 May 1999"),
// the fixed-column table PRES HGHT TEMP DWPT RELH MIXR DRCT SKNT THTA THTE THTV (7 characters a
// column, blank for an absent value, levels in falling pressure with the wind levels at the
// pressure of their height), and the block "Station information and sounding indices" with the
// indices of analysis/indices.h under the pages' own labels, an index that cannot be computed
// left out. Files are named as the KVT files of the request.
#pragma once

#include <string>

#include "output/open_format_writers.h"

namespace wxfetch {

struct Profile;
struct Indices;

class WyomingWriter : public OpenFormatWriter {
 public:
  explicit WyomingWriter(OutputFiles& files)
      : OpenFormatWriter(files, ".txt", OpenWindUnits::KNOTS) {}
  // REQUIRES: station.entry is not null.
  void write(const Sounding& sounding, const StationRow& station) override;

 protected:
  std::string header() const override { return ""; }
  std::string station_text(const StationEntry&) const override { return ""; }
};

// The page of `profile` (levels in falling pressure, as finish_profile leaves them) of the
// station `entry`, with its `indices`.
std::string wyoming_page(const Profile& profile, const StationEntry& entry, const Indices& indices);

}  // namespace wxfetch
