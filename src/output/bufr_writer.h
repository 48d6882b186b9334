// wxget's BUFR format (WMO FM 94), encoded by ECMWF's ecCodes: one edition 4 message per
// sounding in the template of the national high-resolution radiosonde reports (3 09 052), data
// category 2, the station's WMO number, position and elevation from the station tables, the
// nominal date and hour in section 1 and the release time as the launch time, and the levels of
// the request's level selection with their significance flags. Files are named as the KVT files
// of the same request, with ".bufr".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/sounding_writer.h"

namespace wxfetch {

class OutputFiles;

// Whether this build writes BUFR (ecCodes was found when it was built).
#ifdef WXFETCH_HAVE_ECCODES
inline constexpr bool BUFR_OUTPUT_BUILT = true;
#else
inline constexpr bool BUFR_OUTPUT_BUILT = false;
#endif

// The missing value of the originating centre (16 bits in edition 4).
constexpr int BUFR_MISSING_CENTRE = 65535;

// The message of the levels of `sounding` whose kinds are in `kinds` (one bit per kind, as
// selected_kinds gives them) at `station`, from `centre`. A value the template cannot hold is
// written as missing. Throws std::runtime_error when ecCodes cannot encode the message.
// REQUIRES: BUFR_OUTPUT_BUILT.
std::vector<uint8_t> encode_bufr_sounding(const Sounding& sounding, const StationEntry& station,
                                          uint32_t kinds, int centre = BUFR_MISSING_CENTRE);

class BufrWriter : public SoundingWriter {
 public:
  BufrWriter(OutputFiles& files, int centre) : files_(files), centre_(centre) {}

  // A new run of files (or of standard output) for `request`: its level selection and names.
  void begin(const AccessRequest& request) override;
  // Closes the open file and opens the next.
  void start_file(int32_t date_hour, const StationRow& station) override;
  // Writes the sounding's message (none when the level selection leaves no level). Throws
  // std::runtime_error when it cannot be encoded. REQUIRES: station.entry is not null.
  void write(const Sounding& sounding, const StationRow& station) override;
  // Closes the last file.
  void end() override;

 private:
  OutputFiles& files_;
  const int centre_;
  uint32_t kinds_ = 0;
  SortOrder sort_ = SortOrder::CLIMATOLOGICAL;
  bool one_file_ = false;
  int32_t begin_date_ = 0;
};

}  // namespace wxfetch
