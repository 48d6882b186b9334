// The wind profile of a sounding by height above ground and what forecasters take from it: bulk
// shear, the Bunkers storm motions and storm-relative helicity. Heights come from the levels
// with winds, those without a height given one linear in ln p between the levels that have both.
#pragma once

#include <vector>

#include "analysis/profile.h"

namespace wxfetch {

struct WindVector {
  double u = ABSENT;  // m/s, towards the east
  double v = ABSENT;  // m/s, towards the north
};

// The winds of a sounding at their heights above the ground (m, rising), in m/s.
struct WindProfile {
  std::vector<double> height, u, v;
};

// The levels with a wind at or above the surface level `surface` (an index of the levels, whose
// height is the ground's), those without a height placed by `heights` (height_series of the
// profile). Empty when the surface has no height.
WindProfile wind_profile(const Profile& profile, int surface, const Series& heights);

// The wind at `height` (m above ground), linear in height between the levels; absent outside.
WindVector wind_at(const WindProfile& winds, double height);

// The mean wind over heights from `bottom` to `top` (m above ground), each metre weighing the
// same (not pressure-weighted); absent when the profile does not cover the layer.
WindVector mean_wind(const WindProfile& winds, double bottom, double top);

// The magnitude (m/s) of the wind at `top` less the wind at the ground.
double bulk_shear(const WindProfile& winds, double top);

// Bunkers et al. (2000): from the 0-6 km mean wind, 7.5 m/s to the right (or left) of the shear
// between the 0-0.5 km and the 5.5-6 km mean winds.
struct StormMotions {
  WindVector right, left;
};
StormMotions bunkers_storm_motions(const WindProfile& winds);

// Storm-relative helicity (m2/s2) from the ground to `top` for a storm moving with `storm`:
// the sum over the layers between levels of (u1 - cu)(v0 - cv) - (u0 - cu)(v1 - cv).
double storm_relative_helicity(const WindProfile& winds, double top, WindVector storm);

// The direction (degrees, where the wind comes from) and speed (m/s) of a wind.
double wind_direction(WindVector wind);
double wind_speed(WindVector wind);

}  // namespace wxfetch
