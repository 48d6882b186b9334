// The FAA604 coded format: a coded upper-air message after the WMO TEMP code, with part A
// ("TTAA": surface, standard levels, tropopause, maximum wind), part B ("TTBB": significant
// levels and the 31313 section) and the wind part ("PPBB": winds at heights in feet).
#pragma once

#include <cstdint>
#include <string>

namespace wxfetch {

struct ProgramContext;

constexpr double FEET_FACTOR = 3.29;

// Puts "0" characters in front of `text` until it is `width` long; longer texts stay as they are
// ("-5" padded to 3 gives "0-5").
void pad_digits(int width, std::string& text);

// Writes ctx.sounding to ctx.output_stream as an FAA604 message (part B when level_type is not
// 1, the wind part when it is 0), paging the screen after every line but the closing empty line.
void write_faa604_sounding(ProgramContext& ctx, int16_t level_type, int16_t station_row);

}  // namespace wxfetch
