// Thinning a long sounding (a high-resolution ascent of thousands of levels) to the levels the
// archive holds, keeping the shape of its temperature, dew-point and wind profiles.
#pragma once

#include <cstddef>
#include <vector>

#include "database/archive_writer.h"

namespace wxfetch {
namespace pack {

// Leaves at most `limit` levels of `levels`, in their order. Kept first: every surface,
// mandatory, tropopause and maximum-wind level, the first and the last level, and the first and
// last level that has a temperature, a dew point and a wind. Then, one at a time, the level that
// lies farthest from the profile the kept levels draw: between two kept neighbours each value is
// taken as linear in the logarithm of pressure (in height when a level lacks its pressure, in
// level order when one lacks both), and a level's distance is the largest of its temperature and
// dew-point deviations (tenths of a degree) and of its wind vector deviation (tenths of m/s).
// When more levels must be kept first than `limit` allows, the first `limit` of them are kept.
void thin_profile(std::vector<PackLevel>& levels, size_t limit);

}  // namespace pack
}  // namespace wxfetch
