#include "records/request_defaults.h"

namespace wxfetch {

SettledChoices settled_choices(const AccessRequest& request, int station_count) {
  SettledChoices settled;
  if (request.begin_value != request.end_value) return settled;
  settled.hours = SoundingHours::ALL;
  settled.sort_order = SortOrder::CLIMATOLOGICAL;
  if (station_count == 1) settled.station_file_structure = StationFileStructure::PER_SOUNDING;
  return settled;
}

}  // namespace wxfetch
