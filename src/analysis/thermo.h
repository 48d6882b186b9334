// Moist thermodynamics of a sounding parcel. Temperatures are in kelvin, pressures in hPa,
// mixing ratios in kg/kg; saturation over water after Bolton (1980), pseudo-adiabatic ascent by
// numerical integration with a latent heat that falls with temperature.
#pragma once

#include <cmath>

namespace wxfetch {

constexpr double ZERO_CELSIUS = 273.15;
constexpr double GAS_CONSTANT_DRY = 287.04;   // J/(kg K)
constexpr double HEAT_CAPACITY_DRY = 1005.7;  // J/(kg K), at constant pressure
constexpr double KAPPA = GAS_CONSTANT_DRY / HEAT_CAPACITY_DRY;
constexpr double EPSILON = 0.622;    // molar mass of water over that of dry air
constexpr double GRAVITY = 9.80665;  // m/s2

// Saturation vapour pressure (hPa) over water at `temperature` (K): Bolton's
// 6.112 exp(17.67 t / (t + 243.5)) with t in degrees Celsius.
inline double saturation_vapour_pressure(double temperature) {
  const double t = temperature - ZERO_CELSIUS;
  return 6.112 * std::exp(17.67 * t / (t + 243.5));
}

// The temperature (K) at which the saturation vapour pressure is `vapour_pressure` (hPa): the
// inverse of saturation_vapour_pressure, used to turn a mixing ratio back into a dew point.
inline double dew_point_from_vapour_pressure(double vapour_pressure) {
  const double x = std::log(vapour_pressure / 6.112);
  return ZERO_CELSIUS + 243.5 * x / (17.67 - x);
}

// The dew point (K) of air at `temperature` (K) with relative humidity `humidity` (% over
// water, above 0): the temperature at which the saturation vapour pressure is that share of the
// saturation vapour pressure at `temperature`.
inline double dew_point_from_relative_humidity(double temperature, double humidity) {
  return dew_point_from_vapour_pressure(humidity / 100.0 * saturation_vapour_pressure(temperature));
}

// Mixing ratio (kg/kg) of air at `pressure` holding vapour at `vapour_pressure` (both hPa).
inline double mixing_ratio(double vapour_pressure, double pressure) {
  return EPSILON * vapour_pressure / (pressure - vapour_pressure);
}

// The vapour pressure (hPa) of air at `pressure` with mixing ratio `ratio`.
inline double vapour_pressure(double ratio, double pressure) {
  return ratio * pressure / (EPSILON + ratio);
}

// The factor by which saturation in moist air exceeds that over pure water at `pressure` (hPa),
// 1.0007 + 3.46e-6 p (Buck 1981); without it every mixing ratio, and the precipitable water,
// comes out 0.3-0.4 % below the published values.
inline double enhancement_factor(double pressure) {
  return 1.0007 + 3.46e-6 * pressure;
}

// Saturation mixing ratio (kg/kg) at `temperature` (K) and `pressure` (hPa), enhanced.
inline double saturation_mixing_ratio(double temperature, double pressure) {
  return mixing_ratio(saturation_vapour_pressure(temperature) * enhancement_factor(pressure),
                      pressure);
}

// Potential temperature (K): T (1000 / p)^kappa.
inline double potential_temperature(double temperature, double pressure) {
  return temperature * std::pow(1000.0 / pressure, KAPPA);
}

// The temperature (K) on the dry adiabat of potential temperature `theta` at `pressure`.
inline double dry_adiabat_temperature(double theta, double pressure) {
  return theta * std::pow(pressure / 1000.0, KAPPA);
}

// Virtual temperature (K) of air at `temperature` with mixing ratio `ratio`:
// T (1 + r / epsilon) / (1 + r).
inline double virtual_temperature(double temperature, double ratio) {
  return temperature * (1.0 + ratio / EPSILON) / (1.0 + ratio);
}

// Relative humidity (%) of air at `temperature` with `dew_point` (both K): the ratio of the
// saturation vapour pressures at the two, in per cent (above 100 for a dew point above the
// temperature).
inline double relative_humidity(double temperature, double dew_point) {
  return 100.0 * saturation_vapour_pressure(dew_point) / saturation_vapour_pressure(temperature);
}

// Virtual potential temperature (K) of air at `temperature` (K) and `pressure` (hPa) with
// mixing ratio `ratio` (kg/kg): the potential temperature of its virtual temperature.
inline double virtual_potential_temperature(double temperature, double pressure, double ratio) {
  return potential_temperature(virtual_temperature(temperature, ratio), pressure);
}

// The eastward and northward components of a wind from `direction` (degrees, meteorological:
// where it blows from) at `speed`, in the unit of `speed`.
struct WindComponents {
  double u = 0;
  double v = 0;
};
WindComponents wind_components(double direction, double speed);

// Latent heat of vaporisation (J/kg) at `temperature` (K): 2.501e6 - 2370 (T - 273.15).
inline double latent_heat(double temperature) {
  return 2.501e6 - 2370.0 * (temperature - ZERO_CELSIUS);
}

// The lifting condensation level of air at `temperature` and `dew_point` (K) and `pressure`.
struct CondensationLevel {
  double temperature = 0;  // K
  double pressure = 0;     // hPa
};

// Bolton's (1980) LCL temperature 1 / (1 / (Td - 56) + ln(T / Td) / 800) + 56, and the pressure
// where the dry adiabat through the air reaches it, p (T_lcl / T)^(1 / kappa).
// REQUIRES: dew_point <= temperature (a dew point above the temperature is taken as saturated).
CondensationLevel condensation_level(double temperature, double dew_point, double pressure);

// Bolton's (1980) temperature (K) of the lifting condensation level of air at `temperature`
// and `dew_point` (K): 1 / (1 / (Td - 56) + ln(T / Td) / 800) + 56.
inline double lcl_temperature(double temperature, double dew_point) {
  return 1.0 / (1.0 / (dew_point - 56.0) + std::log(temperature / dew_point) / 800.0) + 56.0;
}

// Equivalent potential temperature (K) of air at `temperature` and `dew_point` (K) and
// `pressure` (hPa), after Bolton (1980, eq. 43) with the enhanced mixing ratio r (g/kg) of the
// dew point and the LCL temperature T_L (a dew point above the temperature taken as saturated):
// T (1000 / p)^(0.2854 (1 - 0.00028 r)) exp((3.376 / T_L - 0.00254) r (1 + 0.00081 r)).
double equivalent_potential_temperature(double temperature, double dew_point, double pressure);
// The same from its parts: the mixing ratio `ratio` (kg/kg), the LCL temperature and
// ln(1000 / p), for callers that have them at hand.
inline double equivalent_potential_temperature_of(double temperature, double ratio, double lcl,
                                                  double log_pressure_ratio) {
  const double r = 1000.0 * ratio;
  return temperature * std::exp(0.2854 * (1.0 - 0.00028 * r) * log_pressure_ratio +
                                (3.376 / lcl - 0.00254) * r * (1.0 + 0.00081 * r));
}

// dT/dp (K/hPa) along the pseudo-adiabat through `temperature` (K) at `pressure` (hPa):
// (Rd T + Lv rs) / (p (cp + Lv^2 rs epsilon / (Rd T^2))).
double moist_lapse_rate(double temperature, double pressure);

// The temperature (K) at `to_pressure` of saturated air lifted (or lowered) pseudo-adiabatically
// from `temperature` at `from_pressure`; fourth-order Runge-Kutta in steps of at most 1 hPa.
double moist_adiabat_temperature(double temperature, double from_pressure, double to_pressure);

}  // namespace wxfetch
