// The hodograph of a sounding as SVG: the wind vectors' tips from the ground to 9 km joined in
// layers coloured 0-1, 1-3, 3-6 and 6-9 km, rings of equal speed, and the Bunkers right- and
// left-moving storm motions marked.
#pragma once

#include <string>

#include "analysis/indices.h"

namespace wxfetch {

constexpr int HODOGRAPH_SIZE = 320;

// A complete <svg> element of HODOGRAPH_SIZE square (no XML declaration).
std::string hodograph_svg(const SoundingAnalysis& analysis);

}  // namespace wxfetch
