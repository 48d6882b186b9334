// The drivers target's inputs and their structure-aware mutation. An input is the bytes of a
// station-year file, optionally followed by a hole trailer that asks for a run of zero bytes
// (written as a hole of a sparse file) inside it, so that records can lie past 2 GiB or 4 GiB
// in a file whose input stays small.
//
// The mutator edits what a station-year file is made of: it builds valid files of hundreds of
// soundings with the archive builder, changes directory counts, hours and offsets, record
// lengths and hours, cuts the file, and moves the records behind a far hole. Only looks at the
// `size` bytes given; never writes more than `max_size`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace wxfetch::fuzz {

// A station-year input: the file's bytes and the hole inserted into them (none when
// hole_size is 0): the bytes from hole_at on follow hole_size zero bytes.
struct StationYearInput {
  std::vector<uint8_t> bytes;
  uint32_t hole_at = 0;
  uint32_t hole_size = 0;
};

// Reads an input: a trailer, when present, gives the hole (hole_at held within the bytes).
StationYearInput read_station_year_input(const uint8_t* data, size_t size);
// The input's bytes, with a trailer when it has a hole.
std::vector<uint8_t> station_year_input_bytes(const StationYearInput& input);

// Writes the file the input describes to `path` (the hole as a sparse gap).
void write_station_year_file(const StationYearInput& input, const std::filesystem::path& path);

// One structure-aware mutation of the input in data[0, size); returns the new size (at most
// max_size).
size_t mutate_station_year(uint8_t* data, size_t size, size_t max_size, unsigned seed);

}  // namespace wxfetch::fuzz
