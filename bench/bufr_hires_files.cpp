// Writes high-resolution radiosonde BUFR for bench/bufr.sh: MESSAGES edition 4 messages of one
// subset (template 3 09 052, as the national high-resolution reports use it), each an ascent of
// LEVELS levels every couple of hPa, the surface and the standard levels flagged.
//
//   bufr_hires_files FILE MESSAGES LEVELS
#include <eccodes.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double SURFACE = 1 << 17, STANDARD = 1 << 16;

bool set_array(codes_handle* h, const char* key, const std::vector<double>& values) {
  return codes_set_double_array(h, key, values.data(), values.size()) == 0;
}

// The levels of ascent `n`: pressure falling exponentially from 840 hPa, temperature and
// dew point falling with a ripple, a wind that veers and strengthens.
bool set_levels(codes_handle* h, int n, int count) {
  std::vector<double> flags, pressure, height, temperature, dew_point, direction, speed;
  for (int i = 0; i < count; ++i) {
    const double p = std::round(84000.0 * std::exp(-i * 3.4 / count) / 10) * 10;
    flags.push_back(i == 0 ? SURFACE : std::fmod(p, 5000) == 0 ? STANDARD : 0);
    pressure.push_back(p);
    height.push_back(1611 + i * 15000.0 / count);
    temperature.push_back(285 - i * 70.0 / count + 0.3 * std::sin(i * 0.05 + n));
    dew_point.push_back(temperature.back() - 3 - i * 20.0 / count);
    direction.push_back(std::fmod(200 + i * 90.0 / count + n, 360));
    speed.push_back(5 + i * 40.0 / count);
  }
  return set_array(h, "extendedVerticalSoundingSignificance", flags) &&
         set_array(h, "pressure", pressure) &&
         set_array(h, "nonCoordinateGeopotentialHeight", height) &&
         set_array(h, "airTemperature", temperature) &&
         set_array(h, "dewpointTemperature", dew_point) &&
         set_array(h, "windDirection", direction) && set_array(h, "windSpeed", speed);
}

// The message of ascent `n`: a station of block 72 and a launch on day n of 2023, 11:15 UTC.
bool write_message(std::FILE* out, int n, int count) {
  codes_handle* h = codes_bufr_handle_new_from_samples(nullptr, "BUFR4");
  if (h == nullptr) return false;
  const long day = 1 + n % 28, month = 1 + n / 28 % 12;
  struct KeyValue {
    const char* key;
    long value;
  };
  // The section 1 keys, then (once the descriptors are expanded) the subset's header.
  const KeyValue header[] = {{"dataCategory", 2}, {"typicalYear", 2023}, {"typicalMonth", month},
                             {"typicalDay", day}, {"typicalHour", 12},   {"numberOfSubsets", 1},
                             {"observedData", 1}, {"compressedData", 0}};
  const KeyValue subset[] = {{"blockNumber", 72}, {"stationNumber", 469}, {"year", 2023},
                             {"month", month},    {"day", day},           {"hour", 11},
                             {"minute", 15}};
  for (const KeyValue& k : header) codes_set_long(h, k.key, k.value);
  const long levels = count, shear = 0, descriptor = 309052;
  codes_set_long_array(h, "inputExtendedDelayedDescriptorReplicationFactor", &levels, 1);
  codes_set_long_array(h, "inputDelayedDescriptorReplicationFactor", &shear, 1);
  codes_set_long_array(h, "unexpandedDescriptors", &descriptor, 1);
  for (const KeyValue& k : subset) codes_set_long(h, k.key, k.value);
  codes_set_double(h, "heightOfStationGroundAboveMeanSeaLevel", 1611);
  const bool ok = set_levels(h, n, count) && codes_set_long(h, "pack", 1) == 0;
  const void* bytes = nullptr;
  size_t size = 0;
  const bool written =
      ok && codes_get_message(h, &bytes, &size) == 0 && std::fwrite(bytes, 1, size, out) == size;
  codes_handle_delete(h);
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bufr_hires_files FILE MESSAGES LEVELS\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  const int messages = std::atoi(argv[2]), levels = std::atoi(argv[3]);
  for (int n = 0; out != nullptr && n < messages; ++n) {
    if (!write_message(out, n, levels)) {
      std::fprintf(stderr, "bufr_hires_files: message %d not written\n", n + 1);
      return 1;
    }
  }
  if (out == nullptr || std::fclose(out) != 0) return 1;
  std::printf("%d messages, %ld levels\n", messages, static_cast<long>(messages) * levels);
  return 0;
}
