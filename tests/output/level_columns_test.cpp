// The columns of the open formats: reading --columns, and the derived values of a level as the
// physics demands them (saturation, dry air, calm and the four winds, absent inputs).
#include "output/level_columns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace wxfetch {
namespace {

TEST(LevelColumns, ListsAreReadInTheirOrderAndWrongNamesAreRefused) {
  ColumnList columns;
  EXPECT_EQ(parse_columns("time,relative_humidity_pct,kind", false, columns), "");
  EXPECT_EQ(columns, (ColumnList{Column::TIME, Column::RELATIVE_HUMIDITY, Column::KIND}));
  EXPECT_EQ(parse_columns("all", false, columns), "");
  ASSERT_EQ(columns.size(), static_cast<size_t>(COLUMN_COUNT));
  EXPECT_EQ(columns.front(), Column::WMO);
  EXPECT_EQ(parse_columns("default,u_wind_kt,v_wind_kt", true, columns), "");
  ASSERT_EQ(columns.size(), static_cast<size_t>(DEFAULT_COLUMN_COUNT + 2));
  EXPECT_EQ(columns[DEFAULT_COLUMN_COUNT - 1], Column::WIND_SPEED);
  EXPECT_EQ(column_name(columns.back(), true), "v_wind_kt");

  struct Bad {
    const char* list;
    bool knots;
    const char* error;
  };
  for (const Bad& bad : {Bad{"pressure", false, "'pressure' is no column"},
                         Bad{"kind,,time", false, "'' is no column"},
                         Bad{"u_wind_kt", false, "'u_wind_kt' is in knots; it needs --units kt"},
                         Bad{"wind_speed_ms", true, "'wind_speed_ms' is in m/s"}}) {
    EXPECT_NE(parse_columns(bad.list, bad.knots, columns).find(bad.error), std::string::npos)
        << bad.list;
  }
}

SoundingLevel level_of(int32_t pressure, int32_t temperature, int32_t dew_point,
                       int32_t direction = MISSING_VALUE, int32_t speed = MISSING_VALUE) {
  return SoundingLevel{SIGNIFICANT, pressure, 1000, temperature, dew_point, direction, speed};
}

double value(Column column, const SoundingLevel& level, bool knots = false) {
  return derived_level_value(column, level, knots);
}

TEST(LevelColumns, DerivedValuesFollowThePhysicsOfTheLevel) {
  // Saturated air at 1000 hPa: 100 %, the potential temperature is the temperature, and the
  // moisture raises the equivalent and virtual potential temperatures.
  const SoundingLevel saturated = level_of(10000, 200, 200);
  EXPECT_NEAR(value(Column::RELATIVE_HUMIDITY, saturated), 100.0, 1e-9);
  EXPECT_NEAR(value(Column::POTENTIAL_TEMPERATURE, saturated), 293.15, 1e-9);
  // 23.4 hPa of vapour (enhanced by 1.0042) in 1000 hPa: 14.9 g/kg.
  EXPECT_NEAR(value(Column::MIXING_RATIO, saturated), 14.9, 0.1);
  EXPECT_NEAR(value(Column::EQUIVALENT_POTENTIAL_TEMPERATURE, saturated), 336.0, 1.0);
  EXPECT_NEAR(value(Column::VIRTUAL_POTENTIAL_TEMPERATURE, saturated), 295.8, 0.1);

  // Very dry air at 500 hPa: almost no humidity, and the three potential temperatures meet.
  const SoundingLevel dry = level_of(5000, -200, -800);
  EXPECT_LT(value(Column::RELATIVE_HUMIDITY, dry), 0.2);
  const double theta = value(Column::POTENTIAL_TEMPERATURE, dry);
  EXPECT_NEAR(theta, 253.15 * std::pow(2.0, 287.04 / 1005.7), 1e-9);
  EXPECT_NEAR(value(Column::EQUIVALENT_POTENTIAL_TEMPERATURE, dry), theta, 0.1);
  EXPECT_NEAR(value(Column::VIRTUAL_POTENTIAL_TEMPERATURE, dry), theta, 0.05);

  // Winds come from where they blow: from the north the air moves south (v < 0).
  struct Wind {
    int32_t direction;
    double u, v;
  };
  for (const Wind& w :
       {Wind{0, 0, -10}, Wind{90, -10, 0}, Wind{180, 0, 10}, Wind{270, 10, 0}, Wind{360, 0, -10}}) {
    const SoundingLevel level = level_of(8500, 0, -10, w.direction, 100);
    EXPECT_NEAR(value(Column::U_WIND, level), w.u, 1e-9) << w.direction;
    EXPECT_NEAR(value(Column::V_WIND, level), w.v, 1e-9) << w.direction;
  }
  EXPECT_NEAR(value(Column::V_WIND, level_of(8500, 0, 0, 0, 100), true), -19.43844, 1e-9);
}

TEST(LevelColumns, AbsentOrImplausibleInputsGiveNoValue) {
  const SoundingLevel no_dew_point = level_of(8500, 0, MISSING_VALUE, 180, MISSING_VALUE);
  for (const Column column :
       {Column::RELATIVE_HUMIDITY, Column::MIXING_RATIO, Column::EQUIVALENT_POTENTIAL_TEMPERATURE,
        Column::VIRTUAL_POTENTIAL_TEMPERATURE, Column::U_WIND}) {
    EXPECT_TRUE(std::isnan(value(column, no_dew_point))) << column_name(column, false);
  }
  EXPECT_FALSE(std::isnan(value(Column::POTENTIAL_TEMPERATURE, no_dew_point)));
  // A wind level (no pressure), a damaged pressure or temperature (the mixing ratio needs only
  // the dew point and the pressure, the relative humidity no pressure), a direction past 360.
  for (const SoundingLevel& level :
       {level_of(MISSING_VALUE, 0, -10), level_of(0, 0, -10), level_of(-50, 0, -10),
        level_of(8500, 9000, -10), level_of(8500, -32000, -10)}) {
    for (const Column column :
         {Column::RELATIVE_HUMIDITY, Column::MIXING_RATIO, Column::POTENTIAL_TEMPERATURE,
          Column::EQUIVALENT_POTENTIAL_TEMPERATURE, Column::VIRTUAL_POTENTIAL_TEMPERATURE}) {
      const bool damaged_pressure = level.pressure != 8500;
      const bool given = column == Column::MIXING_RATIO        ? !damaged_pressure
                         : column == Column::RELATIVE_HUMIDITY ? damaged_pressure
                                                               : false;
      char text[32];
      EXPECT_EQ(put_fixed(text, value(column, level), 1) == text, !given)
          << column_name(column, false) << " at " << level.pressure << " " << level.temperature;
    }
  }
  EXPECT_TRUE(std::isnan(value(Column::U_WIND, level_of(8500, 0, 0, 361, 100))));
}

TEST(LevelColumns, FixedDecimalsRoundAndNeverPrintMinusZero) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  for (const Case& c : {Case{14.635, 2, "14.64"}, Case{-0.004, 2, "0.00"}, Case{-0.5, 2, "-0.50"},
                        Case{0.07, 2, "0.07"}, Case{-104.87, 2, "-104.87"}, Case{87.75, 1, "87.8"},
                        Case{-0.04, 1, "0.0"}, Case{1611.4, 0, "1611"}, Case{NAN, 1, ""},
                        Case{INFINITY, 2, ""}, Case{2e12, 1, ""}}) {
    char text[32];
    EXPECT_EQ(std::string(text, put_fixed(text, c.value, c.decimals)), c.text) << c.value;
  }
  EXPECT_EQ(wmo_id_text(3808), "03808");
}

}  // namespace
}  // namespace wxfetch
