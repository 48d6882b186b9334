// The FAA604 coded format: a coded upper-air message after the WMO TEMP code, with part A
// ("TTAA": surface, standard levels, tropopause, maximum wind), part B ("TTBB": significant
// levels and the 31313 section) and the wind part ("PPBB": winds at heights in feet).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "output/text_writer.h"
#include "records/sounding.h"

namespace wxfetch {

constexpr double FEET_FACTOR = 3.29;

// Puts "0" characters in front of `text` until it is `width` long; longer texts stay as they are
// ("-5" padded to 3 gives "0-5").
void pad_digits(int width, std::string& text);

// The levels an FAA604 message holds: those up to the last level whose pressure is known and at
// least 100 mb (the coded format ends at 100 mb).
int32_t faa604_level_count(const Sounding& sounding);

// Writes soundings as FAA604 messages: part A, part B unless only mandatory levels are wanted,
// the wind part when all levels are, each line paged on the screen but the closing empty line.
// A sounding whose first level is not the surface gives only the closing empty line. A write
// error reports "Write error: <reason>" and ends the program. Never modifies the sounding.
class Faa604Writer : public TextWriter {
 public:
  // The level selection comes from `request`.
  Faa604Writer(ScreenPager& pager, OutputFiles& files, const AccessRequest& request);

  // Writes the message of the sounding's levels down to 100 mb (faa604_level_count), when more
  // than four of them remain.
  // REQUIRES: station.entry is not null.
  void write(const Sounding& sounding, const StationRow& station) override;
  // Writes the message of every level of the sounding, without the cut and the minimum. A null
  // station.entry gives blank initials and station number 00000.
  void write_message(const Sounding& sounding, const StationRow& station);

 private:
  void write_levels(const Sounding& sounding, int32_t count, const StationRow& station);

  const LevelSelection levels_;
};

// ---- Group encoders; implementation details of the writer, declared here for the tests. ----

// The levels the group encoders read: the sounding (never modified) and the pressure of each of
// its levels in whole mb, truncated (99999 stays 99999 when absent).
struct Faa604Levels {
  const Sounding* sounding = nullptr;
  int32_t count = 0;  // levels in use, 0 .. MAX_LEVELS
  std::array<int32_t, MAX_LEVELS> pressure{};
};

// Fills `levels` from `sounding` (a level count outside 0 .. MAX_LEVELS is clamped into it).
void prepare_faa604_levels(const Sounding& sounding, Faa604Levels& levels);

// Kinds that encode_level_group serves without a level: the 31313 section indicator, the sonde
// type group and the release time group that ends part B.
constexpr int32_t GROUP_31313 = 0;
constexpr int32_t GROUP_SONDE_TYPE = 1;
constexpr int32_t GROUP_RELEASE_TIME = 2;

// Each encoder looks for the first level of `kind` at index `position` or later. When it finds
// one it sets `group` to the group followed by a blank, sets `position` to the level's index and
// returns true. Otherwise (and when a mandatory level fails the check against the standard
// pressure of slot `code`) it returns false with `group` empty and `position` unchanged. `code`
// is the part A slot code (00, 92, 85 ... 10, 99) or the part B level number (00, 11 ... 99).

// The level identifier group: code (or 88 for a tropopause, 77 for a maximum wind) and the
// pressure's last three digits; "/////" for an absent pressure. The GROUP_ kinds never match a
// level and always succeed: "31313 ", the sonde type as "tttt// " and the release time as
// "hhmm/=" (no blank).
bool encode_level_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                        std::string& group);
// The standard-level height group of part A: prefix (00, or the level's pressure / 10) and
// three digits of the height.
bool encode_height_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                         std::string& group);
// The temperature and dew-point depression group TTTDD.
bool encode_temperature_group(const Faa604Levels& levels, int32_t code, int32_t& position,
                              int32_t kind, std::string& group);
// The wind group dddff, speed in knots.
bool encode_wind_group(const Faa604Levels& levels, int32_t code, int32_t& position, int32_t kind,
                       std::string& group);

}  // namespace wxfetch
