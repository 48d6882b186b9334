#include "analysis/indices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/thermo.h"

namespace wxfetch {
namespace {

constexpr double A = ABSENT;

// kind, pressure hPa, height m, temperature C, dew point C, direction deg, speed kt.
Profile make_profile(const std::vector<ProfileLevel>& levels) {
  Profile p;
  p.station.wmo = 72999;
  p.levels = levels;
  finish_profile(p);
  return p;
}

// A warm, moist afternoon sounding with a capping-free lower layer and a cold upper troposphere.
const std::vector<ProfileLevel> UNSTABLE = {
    {SURFACE, 1000, 100, 30, 22, 180, 10},     {MANDATORY, 925, 780, 24, 19, 200, 20},
    {MANDATORY, 850, 1500, 19, 14, 220, 25},   {MANDATORY, 700, 3100, 8, -2, 240, 35},
    {MANDATORY, 500, 5800, -12, -30, 250, 45}, {MANDATORY, 400, 7400, -23, -40, 255, 50},
    {MANDATORY, 300, 9500, -38, -50, 260, 60}, {MANDATORY, 250, 10800, -48, -58, 260, 70},
    {MANDATORY, 200, 12300, -55, A, 260, 60},  {MANDATORY, 150, 14100, -58, A, 260, 40},
    {MANDATORY, 100, 16600, -62, A, 260, 20},
};

TEST(Thermo, BoltonVapourPressureAndLclAgreeWithHandValues) {
  EXPECT_NEAR(saturation_vapour_pressure(273.15), 6.112, 1e-9);
  // 6.112 exp(17.67 * 20 / 263.5)
  EXPECT_NEAR(saturation_vapour_pressure(293.15), 23.37, 0.01);
  EXPECT_NEAR(dew_point_from_vapour_pressure(23.37), 293.15, 0.01);
  // Saturated air condenses where it is.
  const CondensationLevel at_start = condensation_level(290, 290, 900);
  EXPECT_NEAR(at_start.temperature, 290, 0.01);
  EXPECT_NEAR(at_start.pressure, 900, 0.05);
  // 1 / (1 / (283.15 - 56) + ln(303.15 / 283.15) / 800) + 56 = 278.83 K
  const CondensationLevel lcl = condensation_level(303.15, 283.15, 1000);
  EXPECT_NEAR(lcl.temperature, 278.83, 0.01);
  EXPECT_NEAR(lcl.pressure, 1000 * std::pow(lcl.temperature / 303.15, 1 / KAPPA), 1e-9);
}

// Bolton's equivalent potential temperature (his equation 39), kept by pseudo-adiabatic ascent.
double bolton_theta_e(double t, double p) {
  const double r = saturation_mixing_ratio(t, p) * 1000;
  return t * std::pow(1000 / p, 0.2854 * (1 - 0.00028 * r)) *
         std::exp((3.376 / t - 0.00254) * r * (1 + 0.00081 * r));
}

TEST(Thermo, MoistAscentKeepsEquivalentPotentialTemperature) {
  for (const double start : {263.15, 283.15, 298.15}) {
    const double at_500 = moist_adiabat_temperature(start, 1000, 500);
    const double at_250 = moist_adiabat_temperature(at_500, 500, 250);
    EXPECT_NEAR(bolton_theta_e(at_500, 500), bolton_theta_e(start, 1000), 0.6) << start;
    EXPECT_NEAR(bolton_theta_e(at_250, 250), bolton_theta_e(start, 1000), 0.6) << start;
    EXPECT_LT(at_500, dry_adiabat_temperature(potential_temperature(start, 1000), 500) + 40);
    EXPECT_GT(at_500, dry_adiabat_temperature(potential_temperature(start, 1000), 500));
  }
}

TEST(Indices, StandardLevelIndicesAndThicknessByHand) {
  const Indices ix = analyse_sounding(make_profile(UNSTABLE)).indices;
  EXPECT_NEAR(ix.vertical_totals, 19 - -12, 1e-9);
  EXPECT_NEAR(ix.cross_totals, 14 - -12, 1e-9);
  EXPECT_NEAR(ix.total_totals, 31 + 26, 1e-9);
  EXPECT_NEAR(ix.k_index, (19 - -12) + 14 - (8 - -2), 1e-9);
  EXPECT_NEAR(ix.thickness, 5800 - 100, 1e-9);
  // 12 * 14 + 20 * (57 - 49) + 2 * 25 + 45 + 125 * (sin(30 degrees) + 0.2)
  EXPECT_NEAR(ix.sweat, 168 + 160 + 50 + 45 + 125 * 0.7, 0.01);
}

TEST(Indices, UnstableSoundingHasCapeBetweenItsLevels) {
  const Indices ix = analyse_sounding(make_profile(UNSTABLE)).indices;
  EXPECT_GT(ix.cape, 1000);
  EXPECT_LT(ix.cape, 4000);
  EXPECT_GT(ix.cape_virtual, ix.cape);
  EXPECT_LE(ix.cin, 0);
  EXPECT_LT(ix.lifted_index, -3);
  EXPECT_LT(ix.showalter, 0);
  EXPECT_LE(ix.lfc, ix.lcl_pressure);
  EXPECT_LT(ix.el, ix.lfc);
  EXPECT_GT(ix.el, 150);
  EXPECT_LT(ix.el, 300);
  EXPECT_GT(ix.sb_cape, 0);
  EXPECT_GT(ix.precipitable_water, 20);
  EXPECT_LT(ix.precipitable_water, 60);
  EXPECT_GT(ix.bulk_richardson, 0);
}

TEST(Indices, DryParcelLiftedIndexFollowsTheDryAdiabat) {
  // A well-mixed layer of potential temperature 300 K and very dry air: the lifted parcel stays
  // unsaturated up to 500 mb, so its temperature there is 300 (500 / 1000)^kappa.
  std::vector<ProfileLevel> levels;
  for (const double p : {1000.0, 975.0, 950.0, 900.0, 850.0, 700.0, 500.0, 400.0}) {
    const double height = 100 + 29.3 * 290 * std::log(1000 / p);
    levels.push_back({p == 1000 ? SURFACE : MANDATORY, p, height,
                      dry_adiabat_temperature(300, p) - ZERO_CELSIUS, -60, A, A});
  }
  levels[6].temperature = -20;  // 500 mb
  const Indices ix = analyse_sounding(make_profile(levels)).indices;
  EXPECT_NEAR(ix.lifted_index, -20 + ZERO_CELSIUS - dry_adiabat_temperature(300, 500), 0.1);
  EXPECT_NEAR(ix.mixed_layer_theta, 300, 0.02);
  EXPECT_LT(ix.lcl_pressure, 500);
}

TEST(Indices, ColumnsStayEmptyWhereAnIndexCannotBeComputed) {
  struct Case {
    const char* name;
    std::vector<ProfileLevel> levels;
    bool standard, mixed_layer, el, lfc;
  };
  std::vector<ProfileLevel> high_station = UNSTABLE;  // surface above 850 mb
  high_station.erase(high_station.begin(), high_station.begin() + 3);
  high_station.front().kind = SURFACE;
  high_station.front().dew_point = -20;
  std::vector<ProfileLevel> no_height = UNSTABLE;
  no_height.front().height = A;
  std::vector<ProfileLevel> cut_top = UNSTABLE;  // still buoyant where the sounding ends
  cut_top.resize(6);
  std::vector<ProfileLevel> stable = UNSTABLE;  // a deep inversion: no positive area
  for (ProfileLevel& l : stable) l.temperature = l.kind == SURFACE ? 5 : 25, l.dew_point = -10;
  const std::vector<Case> cases = {
      {"surface above 850 mb", high_station, false, true, false, false},
      {"surface without height", no_height, true, false, false, false},
      {"top still buoyant", cut_top, true, true, false, true},
      {"no positive area", stable, true, true, false, false},
  };
  for (const Case& c : cases) {
    const Indices ix = analyse_sounding(make_profile(c.levels)).indices;
    EXPECT_EQ(present(ix.k_index), c.standard) << c.name;
    EXPECT_EQ(present(ix.showalter), c.standard) << c.name;
    EXPECT_EQ(present(ix.sweat), c.standard) << c.name;
    EXPECT_EQ(present(ix.mixed_layer_theta), c.mixed_layer) << c.name;
    EXPECT_EQ(present(ix.lifted_index), c.mixed_layer) << c.name;
    EXPECT_EQ(present(ix.cape), c.mixed_layer) << c.name;
    EXPECT_EQ(present(ix.el), c.el) << c.name;
    EXPECT_EQ(present(ix.lfc), c.lfc) << c.name;
  }
  const Indices stable_ix = analyse_sounding(make_profile(stable)).indices;
  EXPECT_EQ(stable_ix.cape, 0);
  EXPECT_EQ(stable_ix.cin, 0);
}

TEST(Profile, WindLevelsGetThePressureOfTheirHeight) {
  const Profile p = make_profile({{MANDATORY, 1000, 100, 20, 10, A, A},
                                  {WIND, A, 600, A, A, 270, 20},
                                  {MANDATORY, 900, 1100, 12, 5, A, A}});
  ASSERT_EQ(p.levels.size(), 3u);
  EXPECT_EQ(p.levels[1].kind, WIND);
  EXPECT_NEAR(p.levels[1].pressure, std::sqrt(1000.0 * 900.0), 0.01);
}

}  // namespace
}  // namespace wxfetch
