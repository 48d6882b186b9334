// The parameters of severe convective weather: the mixed-layer and most-unstable parcels beside
// the surface one, bulk shear, the Bunkers storm motions, storm-relative helicity, lapse rates,
// the freezing level and the wet-bulb zero, and the fixed-layer significant tornado and
// supercell composite parameters.
#pragma once

#include "analysis/kinematics.h"
#include "analysis/parcel.h"
#include "analysis/profile.h"

namespace wxfetch {

// What a lifted parcel gives with virtual temperature: energies (J/kg) and levels (hPa, and the
// LCL's height in m above ground).
struct ParcelSummary {
  double cape = ABSENT, cin = ABSENT;
  double lcl = ABSENT, lcl_height = ABSENT, lfc = ABSENT, el = ABSENT;
};

struct SevereIndices {
  // The surface, mixed-layer (lowest 100 hPa) and most-unstable parcels, virtual temperature.
  ParcelSummary sb, ml, mu;
  double mu_start = ABSENT;  // hPa, where the most unstable parcel starts
  // Kinematics (m/s, m2/s2) for the ground up to 1, 3 and 6 km.
  double shear_1km = ABSENT, shear_3km = ABSENT, shear_6km = ABSENT;
  double right_direction = ABSENT, right_speed = ABSENT;  // degrees, knots
  double left_direction = ABSENT, left_speed = ABSENT;
  double srh_1km = ABSENT, srh_3km = ABSENT;
  double lapse_rate_0_3km = ABSENT, lapse_rate_700_500 = ABSENT;  // C/km
  double freezing_level = ABSENT, wet_bulb_zero = ABSENT;         // m above ground
  double stp = ABSENT, scp = ABSENT;
  // The same shears in knots, for the columns.
  double shear_1km_kt = ABSENT, shear_3km_kt = ABSENT, shear_6km_kt = ABSENT;
};

// The winds of a sounding by height and its storm motions, for drawing.
struct SoundingWinds {
  WindProfile winds;    // m above ground, m/s
  StormMotions storms;  // the Bunkers motions, m/s
};

// Fills `ix` and `winds` for the sounding whose surface level is `surface`, with the surface
// parcel already lifted.
void severe_weather_indices(const Profile& profile, int surface, const Environment& env,
                            const ParcelPath& surface_parcel, SevereIndices& ix,
                            SoundingWinds& winds);

// The fixed-layer significant tornado parameter from surface-based CAPE (J/kg), LCL height (m
// above ground), 0-1 km storm-relative helicity (m2/s2) and 0-6 km bulk shear (m/s), and the
// fixed-layer supercell composite parameter from most-unstable CAPE, 0-3 km helicity and 0-6 km
// shear. The manual page gives both formulas.
double significant_tornado_parameter(double cape, double lcl_height, double srh_1km,
                                     double shear_6km);
double supercell_composite_parameter(double mu_cape, double srh_3km, double shear_6km);

}  // namespace wxfetch
