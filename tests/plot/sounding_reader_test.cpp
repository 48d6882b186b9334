#include "plot/sounding_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/indices.h"
#include "plot/skewt.h"

namespace wxfetch {
namespace {

// The head of a KVT block as wxfetch writes it, in the full variant with winds in knots.
const std::string KVT_KNOTS =
    "    254     12     15      JUN    1999\n"
    "      1  12345  72999  39.77N104.87W   100   1105\n"
    "      2  10050   2500   2170      8      7      3\n"
    "      3           ABC                   51     kt\n"
    "      9  10050    100    153    101    200     10\n"
    "      6  99999   1219  99999  99999    240     20\n"
    "      4   8500   1498     62    -12    250     24\n"
    "      4   7000   3064    -32  99999    265     35\n";

// The 100-mb variant (whole mb, 32767 for absent) with winds in tenths of m/s, of 1990.
const std::string KVT_100MB_MS =
    "    254      0      1      MAR    1990\n"
    "      1  99999  83746  22.81S 43.25W     6  32767\n"
    "      2   1005    100  32767      6  32767  32767\n"
    "      3          SBGL                          ms\n"
    "      9   1005      6    253    201     90     51\n"
    "      4   1000     52    249  32767  32767  32767\n";

TEST(SoundingReader, ReadsBothKvtVariantsAndWindUnits) {
  const ReadResult r = read_kvt(KVT_KNOTS + KVT_100MB_MS, "in.txt");
  ASSERT_TRUE(r.problems.empty()) << r.problems.front();
  ASSERT_EQ(r.soundings.size(), 2u);
  const Profile& a = r.soundings[0];
  EXPECT_EQ(a.station.wmo, 72999);
  EXPECT_EQ(a.station.initials, "ABC");
  EXPECT_EQ(date_hour_text(a), "1999061512");
  EXPECT_NEAR(a.station.longitude, -104.87, 1e-9);
  ASSERT_EQ(a.levels.size(), 4u);
  EXPECT_EQ(a.levels[0].kind, SURFACE);
  EXPECT_NEAR(a.levels[0].pressure, 1005.0, 1e-9);
  EXPECT_NEAR(a.levels[0].temperature, 15.3, 1e-9);
  EXPECT_NEAR(a.levels[0].wind_speed, 10, 1e-9);
  EXPECT_EQ(a.levels[1].kind, WIND);  // placed by its height between 1005 and 850 mb
  EXPECT_GT(a.levels[1].pressure, 850);
  EXPECT_LT(a.levels[1].pressure, 1005);
  EXPECT_FALSE(present(a.levels[3].dew_point));
  const Profile& b = r.soundings[1];
  EXPECT_EQ(b.station.initials, "SBGL");
  EXPECT_NEAR(b.station.latitude, -22.81, 1e-9);
  EXPECT_NEAR(b.levels[0].pressure, 1005, 1e-9);
  EXPECT_NEAR(b.levels[0].wind_speed, 5.1 * KNOTS_PER_MS, 1e-9);
  EXPECT_FALSE(present(b.levels[1].dew_point));
  EXPECT_FALSE(present(b.levels[1].wind_speed));
}

TEST(SoundingReader, LevelWordsAreIntegersAsStrtolReadsThem) {
  // Each level line's fourth column (temperature in tenths) written several ways; a word that
  // is not an integer makes the block damaged, a number past long is taken as its limit (and
  // then, implausible, as absent).
  const struct {
    const char* word;
    bool read;
    double temperature;
  } cases[] = {{"153", true, 15.3},    {"+153", true, 15.3},
               {"-0153", true, -15.3}, {"99999999999999999999", true, ABSENT},
               {"+-153", false, 0},    {"-", false, 0},
               {"15.3", false, 0},     {"153x", false, 0}};
  for (const auto& c : cases) {
    const std::string block = KVT_KNOTS.substr(0, KVT_KNOTS.find("      9  10050")) +
                              "      9  10050    100 " + c.word + "    101    200     10\n";
    const ReadResult r = read_kvt(block, "in.txt");
    ASSERT_EQ(r.soundings.size(), c.read ? 1u : 0u) << c.word;
    if (!c.read) continue;
    const double t = r.soundings[0].levels[0].temperature;
    if (present(c.temperature)) {
      EXPECT_NEAR(t, c.temperature, 1e-9) << c.word;
    } else {
      EXPECT_FALSE(present(t)) << c.word;
    }
  }
}

TEST(SoundingReader, DamagedKvtBlockIsReportedAndTheNextOneRead) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"short level line", KVT_KNOTS + "      4   5000   5700\n" + KVT_100MB_MS},
      {"header cut", KVT_KNOTS.substr(0, 89) + KVT_100MB_MS},
      {"bad month",
       "    254     12     15      XYZ    1999\n" + KVT_KNOTS.substr(39) + KVT_100MB_MS},
  };
  for (const auto& c : cases) {
    const ReadResult r = read_kvt(c.text, "in.txt");
    EXPECT_EQ(r.problems.size(), 1u) << c.name;
    ASSERT_EQ(r.soundings.size(), 1u) << c.name;
    EXPECT_EQ(r.soundings[0].station.wmo, 83746) << c.name;
  }
}

TEST(SoundingReader, ReadsCsvRowsIntoSoundings) {
  const std::string csv =
      "wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,"
      "wind_direction_deg,wind_speed_ms\r\n"
      "72357,3948,\"O,UN\",1999-05-04T00:00Z,surface,959.0,345,22.2,19.0,160,9.3\r\n"
      "72357,3948,\"O,UN\",1999-05-04T00:00Z,mandatory,850.0,1397,17.0,,,\r\n"
      "72357,3948,\"O,UN\",1999-05-04T00:00Z,mandatory,8x0.0,1397,17.0,,,\r\n"
      "72357,3948,\"O,UN\",1999-05-04T12:00Z,surface,965.0,345,18.0,17.0,,\r\n";
  const ReadResult r = read_soundings(csv, "in.csv");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_NE(r.problems[0].find("in.csv:4:"), std::string::npos) << r.problems[0];
  ASSERT_EQ(r.soundings.size(), 2u);
  const Profile& a = r.soundings[0];
  EXPECT_EQ(a.station.initials, "O,UN");
  EXPECT_EQ(date_hour_text(a), "1999050400");
  ASSERT_EQ(a.levels.size(), 2u);
  EXPECT_NEAR(a.levels[0].wind_speed, 9.3 * KNOTS_PER_MS, 1e-9);
  EXPECT_FALSE(present(a.levels[1].dew_point));
  EXPECT_EQ(a.levels[1].kind, MANDATORY);
  EXPECT_EQ(r.soundings[1].hour, 12);
}

TEST(SoundingReader, TruncatedOrAbsurdInputIsDrawnWithoutFault) {
  const std::string csv =
      "wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,"
      "wind_direction_deg,wind_speed_kt\n"
      "1,2,X,2000-01-01T00:00Z,surface,1e9,0,25,20,10,10\n"
      "1,2,X,2000-01-01T00:00Z,surface,1000,0,-999,20,10,10\n"
      "1,2,X,2000-01-01T00:00Z,mandatory,850,1500,15,9999,720,1e6\n"
      "1,2,X,2000-01-01T00:00Z,mandatory,500,5800,-10,-20,250,40\n";
  const std::string kvt = KVT_KNOTS + KVT_100MB_MS;
  for (const std::string* text : {&csv, &kvt}) {
    for (size_t cut = 0; cut <= text->size(); ++cut) {
      const ReadResult r = read_soundings(text->substr(0, cut), "in");
      for (const Profile& profile : r.soundings) {
        const std::string svg = skewt_document(profile, analyse_sounding(profile));
        EXPECT_EQ(svg.find("nan"), std::string::npos) << cut;
        EXPECT_EQ(svg.find("inf"), std::string::npos) << cut;
      }
    }
  }
  const ReadResult r = read_soundings(csv, "in");
  ASSERT_EQ(r.soundings.size(), 1u);
  for (const ProfileLevel& level : r.soundings[0].levels) {
    EXPECT_LE(level.pressure, 1100);  // 1e9 hPa is dropped (the height places it again)
    EXPECT_NE(level.temperature, -999);
    if (level.pressure == 850) {
      EXPECT_FALSE(present(level.dew_point) || present(level.wind_speed));
    }
  }
}

}  // namespace
}  // namespace wxfetch
