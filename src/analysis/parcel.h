// A lifted parcel: its path from the starting pressure to the top of the sounding, sampled at
// every level of the environment (linear in ln p between its levels), at the condensation level
// and at least every PARCEL_STEP in ln p between, and the positive and negative energy of that
// path (CAPE, CIN) with the levels of free convection and equilibrium.
#pragma once

#include <vector>

#include "analysis/profile.h"
#include "analysis/pseudo_adiabat.h"
#include "analysis/thermo.h"

namespace wxfetch {

// The environment the parcel rises through: temperature and virtual temperature (K) at the
// levels with a temperature, from the surface up.
struct Environment {
  Series temperature;
  Series virtual_temperature;
  Series dew_point;                   // K, at the levels with one
  std::vector<double> log_pressures;  // ln p of temperature.pressures
};

// The largest step in ln p between two samples of a parcel's path. With the parcel's slopes at
// the samples the integrals of CAPE and CIN over such steps are close to exact (the end
// correction of Euler and Maclaurin); the LFC and EL, where the buoyancy changes sign between
// samples, are placed within about 0.1 hPa.
constexpr double PARCEL_STEP = 0.04;

// REQUIRES: surface_pressure is the surface level's pressure.
Environment environment_of(const Profile& profile, double surface_pressure);

struct ParcelPath {
  CondensationLevel lcl;
  double theta = 0;                             // K, below the LCL
  double ratio = 0;                             // kg/kg, below the LCL
  MoistAdiabat moist;                           // above the LCL
  std::vector<double> pressures;                // hPa, falling
  std::vector<double> log_pressures;            // their ln p
  std::vector<double> temperature;              // K, the parcel's
  std::vector<double> virtual_temperature;      // K, the parcel's
  std::vector<double> env_temperature;          // K
  std::vector<double> env_virtual_temperature;  // K
  std::vector<double> slope, virtual_slope;     // K, the parcel's d/d(ln p)
  bool empty() const { return pressures.empty(); }
};

// Lifts air at `pressure` with `temperature` and `dew_point` (K): dry-adiabatically with its
// mixing ratio kept to the LCL, then along the pseudo-adiabat, up to the top of the environment.
// Returns an empty path when the environment does not cover the starting pressure.
ParcelPath lift_parcel(double pressure, double temperature, double dew_point,
                       const Environment& environment);

// The parcel temperature (K) at `pressure` on a path that reaches it (NaN otherwise), from its
// adiabats rather than from the samples.
double parcel_temperature_at(const ParcelPath& path, double pressure, bool virtual_form);

// The temperature (K) at `to_pressure` of air lifted from `pressure` with `temperature` and
// `dew_point` (K), without the path; NaN when the environment does not reach both pressures.
double lifted_temperature(double pressure, double temperature, double dew_point, double to_pressure,
                          const Environment& environment);

struct ParcelEnergy {
  double cape = 0;      // J/kg, >= 0
  double cin = 0;       // J/kg, <= 0
  double lfc = ABSENT;  // hPa
  double el = ABSENT;   // hPa; absent when the parcel is still buoyant at the top
};

// CAPE = Rd * integral of (Tp - Te) d ln p over the positive area from the LFC to the EL (or the
// top); CIN the same integral over the negative area between the start and the LFC. With no
// positive area above the LCL, CAPE and CIN are 0 and the LFC and EL absent.
ParcelEnergy parcel_energy(const ParcelPath& path, bool virtual_form);

}  // namespace wxfetch
