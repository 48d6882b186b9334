#include "analysis/thermo.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wxfetch {

CondensationLevel condensation_level(double temperature, double dew_point, double pressure) {
  const double td = std::min(dew_point, temperature);
  CondensationLevel lcl;
  lcl.temperature = lcl_temperature(temperature, td);
  lcl.pressure = pressure * std::pow(lcl.temperature / temperature, 1.0 / KAPPA);
  return lcl;
}

double equivalent_potential_temperature(double temperature, double dew_point, double pressure) {
  const double td = std::min(dew_point, temperature);
  return equivalent_potential_temperature_of(temperature, saturation_mixing_ratio(td, pressure),
                                             lcl_temperature(temperature, td),
                                             std::log(1000.0 / pressure));
}

WindComponents wind_components(double direction, double speed) {
  const double a = direction * std::numbers::pi / 180.0;
  return WindComponents{-speed * std::sin(a), -speed * std::cos(a)};
}

double moist_lapse_rate(double temperature, double pressure) {
  const double rs = saturation_mixing_ratio(temperature, pressure);
  const double lv = latent_heat(temperature);
  const double numerator = GAS_CONSTANT_DRY * temperature + lv * rs;
  const double denominator =
      HEAT_CAPACITY_DRY + lv * lv * rs * EPSILON / (GAS_CONSTANT_DRY * temperature * temperature);
  return numerator / (pressure * denominator);
}

double moist_adiabat_temperature(double temperature, double from_pressure, double to_pressure) {
  const double span = to_pressure - from_pressure;
  const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(span))));
  const double h = span / steps;
  double t = temperature;
  double p = from_pressure;
  for (int i = 0; i < steps; ++i) {
    const double k1 = moist_lapse_rate(t, p);
    const double k2 = moist_lapse_rate(t + 0.5 * h * k1, p + 0.5 * h);
    const double k3 = moist_lapse_rate(t + 0.5 * h * k2, p + 0.5 * h);
    const double k4 = moist_lapse_rate(t + h * k3, p + h);
    t += h * (k1 + 2 * k2 + 2 * k3 + k4) / 6.0;
    p = from_pressure + (i + 1) * h;
  }
  return t;
}

}  // namespace wxfetch
