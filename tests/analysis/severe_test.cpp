#include "analysis/severe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/indices.h"
#include "analysis/kinematics.h"
#include "analysis/pseudo_adiabat.h"
#include "analysis/thermo.h"

namespace wxfetch {
namespace {

constexpr double A = ABSENT;

// The pressure (hPa) of the standard atmosphere at `height` (m), close enough for a made-up
// sounding whose heights matter and whose pressures only have to fall.
double standard_pressure(double height) {
  return 1013.25 * std::pow(1 - 2.25577e-5 * height, 5.25588);
}

// Levels every 250 m from the ground to 9 km: temperature 10 C falling 6.5 K/km, dew point
// `dew_point_depression` below it, wind (m/s, towards east and north) from `wind`.
template <typename Wind>
Profile column(double dew_point_depression, Wind wind) {
  Profile p;
  for (double z = 0; z <= 9000; z += 250) {
    const double t = 10 - 6.5 * z / 1000;
    const auto [u, v] = wind(z);
    const double speed = std::hypot(u, v);
    const double direction = speed == 0 ? 0 : std::fmod(std::atan2(-u, -v) * 180 / M_PI + 360, 360);
    p.levels.push_back({z == 0 ? SURFACE : SIGNIFICANT, standard_pressure(z), z, t,
                        t - dew_point_depression, direction, speed * KNOTS_PER_MS});
  }
  finish_profile(p);
  return p;
}

TEST(PseudoAdiabat, TableAgreesWithFineIntegration) {
  // Starts inside the table and outside it (colder than its coldest row, warmer than its
  // warmest), read near the start, in the middle troposphere and in the stratosphere.
  const double starts[][2] = {{300, 950}, {285, 800},  {270, 600}, {250, 450},
                              {180, 900}, {336, 1000}, {295, 1099}};
  for (const auto& [t, p] : starts) {
    const MoistAdiabat adiabat = moist_adiabat_through(t, p, 10);
    for (const double to : {p - 1, p * 0.8, 500.0, 250.0, 100.0, 20.0}) {
      if (to >= p) continue;
      const double expected = moist_adiabat_temperature(t, p, to);
      EXPECT_NEAR(adiabat.temperature(std::log(to)), expected, 0.005)
          << t << " K at " << p << " hPa to " << to;
      EXPECT_NEAR(adiabat.virtual_temperature(std::log(to)),
                  virtual_temperature(expected, saturation_mixing_ratio(expected, to)), 0.005)
          << t << " K at " << p << " hPa to " << to;
    }
  }
  // Saturated air has its own temperature as its wet bulb; dry air a colder one.
  EXPECT_NEAR(wet_bulb_temperature(290, 290, 900), 290, 1e-6);
  const double dry = wet_bulb_temperature(303.15, 273.15, 1000);
  EXPECT_GT(dry, 273.15);
  EXPECT_LT(dry, 303.15 - 5);
}

TEST(Parcel, EnergiesAgreeWithAFineIntegration) {
  // A warm moist ground, 7.5 K/km up to 12 km, isothermal above: one negative area under the
  // LFC, one positive area, negative again above the EL. CAPE and CIN from the coarse samples
  // must match a sum over 0.05-hPa steps of the parcel read from its adiabats.
  Profile p;
  for (double z = 0; z <= 16000; z += 500) {
    const double t = 30 - 7.5 * std::min(z, 12000.0) / 1000;
    p.levels.push_back({z == 0 ? SURFACE : SIGNIFICANT, standard_pressure(z), z, t,
                        z <= 1000 ? t - 6 : t - 25, A, A});
  }
  finish_profile(p);
  const ProfileLevel& ground = p.levels.front();
  const Environment env = environment_of(p, ground.pressure);
  const ParcelPath path = lift_parcel(ground.pressure, ground.temperature + ZERO_CELSIUS,
                                      ground.dew_point + ZERO_CELSIUS, env);
  const ParcelEnergy coarse = parcel_energy(path, true);
  ASSERT_TRUE(present(coarse.lfc));
  ASSERT_TRUE(present(coarse.el));
  double cape = 0, cin = 0;
  const double step = 0.05;
  for (double q = ground.pressure; q - step > env.temperature.top(); q -= step) {
    const auto buoyancy = [&](double at) {
      return parcel_temperature_at(path, at, true) - value_at(env.virtual_temperature, at);
    };
    const double area =
        GAS_CONSTANT_DRY * 0.5 * (buoyancy(q) + buoyancy(q - step)) * std::log(q / (q - step));
    if (q <= coarse.lfc + 1e-9 && q > coarse.el) cape += std::max(area, 0.0);
    if (q > coarse.lfc) cin += std::min(area, 0.0);
  }
  EXPECT_GT(coarse.cape, 500);
  EXPECT_NEAR(coarse.cape, cape, 0.5);
  EXPECT_NEAR(coarse.cin, cin, 0.5);
}

TEST(Kinematics, UniformWindHasNoShearAndNoHelicity) {
  const Profile p = column(5, [](double) { return std::pair{8.0, -3.0}; });
  const WindProfile w = wind_profile(p, surface_index(p), height_series(p));
  for (const double top : {1000.0, 3000.0, 6000.0}) {
    EXPECT_NEAR(bulk_shear(w, top), 0, 1e-9);
    EXPECT_NEAR(storm_relative_helicity(w, top, {12, 5}), 0, 1e-9);
  }
  const WindVector mean = mean_wind(w, 0, 6000);
  EXPECT_NEAR(mean.u, 8, 1e-9);
  EXPECT_NEAR(mean.v, -3, 1e-9);
  // No shear, no direction to deviate to.
  EXPECT_FALSE(present(bunkers_storm_motions(w).right.u));
}

TEST(Kinematics, StraightHodographGivesBunkersMotionsAndHelicityOnPaper) {
  // u = 0.005 z: the 0-6 km mean wind is (15, 0); the shear from the 0-0.5 km mean (1.25) to the
  // 5.5-6 km mean (28.75) points east, so the right mover is 7.5 m/s south of the mean wind and
  // the left mover 7.5 m/s north. Relative to the right mover, SRH over 0-h is 7.5 * u(h).
  const Profile p = column(5, [](double z) { return std::pair{0.005 * z, 0.0}; });
  SoundingAnalysis a = analyse_sounding(p);
  EXPECT_NEAR(a.storms.right.u, 15, 1e-6);
  EXPECT_NEAR(a.storms.right.v, -7.5, 1e-6);
  EXPECT_NEAR(a.storms.left.u, 15, 1e-6);
  EXPECT_NEAR(a.storms.left.v, 7.5, 1e-6);
  const Indices& ix = a.indices;
  EXPECT_NEAR(ix.srh_1km, 7.5 * 5, 1e-6);
  EXPECT_NEAR(ix.srh_3km, 7.5 * 15, 1e-6);
  EXPECT_NEAR(ix.shear_6km, 30, 1e-6);
  EXPECT_NEAR(ix.shear_1km_kt, 5 * KNOTS_PER_MS, 1e-6);
  EXPECT_NEAR(ix.right_direction, std::atan2(-15, 7.5) * 180 / M_PI + 360, 1e-6);
  // A level without a height takes the one of its pressure: the same answers.
  Profile gaps = p;
  for (ProfileLevel& level : gaps.levels) {
    if (level.kind != SURFACE && static_cast<int>(level.height) % 1000 == 250) level.height = A;
  }
  EXPECT_NEAR(analyse_sounding(gaps).indices.srh_1km, 37.5, 0.5);
}

TEST(Kinematics, MeansAndWindsBetweenLevelsAndOutsideTheProfile) {
  // Winds at 0, 1000 and 3000 m: u = 0, 10, 10 m/s. The mean over 500-2000 m weighs 500 m
  // rising from 5 to 10 and 1000 m at 10: (500 * 7.5 + 1000 * 10) / 1500.
  const WindProfile w{{0, 1000, 3000}, {0, 10, 10}, {0, 0, 0}};
  EXPECT_NEAR(mean_wind(w, 500, 2000).u, (500 * 7.5 + 1000 * 10) / 1500, 1e-9);
  EXPECT_NEAR(wind_at(w, 250).u, 2.5, 1e-9);
  EXPECT_FALSE(present(wind_at(w, 3001).u));
  EXPECT_FALSE(present(mean_wind(w, 0, 6000).u));
  EXPECT_FALSE(present(bulk_shear(w, 6000)));
  EXPECT_FALSE(present(storm_relative_helicity(w, 6000, {0, 0})));
  EXPECT_NEAR(wind_direction({0, -5}), 0, 1e-9);   // from the north
  EXPECT_NEAR(wind_direction({5, 0}), 270, 1e-9);  // from the west
}

TEST(Profile, LayerMeanIsExactForValuesLinearInLogPressure) {
  // v = ln p between 1000 and 500 hPa: the pressure-weighted mean is
  // (p ln p - p) from 500 to 1000, over 500.
  const Series s{{1000, 800, 500}, {std::log(1000.0), std::log(800.0), std::log(500.0)}};
  const auto integral = [](double p) { return p * std::log(p) - p; };
  EXPECT_NEAR(layer_mean(s, 1000, 500), (integral(1000) - integral(500)) / 500, 1e-12);
  EXPECT_NEAR(layer_mean(s, 900, 700), (integral(900) - integral(700)) / 200, 1e-12);
  EXPECT_FALSE(present(layer_mean(s, 1000, 400)));
}

TEST(Severe, FreezingLevelWetBulbZeroAndLapseRates) {
  // 10 C at the ground falling 6.5 K/km reaches 0 C at 1538 m; saturated air has its wet-bulb
  // zero there too, dry air lower down.
  const auto calm = [](double) { return std::pair{0.0, 0.0}; };
  const Indices wet = analyse_sounding(column(0, calm)).indices;
  const Indices dry = analyse_sounding(column(15, calm)).indices;
  EXPECT_NEAR(wet.freezing_level, 1000 * 10 / 6.5, 1);
  EXPECT_NEAR(wet.wet_bulb_zero, wet.freezing_level, 1);
  EXPECT_NEAR(dry.freezing_level, wet.freezing_level, 1e-6);
  EXPECT_LT(dry.wet_bulb_zero, dry.freezing_level - 300);
  EXPECT_GT(dry.wet_bulb_zero, 0);
  EXPECT_NEAR(dry.lapse_rate_0_3km, 6.5, 1e-6);
  EXPECT_NEAR(dry.lapse_rate_700_500, 6.5, 0.01);
  // Cold at the ground: the freezing level is the ground.
  Profile cold = column(2, calm);
  for (ProfileLevel& level : cold.levels) level.temperature -= 20, level.dew_point -= 20;
  EXPECT_EQ(analyse_sounding(cold).indices.freezing_level, 0);
}

TEST(Severe, MostUnstableParcelStartsInTheMoistestWarmestLayer) {
  // Dry at the ground, a moist layer near 850 hPa: the most unstable parcel starts there.
  Profile p = column(20, [](double z) { return std::pair{0.004 * z, 0.002 * z}; });
  for (ProfileLevel& level : p.levels) {
    if (level.height >= 1250 && level.height <= 1500) level.dew_point = level.temperature - 0.5;
  }
  const Indices ix = analyse_sounding(p).indices;
  EXPECT_LE(ix.mu_start, standard_pressure(1250) + 0.01);
  EXPECT_GE(ix.mu_start, standard_pressure(1500) - 0.01);
  EXPECT_GE(ix.mu.cape, ix.sb.cape);
  EXPECT_LE(ix.mu.lcl, ix.mu_start);
  EXPECT_GT(ix.ml.lcl_height, ix.mu.lcl_height);
}

TEST(Severe, CompositeParametersFollowTheirFixedLayerFormulas) {
  struct Case {
    double cape, lcl, srh, shear, stp;
  };
  const Case stp_cases[] = {
      {1500, 1000, 150, 20, 1.0},   // every term 1
      {3000, 500, 300, 40, 6.0},    // LCL term capped at 1, shear term at 1.5
      {1500, 1500, 150, 20, 0.5},   // LCL term (2000 - 1500) / 1000
      {1500, 2500, 150, 20, 0.0},   // LCL too high
      {1500, 1000, 150, 12, 0.0},   // shear below 12.5 m/s
      {1500, 1000, -150, 20, -1.0}  // a left-moving helicity counts against
  };
  for (const Case& c : stp_cases) {
    EXPECT_NEAR(significant_tornado_parameter(c.cape, c.lcl, c.srh, c.shear), c.stp, 1e-9);
  }
  EXPECT_NEAR(supercell_composite_parameter(1000, 50, 20), 1.0, 1e-9);
  EXPECT_NEAR(supercell_composite_parameter(2000, 100, 35), 4.0, 1e-9);  // shear term capped
  EXPECT_NEAR(supercell_composite_parameter(2000, 100, 15), 3.0, 1e-9);
  EXPECT_NEAR(supercell_composite_parameter(2000, 100, 9), 0.0, 1e-9);
  EXPECT_FALSE(present(significant_tornado_parameter(1500, A, 150, 20)));
  EXPECT_FALSE(present(supercell_composite_parameter(1500, 150, A)));
}

}  // namespace
}  // namespace wxfetch
