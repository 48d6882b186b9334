// wxget's CSV and JSON Lines of a small archive, value by value: units, precision, absent
// values, level kinds, the level selection and the wind speed units.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commands/wxget.h"
#include "database/archive_writer.h"
#include "output/level_text.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using pack::ABSENT;
using pack::PackLevel;
using pack::PackSounding;

class OpenFormats : public ::testing::Test {
 protected:
  OpenFormats() {
    PackSounding denver;
    denver.wban = 23062;
    denver.month = 3;
    denver.release_time = 2309;
    denver.sonde_type = 52;
    denver.levels = {
        {9, 8295, 1611, -99, -194, 124, 37},
        {4, 10000, 145, ABSENT, ABSENT, ABSENT, ABSENT},
        {5, 8273, ABSENT, -100, -195, ABSENT, ABSENT},
        {6, ABSENT, 3000, ABSENT, ABSENT, 270, 257},
        {8, 2500, 10480, -520, ABSENT, 275, 108},
        {7, 2170, 11500, -571, ABSENT, 280, 64},
    };
    PackSounding camborne;
    camborne.wban = 903808;
    camborne.month = 3;
    camborne.hour = 12;
    camborne.levels = {{9, 10120, 88, -5, -15, 0, 0},
                       {4, 10000, 190, -20, -30, 10, 5},
                       {4, 8500, 1400, -101, -151, 20, 80},
                       {4, 7000, 2900, -200, -300, 30, 120},
                       {4, 5000, 5500, -401, ABSENT, 40, 201}};
    pack::write_archive(archive.path(), {denver, camborne});
  }

  // wxget's standard output for the soundings of 1 March 1999 with the extra options.
  std::string wxget(std::vector<std::string> options) {
    std::vector<std::string> args = {
        "--archive", archive.dir(),
        "--support", (testing::source_dir() / "data/sample/support").string(),
        "--from",    "1999030100",
        "--to",      "1999030112",
        "--wmo",     "72469,3808",
        "--output",  "-",
        "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    EXPECT_EQ(run_wxget(args, out, err, false), 0) << err.str();
    return out.str();
  }

  testing::TempDir archive;
};

TEST_F(OpenFormats, CsvRowsHoldEveryValueAtTheArchivesPrecision) {
  EXPECT_EQ(wxget({"--format", "csv"}),
            "wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,"
            "wind_direction_deg,wind_speed_ms\n"
            "72469,23062,DNR,1999-03-01T00:00Z,surface,829.5,1611,-9.9,-19.4,124,3.7\n"
            "72469,23062,DNR,1999-03-01T00:00Z,mandatory,1000.0,145,,,,\n"
            "72469,23062,DNR,1999-03-01T00:00Z,significant,827.3,,-10.0,-19.5,,\n"
            "72469,23062,DNR,1999-03-01T00:00Z,wind,,3000,,,270,25.7\n"
            "72469,23062,DNR,1999-03-01T00:00Z,max_wind,250.0,10480,-52.0,,275,10.8\n"
            "72469,23062,DNR,1999-03-01T00:00Z,tropopause,217.0,11500,-57.1,,280,6.4\n"
            "3808,903808,CAM,1999-03-01T12:00Z,surface,1012.0,88,-0.5,-1.5,0,0.0\n"
            "3808,903808,CAM,1999-03-01T12:00Z,mandatory,1000.0,190,-2.0,-3.0,10,0.5\n"
            "3808,903808,CAM,1999-03-01T12:00Z,mandatory,850.0,1400,-10.1,-15.1,20,8.0\n"
            "3808,903808,CAM,1999-03-01T12:00Z,mandatory,700.0,2900,-20.0,-30.0,30,12.0\n"
            "3808,903808,CAM,1999-03-01T12:00Z,mandatory,500.0,5500,-40.1,,40,20.1\n");
}

TEST_F(OpenFormats, JsonLinesHoldOneObjectPerSoundingWithNullForAbsentValues) {
  const std::string text = wxget({"--format", "json", "--levels", "mandatory", "--units", "kt"});
  EXPECT_EQ(text,
            "{\"wmo\":72469,\"wban\":23062,\"station\":\"DNR\",\"latitude\":39.77,"
            "\"longitude\":-104.87,\"elevation\":1611,\"time\":\"1999-03-01T00:00Z\","
            "\"release_time\":\"23:09\",\"sonde_type\":52,\"levels\":["
            "{\"kind\":\"surface\",\"pressure_hpa\":829.5,\"height_m\":1611,\"temperature_c\":-9.9,"
            "\"dew_point_c\":-19.4,\"wind_direction_deg\":124,\"wind_speed_kt\":7.2},"
            "{\"kind\":\"mandatory\",\"pressure_hpa\":1000.0,\"height_m\":145,\"temperature_c\":"
            "null,\"dew_point_c\":null,\"wind_direction_deg\":null,\"wind_speed_kt\":null}]}\n"
            "{\"wmo\":3808,\"wban\":903808,\"station\":\"CAM\",\"latitude\":50.22,"
            "\"longitude\":-5.32,\"elevation\":88,\"time\":\"1999-03-01T12:00Z\","
            "\"release_time\":null,\"sonde_type\":null,\"levels\":["
            "{\"kind\":\"surface\",\"pressure_hpa\":1012.0,\"height_m\":88,\"temperature_c\":-0.5,"
            "\"dew_point_c\":-1.5,\"wind_direction_deg\":0,\"wind_speed_kt\":0.0},"
            "{\"kind\":\"mandatory\",\"pressure_hpa\":1000.0,\"height_m\":190,\"temperature_c\":"
            "-2.0,\"dew_point_c\":-3.0,\"wind_direction_deg\":10,\"wind_speed_kt\":1.0},"
            "{\"kind\":\"mandatory\",\"pressure_hpa\":850.0,\"height_m\":1400,\"temperature_c\":"
            "-10.1,\"dew_point_c\":-15.1,\"wind_direction_deg\":20,\"wind_speed_kt\":15.6},"
            "{\"kind\":\"mandatory\",\"pressure_hpa\":700.0,\"height_m\":2900,\"temperature_c\":"
            "-20.0,\"dew_point_c\":-30.0,\"wind_direction_deg\":30,\"wind_speed_kt\":23.3},"
            "{\"kind\":\"mandatory\",\"pressure_hpa\":500.0,\"height_m\":5500,\"temperature_c\":"
            "-40.1,\"dew_point_c\":null,\"wind_direction_deg\":40,\"wind_speed_kt\":39.1}]}\n");
}

TEST_F(OpenFormats, ChosenColumnsComeInTheirOrderAndTheDefaultStaysAsItWas) {
  for (const char* format : {"csv", "json"}) {
    EXPECT_EQ(wxget({"--format", format, "--columns", "default"}), wxget({"--format", format}));
  }
  EXPECT_EQ(wxget({"--format", "csv", "--levels", "mandatory", "--columns",
                   "wmo_id,latitude,elevation_m,kind,temperature_c,relative_humidity_pct,"
                   "mixing_ratio_gkg,u_wind_ms,time"}),
            "wmo_id,latitude,elevation_m,kind,temperature_c,relative_humidity_pct,"
            "mixing_ratio_gkg,u_wind_ms,time\n"
            "72469,39.77,1611,surface,-9.9,45.8,1.00,-3.1,1999-03-01T00:00Z\n"
            "72469,39.77,1611,mandatory,,,,,1999-03-01T00:00Z\n"
            "03808,50.22,88,surface,-0.5,92.9,3.40,0.0,1999-03-01T12:00Z\n"
            "03808,50.22,88,mandatory,-2.0,92.9,3.08,-0.1,1999-03-01T12:00Z\n"
            "03808,50.22,88,mandatory,-10.1,66.8,1.40,-2.7,1999-03-01T12:00Z\n"
            "03808,50.22,88,mandatory,-20.0,40.6,0.46,-6.0,1999-03-01T12:00Z\n"
            "03808,50.22,88,mandatory,-40.1,,,-12.9,1999-03-01T12:00Z\n");
  const std::string json = wxget({"--format", "json", "--levels", "mandatory", "--units", "kt",
                                  "--columns", "wmo_id,pressure_hpa,v_wind_kt,kind"});
  EXPECT_EQ(json.substr(0, json.find('\n') + 1),
            "{\"wmo\":72469,\"wmo_id\":\"72469\",\"wban\":23062,\"station\":\"DNR\","
            "\"latitude\":39.77,\"longitude\":-104.87,\"elevation\":1611,"
            "\"time\":\"1999-03-01T00:00Z\",\"release_time\":\"23:09\",\"sonde_type\":52,"
            "\"levels\":[{\"pressure_hpa\":829.5,\"v_wind_kt\":4.0,\"kind\":\"surface\"},"
            "{\"pressure_hpa\":1000.0,\"v_wind_kt\":null,\"kind\":\"mandatory\"}]}\n");
}

TEST(LevelText, NumbersAndTextsOfTheOpenFormats) {
  struct Case {
    int64_t tenths;
    const char* text;
  };
  // Inside the looked-up range, at its edges and beyond them.
  for (const Case& c : {Case{0, "0.0"}, Case{-5, "-0.5"}, Case{-1500, "-150.0"},
                        Case{-1501, "-150.1"}, Case{12000, "1200.0"}, Case{12001, "1200.1"},
                        Case{99999, "9999.9"}, Case{-2147483648LL, "-214748364.8"}}) {
    char text[MAX_NUMBER_TEXT + 8];
    EXPECT_EQ(std::string(text, put_tenths(text, c.tenths)), c.text);
  }
  EXPECT_EQ(wind_speed_tenths(257, true), 500);  // 25.7 m/s is 49.96 kt
  EXPECT_EQ(wind_speed_tenths(257, false), 257);
  EXPECT_EQ(wind_speed_tenths(MISSING_VALUE, true), MISSING_VALUE);
  EXPECT_EQ(release_time_text(5), "00:05");
  EXPECT_EQ(release_time_text(2360), "");
  EXPECT_EQ(release_time_text(MISSING_VALUE), "");
  EXPECT_EQ(csv_field("A,B\"C"), "\"A,B\"\"C\"");
  EXPECT_EQ(csv_field("DNR"), "DNR");
  EXPECT_EQ(json_string("A\"\\\n\xe9"), "\"A\\\"\\\\\\u000a\\u00e9\"");
}

}  // namespace
}  // namespace wxfetch
