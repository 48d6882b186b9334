// The parameters of severe convective weather: the mixed-layer and most-unstable parcels beside
// the surface one, bulk shear, the Bunkers storm motions, storm-relative helicity, lapse rates,
// the freezing level and the wet-bulb zero, and the fixed-layer significant tornado and
// supercell composite parameters.
#pragma once

#include "analysis/indices.h"
#include "analysis/parcel.h"
#include "analysis/profile.h"

namespace wxfetch {

// Fills the members of `analysis.indices` after sb_cin, and its winds and storm motions, for the
// sounding whose surface level is `surface` and whose surface parcel is already lifted.
void severe_weather_indices(const Profile& profile, int surface, const Environment& env,
                            SoundingAnalysis& analysis);

// Bolton's (1980, his equation 43) equivalent potential temperature (K) of air at `temperature`
// and `dew_point` (K) and `pressure` (hPa).
double equivalent_potential_temperature(double temperature, double dew_point, double pressure);

// The fixed-layer significant tornado parameter from surface-based CAPE (J/kg), LCL height (m
// above ground), 0-1 km storm-relative helicity (m2/s2) and 0-6 km bulk shear (m/s), and the
// fixed-layer supercell composite parameter from most-unstable CAPE, 0-3 km helicity and 0-6 km
// shear. The manual page gives both formulas.
double significant_tornado_parameter(double cape, double lcl_height, double srh_1km,
                                     double shear_6km);
double supercell_composite_parameter(double mu_cape, double srh_3km, double shear_6km);

}  // namespace wxfetch
