// The choices that a request's period and stations settle without a question, alike in every
// front end (the dialogue, wxget, wxplot).
#pragma once

#include <optional>

#include "records/access_request.h"

namespace wxfetch {

// A choice that is set is settled: the front end asks no question for it (a command-line option
// may still override it where the program says so). An unset choice is the user's.
struct SettledChoices {
  std::optional<SoundingHours> hours;
  std::optional<SortOrder> sort_order;
  std::optional<StationFileStructure> station_file_structure;  // of the station sort
};

// One date and hour takes every hour and the station sort; one date and hour of one station
// (`station_count` selected) goes to a file per sounding.
SettledChoices settled_choices(const AccessRequest& request, int station_count);

}  // namespace wxfetch
