// Synthetic IGRA 2 soundings for the import benchmarks: a header line and LEVELS level lines of
// a typical mid-latitude ascent (surface, then a standard level every tenth line), in the
// format's fixed columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"

namespace wxfetch::bench {

// Appends one sounding of station `id` (11 characters) to `text`; returns its level count. The
// values wander a little from level to level (a hash of the date and level), so that zipped
// files compress about as real ones do.
inline long append_igra2_sounding(std::string& text, std::string_view id, int year, int month,
                                  int day, int hour, int levels) {
  uint32_t noise = static_cast<uint32_t>(((year * 13 + month) * 32 + day) * 24 + hour);
  const auto jitter = [&noise](int range) {
    noise = noise * 1664525u + 1013904223u;
    return static_cast<int>((noise >> 16) % static_cast<uint32_t>(2 * range + 1)) - range;
  };
  text += cformat("#%.11s %4d %02d %02d %02d %04d %4d ncdc-nws ncdc-gts  397675 -1048694\n",
                  id.data(), year, month, day, hour, hour == 0 ? 2315 : 1115, levels);
  for (int i = 0; i < levels; ++i) {
    const int press = 84000 - i * 650 * 120 / (levels > 0 ? levels : 1);
    text += cformat("%s %5d %6d %5d %5d %5d %5d %5d %5d\n",
                    i == 0        ? "21"
                    : i % 10 == 0 ? "10"
                                  : "20",
                    i * 20 + jitter(3), press + jitter(40), 1611 + i * 140 + jitter(15),
                    150 - i * 6 + jitter(12), -9999, 30 + i % 40 + jitter(8),
                    (200 + i + jitter(20) + 360) % 360, 50 + i + jitter(15));
  }
  return levels;
}

}  // namespace wxfetch::bench
