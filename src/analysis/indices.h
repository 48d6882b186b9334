// The stability indices of one sounding, computed as the University of Wyoming lists them: the
// lifted parcel has the pressure-weighted mean temperature and dew point of the lowest 500 m and
// starts at that layer's mean pressure; 850-mb indices need 850 mb at or above the surface. An
// index that cannot be computed is NaN.
#pragma once

#include "analysis/kinematics.h"
#include "analysis/parcel.h"
#include "analysis/profile.h"
#include "analysis/severe.h"

namespace wxfetch {

// Today's indices and, from the base, the severe-weather ones.
struct Indices : SevereIndices {
  double showalter = ABSENT;
  double lifted_index = ABSENT;
  double lifted_index_virtual = ABSENT;
  double sweat = ABSENT;
  double k_index = ABSENT;
  double cross_totals = ABSENT;
  double vertical_totals = ABSENT;
  double total_totals = ABSENT;
  double cape = ABSENT;
  double cape_virtual = ABSENT;
  double cin = ABSENT;
  double cin_virtual = ABSENT;
  double el = ABSENT;
  double el_virtual = ABSENT;
  double lfc = ABSENT;
  double lfc_virtual = ABSENT;
  double bulk_richardson = ABSENT;
  double lcl_temperature = ABSENT;           // K
  double lcl_pressure = ABSENT;              // hPa
  double mixed_layer_theta = ABSENT;         // K
  double mixed_layer_mixing_ratio = ABSENT;  // g/kg
  double thickness = ABSENT;                 // m
  double precipitable_water = ABSENT;        // mm
  double sb_cape = ABSENT;
  double sb_cin = ABSENT;
};

// One output column: its name in the CSV header and JSON, the value, the decimals printed, and
// for people a short label, the unit ("" for none) and why the value can be missing.
struct IndexColumn {
  const char* name;
  double (*value)(const Indices&);
  int decimals;
  const char* label;
  const char* unit;
  const char* why_absent;
};

namespace why {
inline constexpr const char* STANDARD =
    "850 hPa lies below the ground, or a value it needs at 850, 700 or 500 hPa is missing";
inline constexpr const char* LIFTED =
    "the surface has no height, or the sounding does not reach 500 m above it";
inline constexpr const char* LFC = "no positive area above the LCL (CAPE is 0)";
inline constexpr const char* EL =
    "no positive area above the LCL, or the parcel is still buoyant where the sounding ends";
inline constexpr const char* BRN = "no CAPE, or no winds over the lowest 6 km, or no shear";
inline constexpr const char* THICKNESS = "no height at 1000 or 500 hPa";
inline constexpr const char* WATER = "fewer than two levels with a dew point";
inline constexpr const char* SURFACE = "the surface level lacks a temperature or a dew point";
inline constexpr const char* HEIGHT = "the surface or the LCL has no height to go by";
inline constexpr const char* MIXED = "no temperature and dew point over the lowest 100 hPa";
inline constexpr const char* UNSTABLE =
    "no level with a temperature and a dew point in the lowest 300 hPa";
inline constexpr const char* WIND = "no winds with heights from the ground up to that height";
inline constexpr const char* STORM = "no winds with heights from the ground up to 6 km";
inline constexpr const char* LAPSE = "no temperature or height at one end of the layer";
inline constexpr const char* FREEZING =
    "the sounding stays above 0 C, or the surface has no height";
inline constexpr const char* COMPOSITE = "a term it is made of is missing";
}  // namespace why

// The member as a function, so that a column can name a member of a member.
#define WX_INDEX(path) [](const Indices& ix) { return ix.path; }

inline constexpr IndexColumn INDEX_COLUMNS[] = {
    {"showalter", WX_INDEX(showalter), 2, "Showalter index", "K", why::STANDARD},
    {"lifted_index", WX_INDEX(lifted_index), 2, "Lifted index", "K", why::LIFTED},
    {"lifted_index_virtual", WX_INDEX(lifted_index_virtual), 2, "Lifted index, virtual", "K",
     why::LIFTED},
    {"sweat", WX_INDEX(sweat), 2, "SWEAT index", "", why::STANDARD},
    {"k_index", WX_INDEX(k_index), 2, "K index", "", why::STANDARD},
    {"cross_totals", WX_INDEX(cross_totals), 2, "Cross totals", "", why::STANDARD},
    {"vertical_totals", WX_INDEX(vertical_totals), 2, "Vertical totals", "", why::STANDARD},
    {"total_totals", WX_INDEX(total_totals), 2, "Total totals", "", why::STANDARD},
    {"cape", WX_INDEX(cape), 2, "CAPE, 500 m parcel", "J/kg", why::LIFTED},
    {"cape_virtual", WX_INDEX(cape_virtual), 2, "CAPE, 500 m parcel, virtual", "J/kg", why::LIFTED},
    {"cin", WX_INDEX(cin), 2, "CIN, 500 m parcel", "J/kg", why::LIFTED},
    {"cin_virtual", WX_INDEX(cin_virtual), 2, "CIN, 500 m parcel, virtual", "J/kg", why::LIFTED},
    {"el_hpa", WX_INDEX(el), 2, "Equilibrium level", "hPa", why::EL},
    {"el_virtual_hpa", WX_INDEX(el_virtual), 2, "Equilibrium level, virtual", "hPa", why::EL},
    {"lfc_hpa", WX_INDEX(lfc), 2, "Level of free convection", "hPa", why::LFC},
    {"lfc_virtual_hpa", WX_INDEX(lfc_virtual), 2, "Level of free convection, virtual", "hPa",
     why::LFC},
    {"bulk_richardson", WX_INDEX(bulk_richardson), 2, "Bulk Richardson number", "", why::BRN},
    {"lcl_temperature_k", WX_INDEX(lcl_temperature), 2, "LCL temperature", "K", why::LIFTED},
    {"lcl_pressure_hpa", WX_INDEX(lcl_pressure), 2, "LCL pressure", "hPa", why::LIFTED},
    {"mixed_layer_theta_k", WX_INDEX(mixed_layer_theta), 2, "Mixed layer (500 m) theta", "K",
     why::LIFTED},
    {"mixed_layer_mixing_ratio_gkg", WX_INDEX(mixed_layer_mixing_ratio), 2,
     "Mixed layer (500 m) mixing ratio", "g/kg", why::LIFTED},
    {"thickness_1000_500_m", WX_INDEX(thickness), 0, "1000\u2013500 hPa thickness", "m",
     why::THICKNESS},
    {"precipitable_water_mm", WX_INDEX(precipitable_water), 2, "Precipitable water", "mm",
     why::WATER},
    {"sb_cape", WX_INDEX(sb_cape), 2, "Surface-based CAPE", "J/kg", why::SURFACE},
    {"sb_cin", WX_INDEX(sb_cin), 2, "Surface-based CIN", "J/kg", why::SURFACE},
    {"sb_lcl_hpa", WX_INDEX(sb.lcl), 1, "Surface-based LCL", "hPa", why::SURFACE},
    {"sb_lcl_m_agl", WX_INDEX(sb.lcl_height), 0, "Surface-based LCL height", "m AGL", why::HEIGHT},
    {"sb_lfc_hpa", WX_INDEX(sb.lfc), 1, "Surface-based LFC", "hPa", why::LFC},
    {"sb_el_hpa", WX_INDEX(sb.el), 1, "Surface-based EL", "hPa", why::EL},
    {"ml_cape_jkg", WX_INDEX(ml.cape), 1, "Mixed-layer (100 hPa) CAPE", "J/kg", why::MIXED},
    {"ml_cin_jkg", WX_INDEX(ml.cin), 1, "Mixed-layer CIN", "J/kg", why::MIXED},
    {"ml_lcl_hpa", WX_INDEX(ml.lcl), 1, "Mixed-layer LCL", "hPa", why::MIXED},
    {"ml_lcl_m_agl", WX_INDEX(ml.lcl_height), 0, "Mixed-layer LCL height", "m AGL", why::HEIGHT},
    {"ml_lfc_hpa", WX_INDEX(ml.lfc), 1, "Mixed-layer LFC", "hPa", why::LFC},
    {"ml_el_hpa", WX_INDEX(ml.el), 1, "Mixed-layer EL", "hPa", why::EL},
    {"mu_start_hpa", WX_INDEX(mu_start), 1, "Most-unstable parcel's start", "hPa", why::UNSTABLE},
    {"mu_cape_jkg", WX_INDEX(mu.cape), 1, "Most-unstable CAPE", "J/kg", why::UNSTABLE},
    {"mu_cin_jkg", WX_INDEX(mu.cin), 1, "Most-unstable CIN", "J/kg", why::UNSTABLE},
    {"mu_lcl_hpa", WX_INDEX(mu.lcl), 1, "Most-unstable LCL", "hPa", why::UNSTABLE},
    {"mu_lfc_hpa", WX_INDEX(mu.lfc), 1, "Most-unstable LFC", "hPa", why::LFC},
    {"mu_el_hpa", WX_INDEX(mu.el), 1, "Most-unstable EL", "hPa", why::EL},
    {"shear_0_1km_ms", WX_INDEX(shear_1km), 1, "Bulk shear 0\u20131 km", "m/s", why::WIND},
    {"shear_0_1km_kt", WX_INDEX(shear_1km_kt), 1, "Bulk shear 0\u20131 km", "kt", why::WIND},
    {"shear_0_3km_ms", WX_INDEX(shear_3km), 1, "Bulk shear 0\u20133 km", "m/s", why::WIND},
    {"shear_0_3km_kt", WX_INDEX(shear_3km_kt), 1, "Bulk shear 0\u20133 km", "kt", why::WIND},
    {"shear_0_6km_ms", WX_INDEX(shear_6km), 1, "Bulk shear 0\u20136 km", "m/s", why::WIND},
    {"shear_0_6km_kt", WX_INDEX(shear_6km_kt), 1, "Bulk shear 0\u20136 km", "kt", why::WIND},
    {"bunkers_right_direction_deg", WX_INDEX(right_direction), 0, "Right mover from", "deg",
     why::STORM},
    {"bunkers_right_speed_kt", WX_INDEX(right_speed), 1, "Right mover speed", "kt", why::STORM},
    {"bunkers_left_direction_deg", WX_INDEX(left_direction), 0, "Left mover from", "deg",
     why::STORM},
    {"bunkers_left_speed_kt", WX_INDEX(left_speed), 1, "Left mover speed", "kt", why::STORM},
    {"srh_0_1km_m2s2", WX_INDEX(srh_1km), 1, "Storm-relative helicity 0\u20131 km",
     "m\u00b2/s\u00b2", why::WIND},
    {"srh_0_3km_m2s2", WX_INDEX(srh_3km), 1, "Storm-relative helicity 0\u20133 km",
     "m\u00b2/s\u00b2", why::WIND},
    {"lapse_rate_0_3km_c_km", WX_INDEX(lapse_rate_0_3km), 2, "Lapse rate 0\u20133 km", "\u00b0C/km",
     why::LAPSE},
    {"lapse_rate_700_500_c_km", WX_INDEX(lapse_rate_700_500), 2, "Lapse rate 700\u2013500 hPa",
     "\u00b0C/km", why::LAPSE},
    {"freezing_level_m_agl", WX_INDEX(freezing_level), 0, "Freezing level", "m AGL", why::FREEZING},
    {"wet_bulb_zero_m_agl", WX_INDEX(wet_bulb_zero), 0, "Wet-bulb zero", "m AGL", why::FREEZING},
    {"stp_fixed", WX_INDEX(stp), 2, "Significant tornado parameter", "", why::COMPOSITE},
    {"scp_fixed", WX_INDEX(scp), 2, "Supercell composite parameter", "", why::COMPOSITE},
};

#undef WX_INDEX

// The indices and the surface parcel's path (for drawing).
struct SoundingAnalysis : SoundingWinds {
  Indices indices;
  ParcelPath surface_parcel;
};

SoundingAnalysis analyse_sounding(const Profile& profile);

}  // namespace wxfetch
