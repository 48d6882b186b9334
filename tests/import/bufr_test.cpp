// The BUFR importer on messages made with ecCodes itself: editions 3 and 4, compressed and not,
// several subsets, other data categories, damaged messages and a high-resolution ascent.
#include "import/bufr.h"

#ifdef WXFETCH_HAVE_ECCODES

#include <eccodes.h>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "database/codec.h"
#include "database/decoder.h"
#include "import/import_test_support.h"
#include "support/test_context.h"

namespace wxfetch::pack {
namespace {

using testing::bare_sounding;
using testing::records_in;
using wxfetch::testing::TempDir;

constexpr double MISS = CODES_MISSING_DOUBLE;

// One level in BUFR's units: flags of 0 08 042, Pa, gpm, K, K, degrees, m/s.
struct Level {
  double flags, pressure, height, temperature, dew_point, direction, speed;
};

struct Subset {
  double block = 72, station = 469;
  long launch[5] = {1999, 3, 4, 11, 15};  // year, month, day, hour, minute
  std::vector<Level> levels;
};

struct Message {
  int edition = 4;
  long category = 2;
  bool compressed = false;
  long typical[5] = {1999, 3, 4, 12, 0};
  std::vector<Subset> subsets;
};

void set(codes_handle* h, const std::string& key, const std::vector<double>& values) {
  ASSERT_EQ(codes_set_double_array(h, key.c_str(), values.data(), values.size()), 0) << key;
}

// Every subset's value of a header key, or of one level's value, as an array.
template <typename Get>
std::vector<double> per_subset(const Message& m, Get get) {
  std::vector<double> values;
  for (const Subset& s : m.subsets) values.push_back(get(s));
  return values;
}

void set_levels(codes_handle* h, const Message& m) {
  double Level::*const fields[] = {&Level::flags,       &Level::pressure,  &Level::height,
                                   &Level::temperature, &Level::dew_point, &Level::direction,
                                   &Level::speed};
  const char* keys[] = {"extendedVerticalSoundingSignificance",
                        "pressure",
                        "nonCoordinateGeopotentialHeight",
                        "airTemperature",
                        "dewpointTemperature",
                        "windDirection",
                        "windSpeed"};
  for (int k = 0; k < 7; ++k) {
    if (!m.compressed) {  // all subsets' levels one after the other
      std::vector<double> values;
      for (const Subset& s : m.subsets) {
        for (const Level& l : s.levels) values.push_back(l.*fields[k]);
      }
      set(h, keys[k], values);
      continue;
    }
    for (size_t i = 0; i < m.subsets.front().levels.size(); ++i) {  // one value per subset
      set(h, "#" + std::to_string(i + 1) + "#" + keys[k],
          per_subset(m, [&](const Subset& s) { return s.levels[i].*fields[k]; }));
    }
  }
}

// The message's bytes, made from ecCodes' sample of its edition.
std::string encode(const Message& m) {
  codes_handle* h = codes_bufr_handle_new_from_samples(nullptr, m.edition == 3 ? "BUFR3" : "BUFR4");
  const auto n = static_cast<long>(m.subsets.size());
  codes_set_long(h, "dataCategory", m.category);
  const char* typical[] = {"typicalYear", "typicalMonth", "typicalDay", "typicalHour",
                           "typicalMinute"};
  for (int i = 0; i < 5; ++i) codes_set_long(h, typical[i], m.typical[i]);
  codes_set_long(h, "numberOfSubsets", n);
  codes_set_long(h, "observedData", 1);
  codes_set_long(h, "compressedData", m.compressed ? 1 : 0);
  std::vector<long> levels, shear;
  for (const Subset& s : m.subsets) levels.push_back(static_cast<long>(s.levels.size()));
  shear.assign(levels.size(), 0);
  const size_t counts = m.compressed ? 1 : levels.size();
  codes_set_long_array(h, "inputExtendedDelayedDescriptorReplicationFactor", levels.data(), counts);
  codes_set_long_array(h, "inputDelayedDescriptorReplicationFactor", shear.data(), counts);
  const long descriptor = 309052;
  codes_set_long_array(h, "unexpandedDescriptors", &descriptor, 1);
  set(h, "blockNumber", per_subset(m, [](const Subset& s) { return s.block; }));
  set(h, "stationNumber", per_subset(m, [](const Subset& s) { return s.station; }));
  const char* launch[] = {"year", "month", "day", "hour", "minute"};
  for (int i = 0; i < 5; ++i) {
    set(h, launch[i], per_subset(m, [&](const Subset& s) { return double(s.launch[i]); }));
  }
  set(h, "heightOfStationGroundAboveMeanSeaLevel", std::vector<double>(m.subsets.size(), 1611));
  set_levels(h, m);
  EXPECT_EQ(codes_set_long(h, "pack", 1), 0);
  const void* bytes = nullptr;
  size_t size = 0;
  codes_get_message(h, &bytes, &size);
  std::string message(static_cast<const char*>(bytes), size);
  codes_handle_delete(h);
  return message;
}

constexpr double SURFACE = 1 << 17, STANDARD = 1 << 16, TROPOPAUSE = 1 << 15, MAX_WIND = 1 << 14,
                 SIG_TEMPERATURE = 1 << 13, SIG_WIND = 1 << 11;

// Six levels of every kind, with what the archive stores of them.
std::vector<Level> six_levels(double shift) {
  return {{SURFACE, 84010 + shift, MISS, 285.65, 282.55, 270, 5.2},
          {STANDARD, 70000, 3050, 271.05, 264.65, 280, 12.3},
          {0, 65010, MISS, 268.15, MISS, 285, 13},
          {SIG_WIND, MISS, 5000, MISS, MISS, 290, 14},
          {MAX_WIND, 30000, 9300, 229.05, MISS, 275, 45.5},
          {TROPOPAUSE + SIG_TEMPERATURE, 25000, 10400, 221.15, MISS, 300, 40}};
}

std::vector<PackLevel> six_stored(int32_t shift) {
  std::vector<PackLevel> levels = {
      {9, 8401 + shift, 1611, 125, 94, 270, 52}, {4, 7000, 3050, -21, -85, 280, 123},
      {5, 6501, ABSENT, -50, ABSENT, 285, 130},  {6, ABSENT, 5000, ABSENT, ABSENT, 290, 140},
      {8, 3000, 9300, -441, ABSENT, 275, 455},   {7, 2500, 10400, -520, ABSENT, 300, 400}};
  // Heights as the archive holds them (the nearest storable value).
  for (PackLevel& level : levels) {
    if (level.height != ABSENT) level.height = storable_height(level.height);
  }
  return levels;
}

const char* const DENVER_HISTORY =
    "1 INIT WBAN WMO LAT LONG ELEV BEGIN END NAME ST CY\n"
    "DNR  23062 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US\n";

struct Imported {
  std::string messages, summary;
  int status = 0;
};

Imported import(const std::string& bytes, const TempDir& archive) {
  std::istringstream history(DENVER_HISTORY);
  const StationTable stations(history);
  std::ostringstream messages, summary;
  ImportRun run(archive.path().string(), messages);
  std::istringstream in(bytes);
  read_bufr(in, "obs.bufr", stations, run);
  run.finish();
  const int status = run.summary(summary);
  return {messages.str(), summary.str(), status};
}

TEST(Bufr, ReadsEverySubsetOfBothEditionsCompressedOrNot) {
  for (const int edition : {3, 4}) {
    for (const bool compressed : {false, true}) {
      SCOPED_TRACE(cformat("edition %d, compressed %d", edition, compressed));
      Message m;
      m.edition = edition;
      m.compressed = compressed;
      m.subsets.resize(2);
      m.subsets[0].levels = six_levels(0);
      // The second, at 3808, was launched at 23:20: section 1's 12 UTC is too far from it, and
      // its nominal hour is the synoptic hour nearest to 00:05 of the next day.
      m.subsets[1].block = 3;
      m.subsets[1].station = 808;
      m.subsets[1].launch[3] = 23;
      m.subsets[1].launch[4] = 20;
      m.subsets[1].levels = six_levels(20);
      TempDir archive;
      const Imported result = import(encode(m), archive);
      EXPECT_EQ(result.messages, "");
      EXPECT_EQ(result.status, 0) << result.summary;

      PackSounding denver = bare_sounding(23062, 1999, 3, 4, 12);
      denver.release_time = 1115;
      denver.levels = six_stored(0);
      const auto records = records_in(archive.path(), 1999, 23062);
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0].bytes, build_record(denver));
      PackSounding camborne = bare_sounding(903808, 1999, 3, 5, 0);
      camborne.release_time = 2320;
      camborne.levels = six_stored(2);
      const auto other = records_in(archive.path(), 1999, 903808);
      ASSERT_EQ(other.size(), 1u);
      EXPECT_EQ(other[0].bytes, build_record(camborne));
    }
  }
}

TEST(Bufr, SkipsOtherCategoriesAndDamagedMessagesNamingTheirOrdinal) {
  Message good;
  good.subsets.resize(1);
  good.subsets[0].levels = six_levels(0);
  Message synop = good;
  synop.category = 0;
  Message later = good;
  later.subsets[0].launch[2] = later.typical[2] = 5;
  Message shipborne = good;
  shipborne.subsets[0].block = shipborne.subsets[0].station = MISS;
  const std::string cut = encode(good).substr(0, 150);
  std::string unreadable = encode(good);
  unreadable.replace(22, 30, 30, '\xff');  // section 1 and 3 overwritten, framing intact
  const std::string input = "junk" + encode(synop) + cut + encode(later) + unreadable +
                            encode(shipborne) + encode(synop) + std::string("BUFR\0\0\x20\x02", 8);
  TempDir archive;
  const Imported result = import(input, archive);
  EXPECT_EQ(result.status, 1);
  for (const char* expected :
       {"obs.bufr:2: BUFR message does not end in 7777", "obs.bufr:4: BUFR message",
        "obs.bufr:5: no WMO block and station number", "obs.bufr:7: BUFR message edition 2",
        "obs.bufr:1: 2 BUFR messages of other data categories"}) {
    EXPECT_NE(result.messages.find(expected), std::string::npos) << expected << "\n"
                                                                 << result.messages;
  }
  EXPECT_NE(result.summary.find("1 sounding imported"), std::string::npos) << result.summary;
  EXPECT_EQ(records_in(archive.path(), 1999, 23062).size(), 1u);
}

// The levels of the one record of Denver in 1999.
std::vector<SoundingLevel> stored_levels(const TempDir& archive) {
  const auto records = records_in(archive.path(), 1999, 23062);
  if (records.size() != 1) return {};
  BitFieldCodec codec;
  codec_init(codec);
  codec.place(records[0].bytes.data(), records[0].bytes.size());
  Sounding sounding;
  if (!decode_sounding(codec, sounding)) return {};
  return {sounding.levels.begin(), sounding.levels.begin() + sounding.level_count};
}

TEST(Bufr, HighResolutionAscentIsThinnedKeepingTheShapeOfItsProfiles) {
  // Five thousand levels every 2 hPa or so: temperature falling evenly but for an inversion
  // whose top is level 1500, a dew point that drops at level 3000 and standard levels flagged.
  constexpr int COUNT = 5000;
  Message m;
  m.subsets.resize(1);
  for (int i = 0; i < COUNT; ++i) {
    const double pressure = std::round(100000.0 * std::exp(-i / 1700.0) / 10) * 10;
    const double t = 290 - i * 0.012 + (i >= 1400 && i <= 1600 ? 3 - std::abs(i - 1500) * 0.03 : 0);
    const double td = i < 3000 ? t - 3 : t - 25;
    const bool standard = i == 276 || i == 1178;  // 850 and 500 hPa
    m.subsets[0].levels.push_back({i == 0     ? SURFACE
                                   : standard ? STANDARD
                                              : 0,
                                   i == 276    ? 85000
                                   : i == 1178 ? 50000
                                               : pressure,
                                   100.0 + i * 3, t, td, 270, 10 + i * 0.004});
  }
  TempDir archive;
  const Imported result = import(encode(m), archive);
  EXPECT_EQ(result.status, 0) << result.messages;
  EXPECT_NE(result.summary.find("1 sounding thinned to 350 levels"), std::string::npos)
      << result.summary;
  const std::vector<SoundingLevel> levels = stored_levels(archive);
  ASSERT_EQ(levels.size(), 350u);
  EXPECT_EQ(levels.front().kind, wxfetch::SURFACE);
  int standard = 0;
  bool inversion_top = false, last_moist = false, first_dry = false;
  for (const SoundingLevel& level : levels) {
    standard += level.kind == wxfetch::MANDATORY;
    inversion_top = inversion_top || level.height == 100 + 1500 * 3;
    last_moist = last_moist || level.height == 100 + 2999 * 3;
    first_dry = first_dry || level.height == 100 + 3000 * 3;
  }
  EXPECT_EQ(standard, 2);
  EXPECT_TRUE(inversion_top);
  EXPECT_TRUE(last_moist && first_dry);
}

}  // namespace
}  // namespace wxfetch::pack

#endif
