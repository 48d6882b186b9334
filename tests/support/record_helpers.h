// Test support: sounding records to feed the decoder, built from tagged levels.
#pragma once

#include <cstdint>
#include <vector>

#include "database/archive_writer.h"

namespace wxfetch::testing {

// A level whose temperature tags it, so that the tests can tell which levels the clean-up
// kept; `missing` of its other values are absent.
pack::PackLevel tagged(int32_t kind, int32_t pressure, int32_t tag, int missing = 0);

// A sounding of 15 June 1999, 12 UTC, release time 1105, sonde type 51, with `levels`.
pack::PackSounding sounding_with(std::vector<pack::PackLevel> levels);

// `count` levels with pressures falling from 1000 mb in `step` steps (tenths of mb), surface
// first.
std::vector<pack::PackLevel> falling_levels(int count, int32_t step = 100);

}  // namespace wxfetch::testing
