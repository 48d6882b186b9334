#include "output/bufr_writer.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <string_view>

#include "output/level_selection.h"
#include "output/output_files.h"
#include "output/output_stream.h"

#ifdef WXFETCH_HAVE_ECCODES

#include <eccodes.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "base/text.h"

namespace wxfetch {

namespace {

struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};
using Handle = std::unique_ptr<codes_handle, HandleDeleter>;

// Fails with ecCodes' reason unless `error` is 0.
void check(int error, const char* what) {
  if (error != 0) {
    throw std::runtime_error(std::string("BUFR: cannot set ") + what + ": " +
                             codes_get_error_message(error));
  }
}

void set_long(codes_handle* handle, const char* key, long value) {
  check(codes_set_long(handle, key, value), key);
}

// The edition 4 sample every message is cloned from, read once.
codes_handle* sample() {
  static const Handle handle(codes_bufr_handle_new_from_samples(nullptr, "BUFR4"));
  if (!handle) throw std::runtime_error("BUFR: ecCodes has no BUFR4 sample");
  return handle.get();
}

// An archive value as a BUFR value (value * scale + offset), missing when absent or outside
// [low, high], the range of its element in the template.
double element(int32_t value, double scale, double offset, double low, double high) {
  if (value == MISSING_VALUE) return CODES_MISSING_DOUBLE;
  const double v = value * scale + offset;
  return std::isfinite(v) && v >= low && v <= high ? v : CODES_MISSING_DOUBLE;
}

// The extended vertical sounding significance (0 08 042) of a level kind: the surface, standard
// level, tropopause, maximum wind, significant temperature and significant wind bits.
long significance_of(int32_t kind) {
  constexpr long BIT1 = 1L << 17;  // bit 1 of 18, counted from the left
  switch (kind) {
    case SURFACE:
      return BIT1;
    case MANDATORY:
      return BIT1 >> 1;
    case TROPOPAUSE:
      return BIT1 >> 2;
    case MAX_WIND:
      return BIT1 >> 3;
    case SIGNIFICANT:
      return BIT1 >> 4;
    case WIND:
      return BIT1 >> 6;
  }
  return 0;
}

// The per-level arrays of the message.
struct LevelArrays {
  std::vector<long> significance;
  std::vector<double> pressure, height, temperature, dew_point, direction, speed;
};

LevelArrays level_arrays(const Sounding& sounding, uint32_t kinds) {
  LevelArrays a;
  const int32_t count = std::clamp<int32_t>(sounding.level_count, 0, MAX_LEVELS);
  for (int32_t i = 0; i < count; ++i) {
    const SoundingLevel& level = sounding.levels[static_cast<size_t>(i)];
    if (!is_selected(level.kind, kinds)) continue;
    a.significance.push_back(significance_of(level.kind));
    // Ranges of 0 07 004, 0 10 009, 0 12 101/103, 0 11 001 and 0 11 002 in the template.
    a.pressure.push_back(element(level.pressure, 10, 0, 0, 163820));
    a.height.push_back(element(level.height, 1, 0, -1000, 130070));
    a.temperature.push_back(element(level.temperature, 0.1, 273.15, 0, 655.34));
    a.dew_point.push_back(element(level.dew_point, 0.1, 273.15, 0, 655.34));
    a.direction.push_back(element(level.wind_direction, 1, 0, 0, 360));
    a.speed.push_back(element(level.wind_speed, 0.1, 0, 0, 409.4));
  }
  return a;
}

void set_levels(codes_handle* handle, const LevelArrays& a) {
  const size_t n = a.pressure.size();
  check(codes_set_long_array(handle, "extendedVerticalSoundingSignificance", a.significance.data(),
                             n),
        "extendedVerticalSoundingSignificance");
  const std::pair<const char*, const std::vector<double>*> arrays[] = {
      {"pressure", &a.pressure},          {"nonCoordinateGeopotentialHeight", &a.height},
      {"airTemperature", &a.temperature}, {"dewpointTemperature", &a.dew_point},
      {"windDirection", &a.direction},    {"windSpeed", &a.speed}};
  for (const auto& [key, values] : arrays) {
    check(codes_set_double_array(handle, key, values->data(), n), key);
  }
}

// Section 1: the originating centre, data category 2 (radiosonde, fixed land station: 4) and the
// nominal date and hour as the typical time.
void set_header(codes_handle* handle, const Sounding& s, int centre) {
  set_long(handle, "bufrHeaderCentre", centre);
  set_long(handle, "bufrHeaderSubCentre", 0);
  set_long(handle, "dataCategory", 2);
  set_long(handle, "internationalDataSubCategory", 4);
  set_long(handle, "dataSubCategory", 0);
  const long typical[6] = {s.year, s.month, s.day, s.hour, 0, 0};
  const char* keys[6] = {"typicalYear", "typicalMonth",  "typicalDay",
                         "typicalHour", "typicalMinute", "typicalSecond"};
  for (int i = 0; i < 6; ++i) set_long(handle, keys[i], typical[i]);
  set_long(handle, "numberOfSubsets", 1);
  set_long(handle, "observedData", 1);
  set_long(handle, "compressedData", 0);
}

// The launch time (0 08 021 = 18) from the release time: on the nominal day, or the day before
// or after when the release time lies more than 12 hours from the nominal hour. Without a
// release time the date alone, hour and minute missing.
void set_launch(codes_handle* handle, const Sounding& s) {
  using namespace std::chrono;
  set_long(handle, "timeSignificance", 18);
  const int32_t release = s.release_time;
  const bool known =
      release != MISSING_VALUE && release >= 0 && release / 100 < 24 && release % 100 < 60;
  sys_days day = sys_days(year_month_day(year(s.year), month(static_cast<unsigned>(s.month)),
                                         std::chrono::day(static_cast<unsigned>(s.day))));
  if (known) {
    const int offset = release / 100 * 60 + release % 100 - s.hour * 60;
    if (offset > 12 * 60) day -= days(1);
    if (offset < -12 * 60) day += days(1);
  }
  const year_month_day date(day);
  set_long(handle, "year", static_cast<int>(date.year()));
  set_long(handle, "month", static_cast<unsigned>(date.month()));
  set_long(handle, "day", static_cast<unsigned>(date.day()));
  set_long(handle, "hour", known ? release / 100 : CODES_MISSING_LONG);
  set_long(handle, "minute", known ? release % 100 : CODES_MISSING_LONG);
  set_long(handle, "second", known ? 0 : CODES_MISSING_LONG);
}

// The station: WMO block and number, sonde type, position and elevation.
void set_station(codes_handle* handle, const Sounding& s, const StationEntry& station) {
  const bool wmo = station.wmo > 0 && station.wmo < 100000;
  set_long(handle, "blockNumber", wmo ? station.wmo / 1000 : CODES_MISSING_LONG);
  set_long(handle, "stationNumber", wmo ? station.wmo % 1000 : CODES_MISSING_LONG);
  const bool sonde = s.sonde_type != MISSING_VALUE && s.sonde_type >= 0 && s.sonde_type < 255;
  set_long(handle, "radiosondeType", sonde ? s.sonde_type : CODES_MISSING_LONG);
  // Hundredths of a degree, as the station tables give them.
  check(codes_set_double(handle, "latitude", std::round(station.latitude * 100.0) / 100),
        "latitude");
  check(codes_set_double(handle, "longitude", std::round(station.longitude * 100.0) / 100),
        "longitude");
  check(codes_set_double(handle, "heightOfStationGroundAboveMeanSeaLevel", station.elevation),
        "heightOfStationGroundAboveMeanSeaLevel");
}

}  // namespace

std::vector<uint8_t> encode_bufr_sounding(const Sounding& sounding, const StationEntry& station,
                                          uint32_t kinds, int centre) {
  const Handle handle(codes_handle_clone(sample()));
  if (!handle) throw std::runtime_error("BUFR: ecCodes cannot make a message");
  codes_handle* h = handle.get();
  const LevelArrays levels = level_arrays(sounding, kinds);
  set_header(h, sounding, centre);
  // The replications (the levels, no wind shear) come before the template that uses them.
  const long level_count = static_cast<long>(levels.pressure.size());
  const long no_shear = 0;
  const long descriptor = 309052;
  check(codes_set_long_array(h, "inputExtendedDelayedDescriptorReplicationFactor", &level_count, 1),
        "the level count");
  check(codes_set_long_array(h, "inputDelayedDescriptorReplicationFactor", &no_shear, 1),
        "the wind-shear count");
  check(codes_set_long_array(h, "unexpandedDescriptors", &descriptor, 1), "the template");
  set_station(h, sounding, station);
  set_launch(h, sounding);
  set_levels(h, levels);
  set_long(h, "pack", 1);
  const void* message = nullptr;
  size_t size = 0;
  check(codes_get_message(h, &message, &size), "the message");
  const auto* bytes = static_cast<const uint8_t*>(message);
  return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace wxfetch

#else

namespace wxfetch {

std::vector<uint8_t> encode_bufr_sounding(const Sounding&, const StationEntry&, uint32_t, int) {
  throw std::runtime_error("this build has no BUFR");
}

}  // namespace wxfetch

#endif

namespace wxfetch {

void BufrWriter::begin(const AccessRequest& request) {
  files_.start_run();
  kinds_ = selected_kinds(request.levels);
  sort_ = request.sort_order;
  one_file_ = request.one_file();
  begin_date_ = request.begin_value;
}

void BufrWriter::start_file(int32_t date_hour, const StationRow& station) {
  assert(station.entry != nullptr);
  std::string name =
      output_file_name(OutputFormat::KVT, sort_, one_file_, date_hour, begin_date_, *station.entry);
  name.replace(name.size() - 4, 4, ".bufr");  // the KVT name ends in ".txt"
  files_.open_file(name);
}

void BufrWriter::write(const Sounding& sounding, const StationRow& station) {
  assert(station.entry != nullptr);
  const int32_t count = std::clamp<int32_t>(sounding.level_count, 0, MAX_LEVELS);
  bool any = false;
  for (int32_t i = 0; i < count && !any; ++i) {
    any = is_selected(sounding.levels[static_cast<size_t>(i)].kind, kinds_);
  }
  if (!any) return;
  const std::vector<uint8_t> message =
      encode_bufr_sounding(sounding, *station.entry, kinds_, centre_);
  OutputStream& out = files_.stream();
  out.write(std::string_view(reinterpret_cast<const char*>(message.data()), message.size()));
  if (out.error()) files_.check();
}

void BufrWriter::end() {
  files_.close_file();
}

}  // namespace wxfetch
