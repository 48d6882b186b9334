#include "station_year_mutator.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

#include "database/archive_writer.h"
#include "database/record_reader.h"

namespace wxfetch::fuzz {

namespace {

constexpr char HOLE_MAGIC[8] = {'w', 'x', 'H', 'O', 'L', 'E', '\x01', '\x02'};
constexpr size_t TRAILER_BYTES = sizeof HOLE_MAGIC + 8;
constexpr int DIRECTORY_DAYS = 12 * 31;

uint32_t get32(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Where the directory of a file lies: each day's count byte, each record entry (hour byte and
// 4-byte offset) and the first byte after the directory, as far as the file holds them.
struct Directory {
  std::vector<size_t> counts;
  std::vector<size_t> entries;
  size_t end = FILE_HEADER_BYTES;
};

Directory find_directory(const std::vector<uint8_t>& file) {
  Directory directory;
  size_t at = FILE_HEADER_BYTES;
  for (int day = 0; day < DIRECTORY_DAYS && at + 5 <= file.size(); ++day) {
    directory.counts.push_back(at);
    const size_t count = file[at];
    for (size_t i = 0; i < count && at + 10 + 5 * i <= file.size(); ++i) {
      directory.entries.push_back(at + 5 + 5 * i);
    }
    at += 5 + 5 * count;
  }
  directory.end = std::min(at, file.size());
  return directory;
}

// A valid file of WBAN 23062 for 1998 from the archive builder: soundings on random days and
// hours with 5 to 80 levels each, as many as fit in `max_bytes`.
std::vector<uint8_t> built_file(std::minstd_rand& random, size_t max_bytes) {
  const size_t wanted = 1 + random() % 900;
  const int most_levels = 5 + static_cast<int>(random() % 76);
  std::vector<pack::PackSounding> soundings;
  size_t bytes = FILE_HEADER_BYTES + 5 * DIRECTORY_DAYS;
  while (soundings.size() < wanted) {
    pack::PackSounding sounding;
    sounding.wban = 23062;
    sounding.year = 1998;
    sounding.month = 1 + static_cast<int>(random() % 12);
    sounding.day = 1 + static_cast<int>(random() % 31);
    sounding.hour = static_cast<int>(random() % 24);
    sounding.release_time = sounding.hour * 100;
    sounding.sonde_type = 51;
    const int levels = 5 + static_cast<int>(random() % static_cast<unsigned>(most_levels - 4));
    for (int i = 0; i < levels; ++i) {
      pack::PackLevel level;
      level.kind = i == 0 ? 9 : 4 + static_cast<int>(random() % 5);
      level.pressure = 10500 - i * (10000 / levels);
      level.height = 100 + 300 * i;
      level.temperature = 250 - 15 * i;
      level.dew_point = 200 - 15 * i;
      level.wind_direction = static_cast<int32_t>(random() % 360);
      level.wind_speed = static_cast<int32_t>(random() % 900);
      sounding.levels.push_back(level);
    }
    bytes += 5 + 24 + static_cast<size_t>(levels) * 11;
    if (bytes > max_bytes) break;
    soundings.push_back(std::move(sounding));
  }
  try {
    if (!soundings.empty()) return pack::build_station_year_file(soundings);
  } catch (const std::invalid_argument&) {
  }
  return {};
}

// The file position of the byte that `offset` names, or the file's size when it names a byte
// inside the hole or past the end.
size_t position_of(const StationYearInput& input, uint32_t offset) {
  if (offset >= input.hole_at && input.hole_size != 0) {
    if (offset - input.hole_at < input.hole_size) return input.bytes.size();
    offset -= input.hole_size;
  }
  return std::min<size_t>(offset, input.bytes.size());
}

// An offset for a directory entry: one that lands on a record, near a 2 GiB or 4 GiB edge, at
// the end of the file, or anywhere.
uint32_t chosen_offset(std::minstd_rand& random, const StationYearInput& input, uint32_t now) {
  const uint32_t size = static_cast<uint32_t>(input.bytes.size()) + input.hole_size;
  const uint32_t nudge = random() % 64;
  switch (random() % 6) {
    case 0:
      return 0x7FFFFFFFu - nudge;
    case 1:
      return 0xFFFFFFFFu - nudge;
    case 2:
      return size - 32 + nudge;
    case 3:
      return now + nudge - 32;
    case 4:
      return static_cast<uint32_t>(random()) << 1 ^ static_cast<uint32_t>(random());
    default:
      return static_cast<uint32_t>(random() % (size + 1));
  }
}

// Changes one record that a directory entry names: its 24-bit length, its hour, or one byte.
void edit_record(std::minstd_rand& random, StationYearInput& input, size_t entry) {
  const size_t at = position_of(input, get32(&input.bytes[entry + 1]));
  if (at + 24 > input.bytes.size()) return;
  uint8_t* record = &input.bytes[at];
  switch (random() % 3) {
    case 0: {
      const uint32_t lengths[] = {0, 1, 7, 23, 24, 0xFFFFFF, static_cast<uint32_t>(random())};
      uint32_t length = lengths[random() % 7] & 0xFFFFFF;
      if (random() % 2 == 0) length = (record_length(record) + random() % 9 - 4) & 0xFFFFFF;
      record[4] = static_cast<uint8_t>(length >> 16);
      record[5] = static_cast<uint8_t>(length >> 8);
      record[6] = static_cast<uint8_t>(length);
      break;
    }
    case 1:
      record[23] = static_cast<uint8_t>(random() % 32);
      break;
    default:
      input.bytes[at + random() % std::min<size_t>(input.bytes.size() - at, 4096)] ^=
          static_cast<uint8_t>(1 + random() % 255);
  }
}

// Puts a far hole before the records (or takes it away) and moves the directory's offsets
// with them.
void move_records(std::minstd_rand& random, StationYearInput& input, const Directory& directory) {
  uint32_t shift = 0;
  if (input.hole_size != 0) {
    shift = 0u - input.hole_size;
    input.hole_size = 0;
  } else {
    const uint32_t size = static_cast<uint32_t>(input.bytes.size());
    const uint32_t edges[] = {0x80000000u - size / 2, 0xFFFFFFFFu - size, 0x7FFFFFFFu,
                              static_cast<uint32_t>(random()) % 0x100000u};
    input.hole_at = static_cast<uint32_t>(directory.end);
    input.hole_size = edges[random() % 4] + random() % 512;
    shift = input.hole_size;
  }
  for (size_t entry : directory.entries) {
    const uint32_t offset = get32(&input.bytes[entry + 1]);
    if (offset >= input.hole_at) put32(&input.bytes[entry + 1], offset + shift);
  }
}

void mutate_structure(std::minstd_rand& random, StationYearInput& input, size_t max_bytes) {
  const Directory directory = find_directory(input.bytes);
  const unsigned choice = random() % 8;
  if (choice == 0 || directory.entries.empty()) {
    input = StationYearInput{built_file(random, max_bytes)};
    return;
  }
  const size_t entry = directory.entries[random() % directory.entries.size()];
  switch (choice) {
    case 1:
      input.bytes[directory.counts[random() % directory.counts.size()]] =
          static_cast<uint8_t>(random() % 4 == 0 ? random() % 256 : random() % 4);
      break;
    case 2:
      input.bytes[entry] = static_cast<uint8_t>(random() % 32);
      break;
    case 3:
      put32(&input.bytes[entry + 1], chosen_offset(random, input, get32(&input.bytes[entry + 1])));
      break;
    case 4:
    case 5:
      edit_record(random, input, entry);
      break;
    case 6: {
      // A cut in the first bytes of a record, or anywhere after the directory.
      size_t cut = position_of(input, get32(&input.bytes[entry + 1])) + random() % 30;
      if (random() % 2 == 0) cut = directory.end + random() % (input.bytes.size() + 1);
      input.bytes.resize(std::min(cut, input.bytes.size()));
      input.hole_at = std::min<uint32_t>(input.hole_at, static_cast<uint32_t>(input.bytes.size()));
      break;
    }
    default:
      move_records(random, input, directory);
  }
}

}  // namespace

StationYearInput read_station_year_input(const uint8_t* data, size_t size) {
  StationYearInput input;
  if (size >= TRAILER_BYTES &&
      std::memcmp(data + size - TRAILER_BYTES, HOLE_MAGIC, sizeof HOLE_MAGIC) == 0) {
    size -= TRAILER_BYTES;
    input.hole_at = std::min<uint32_t>(get32(data + size + 8), static_cast<uint32_t>(size));
    input.hole_size = get32(data + size + 12);
  }
  input.bytes.assign(data, data + size);
  return input;
}

std::vector<uint8_t> station_year_input_bytes(const StationYearInput& input) {
  std::vector<uint8_t> bytes = input.bytes;
  if (input.hole_size != 0) {
    bytes.insert(bytes.end(), HOLE_MAGIC, HOLE_MAGIC + sizeof HOLE_MAGIC);
    bytes.resize(bytes.size() + 8);
    put32(&bytes[bytes.size() - 8], input.hole_at);
    put32(&bytes[bytes.size() - 4], input.hole_size);
  }
  return bytes;
}

void write_station_year_file(const StationYearInput& input, const std::filesystem::path& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  const auto* bytes = reinterpret_cast<const char*>(input.bytes.data());
  const size_t hole_at = std::min<size_t>(input.hole_at, input.bytes.size());
  file.write(bytes, static_cast<std::streamsize>(hole_at));
  if (input.hole_size != 0) file.seekp(static_cast<std::streamoff>(hole_at) + input.hole_size);
  file.write(bytes + hole_at, static_cast<std::streamsize>(input.bytes.size() - hole_at));
}

size_t mutate_station_year(uint8_t* data, size_t size, size_t max_size, unsigned seed) {
  std::minstd_rand random(seed);
  if (max_size < TRAILER_BYTES + FILE_HEADER_BYTES) return size;
  StationYearInput input = read_station_year_input(data, size);
  const size_t max_bytes = max_size - TRAILER_BYTES;
  const int steps = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < steps; ++i) mutate_structure(random, input, max_bytes);
  if (input.bytes.size() > max_bytes) input.bytes.resize(max_bytes);
  input.hole_at = std::min<uint32_t>(input.hole_at, static_cast<uint32_t>(input.bytes.size()));
  const std::vector<uint8_t> bytes = station_year_input_bytes(input);
  std::memcpy(data, bytes.data(), bytes.size());
  return bytes.size();
}

}  // namespace wxfetch::fuzz
