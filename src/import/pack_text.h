// The plain-text description of soundings that wxpack reads: SOUNDING lines, each followed by its
// LEVEL lines (the format is described in wxpack's manual page and in commands/wxpack.cpp).
#pragma once

#include <iosfwd>
#include <vector>

#include "database/archive_writer.h"

namespace wxfetch {
namespace pack {

// Reads soundings from the plain-text description that the wxpack program takes (described in
// its manual page): SOUNDING lines, each followed by its LEVEL lines; blank lines and lines
// beginning with '#' are skipped. A level kind outside 4..9 is a fault. Throws
// std::invalid_argument naming the line of the first fault; values are range-checked later, by
// build_record. `sounding_lines`, when given, receives the line of each SOUNDING line.
std::vector<PackSounding> read_pack_text(std::istream& text,
                                         std::vector<int>* sounding_lines = nullptr);

}  // namespace pack
}  // namespace wxfetch
