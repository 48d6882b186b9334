// The stability indices of one sounding, computed as the University of Wyoming lists them: the
// lifted parcel has the pressure-weighted mean temperature and dew point of the lowest 500 m and
// starts at that layer's mean pressure; 850-mb indices need 850 mb at or above the surface. An
// index that cannot be computed is NaN.
#pragma once

#include "analysis/parcel.h"
#include "analysis/profile.h"

namespace wxfetch {

struct Indices {
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

// One output column: its name in the CSV header and JSON, the member, and the decimals printed.
struct IndexColumn {
  const char* name;
  double Indices::*member;
  int decimals;
};

inline constexpr IndexColumn INDEX_COLUMNS[] = {
    {"showalter", &Indices::showalter, 2},
    {"lifted_index", &Indices::lifted_index, 2},
    {"lifted_index_virtual", &Indices::lifted_index_virtual, 2},
    {"sweat", &Indices::sweat, 2},
    {"k_index", &Indices::k_index, 2},
    {"cross_totals", &Indices::cross_totals, 2},
    {"vertical_totals", &Indices::vertical_totals, 2},
    {"total_totals", &Indices::total_totals, 2},
    {"cape", &Indices::cape, 2},
    {"cape_virtual", &Indices::cape_virtual, 2},
    {"cin", &Indices::cin, 2},
    {"cin_virtual", &Indices::cin_virtual, 2},
    {"el_hpa", &Indices::el, 2},
    {"el_virtual_hpa", &Indices::el_virtual, 2},
    {"lfc_hpa", &Indices::lfc, 2},
    {"lfc_virtual_hpa", &Indices::lfc_virtual, 2},
    {"bulk_richardson", &Indices::bulk_richardson, 2},
    {"lcl_temperature_k", &Indices::lcl_temperature, 2},
    {"lcl_pressure_hpa", &Indices::lcl_pressure, 2},
    {"mixed_layer_theta_k", &Indices::mixed_layer_theta, 2},
    {"mixed_layer_mixing_ratio_gkg", &Indices::mixed_layer_mixing_ratio, 2},
    {"thickness_1000_500_m", &Indices::thickness, 0},
    {"precipitable_water_mm", &Indices::precipitable_water, 2},
    {"sb_cape", &Indices::sb_cape, 2},
    {"sb_cin", &Indices::sb_cin, 2},
};

// The indices and the surface parcel's path (for drawing).
struct SoundingAnalysis {
  Indices indices;
  ParcelPath surface_parcel;
};

SoundingAnalysis analyse_sounding(const Profile& profile);

}  // namespace wxfetch
