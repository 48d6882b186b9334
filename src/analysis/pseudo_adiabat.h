// Pseudo-adiabats from a table built once: the temperature and its slope dT/d(ln p) of every
// pseudo-adiabat whose 1000-hPa temperature is a whole degree from -90 to +60 C, at pressures
// a fixed step apart in ln p from 1100 to 0.1 hPa. The adiabat through a parcel's condensation
// level is found among the rows by cubic interpolation and read between the pressures by cubic
// Hermite interpolation, which agrees with a fine Runge-Kutta integration to about 0.001 K at a
// small fraction of its cost. A parcel outside the table is integrated on its own.
#pragma once

#include <vector>

namespace wxfetch {

// A pseudo-adiabat at one table pressure: its temperature and virtual temperature (saturated)
// in K and their slopes d/d(ln p).
struct AdiabatNode {
  double temperature = 0, slope = 0;
  double virtual_temperature = 0, virtual_slope = 0;
};

// One pseudo-adiabat between two pressures, read at any ln p in between.
class MoistAdiabat {
 public:
  // The temperature (K) at ln p = `log_pressure`; outside the pressures the adiabat was made
  // for, the cubic of the nearest end's interval carried on.
  double temperature(double log_pressure) const;
  // The saturated air's virtual temperature (K) there, read the same way.
  double virtual_temperature(double log_pressure) const;
  // Both at once (K).
  void read(double log_pressure, double& temperature, double& virtual_temperature) const;
  // Both with their slopes d/d(ln p) there.
  void read(double log_pressure, AdiabatNode& node) const;
  bool empty() const { return nodes_.empty(); }

 private:
  friend MoistAdiabat adiabat_between(double, double, double, double);
  int first_ = 0;                   // the table pressure of nodes_[0]
  std::vector<AdiabatNode> nodes_;  // at the table pressures first_, first_ + 1, ...
};

// The pseudo-adiabat through `temperature` (K) at `pressure` (hPa), made for the pressures
// from `pressure` up to `top_pressure` (hPa, below `pressure`). Pressures are clamped to the
// table's 1100-0.1 hPa.
MoistAdiabat moist_adiabat_through(double temperature, double pressure, double top_pressure);

// The wet-bulb temperature (K) of air at `temperature` and `dew_point` (K) and `pressure`
// (hPa): the temperature at `pressure` of the pseudo-adiabat through its condensation level
// (Normand's rule).
double wet_bulb_temperature(double temperature, double dew_point, double pressure);

// dT/d(ln p) (K) along the pseudo-adiabat through `temperature` at `pressure`; the dry
// adiabat's kappa T below 120 K, where saturation holds no vapour worth counting (and Bolton's
// formula would overflow).
double moist_log_lapse_rate(double temperature, double pressure);

}  // namespace wxfetch
