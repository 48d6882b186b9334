#include "database/archive_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/output_file.h"
#include "base/text.h"
#include "database/archive_lock.h"
#include "database/archive_names.h"
#include "database/year_files.h"

namespace wxfetch {
namespace pack {

namespace {

// Widths of the data header and level fields.
constexpr int RELEASE_TIME_BITS = 12;
constexpr int SONDE_TYPE_BITS = 4;
constexpr int INDICATOR_A_BITS = 3;
constexpr int REFERENCE_BITS = 8;
constexpr int INDICATOR_B_BITS = 4;
constexpr int HEADER_UNUSED_BITS = 17;
constexpr int PRESSURE_BITS = 14;
constexpr int KIND_BITS = 7;
constexpr int HEIGHT_BITS = 17;
constexpr int TEMPERATURE_BITS = 12;
constexpr int DIRECTION_BITS = 9;
constexpr int SPEED_BITS = 12;

constexpr int32_t TEMPERATURE_REFERENCE = 2731;  // tenths of kelvin at 0 degrees C
constexpr int32_t HEIGHT_REFERENCE = 400;        // raw geopotential of 0 m

uint32_t all_ones(int width) {
  return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

// A value of a plain field: ABSENT becomes the missing pattern; anything else must fit below it.
uint32_t field_value(int64_t value, int width, const char* name) {
  if (value == ABSENT) return all_ones(width);
  if (value < 0 || value >= static_cast<int64_t>(all_ones(width))) {
    throw std::invalid_argument(cformat("%s %lld does not fit its %d-bit field", name,
                                        static_cast<long long>(value), width));
  }
  return static_cast<uint32_t>(value);
}

// Temperatures and dew points are stored in tenths of kelvin.
uint32_t temperature_raw(int32_t tenths_celsius, const char* name) {
  if (tenths_celsius == ABSENT) return all_ones(TEMPERATURE_BITS);
  return field_value(int64_t{tenths_celsius} + TEMPERATURE_REFERENCE, TEMPERATURE_BITS, name);
}

uint32_t kind_flag(int32_t kind) {
  switch (kind) {
    case 9:
      return 1;  // surface
    case 4:
      return 2;  // mandatory
    case 7:
      return 4;  // tropopause
    case 8:
      return 8;  // maximum wind
    case 5:
      return 16;  // significant
    case 6:
      return 32;  // wind
    default:
      if (kind < 0 || kind > 127) {
        throw std::invalid_argument(cformat("level kind %d does not fit its 7-bit field", kind));
      }
      return static_cast<uint32_t>(kind);
  }
}

uint32_t reference_raw(int32_t reference) {
  return field_value(reference, REFERENCE_BITS, "level reference");
}

// A level's seven fields go out in two pieces of 50 and 33 bits.
void put_level(BitWriter& writer, const PackLevel& level) {
  uint64_t bits = field_value(level.pressure, PRESSURE_BITS, "pressure");
  bits = bits << KIND_BITS | kind_flag(level.kind);
  bits = bits << HEIGHT_BITS |
         (level.height == ABSENT ? all_ones(HEIGHT_BITS) : height_raw(level.height));
  bits = bits << TEMPERATURE_BITS | temperature_raw(level.temperature, "temperature");
  writer.put(bits, PRESSURE_BITS + KIND_BITS + HEIGHT_BITS + TEMPERATURE_BITS);
  bits = temperature_raw(level.dew_point, "dew point");
  bits =
      bits << DIRECTION_BITS | field_value(level.wind_direction, DIRECTION_BITS, "wind direction");
  bits = bits << SPEED_BITS | field_value(level.wind_speed, SPEED_BITS, "wind speed");
  writer.put(bits, TEMPERATURE_BITS + DIRECTION_BITS + SPEED_BITS);
}

void check_range(int value, int low, int high, const char* name) {
  if (value < low || value > high) {
    throw std::invalid_argument(cformat("%s %d lies outside %d..%d", name, value, low, high));
  }
}

}  // namespace

void BitWriter::put(uint64_t value, int width) {
  if (width < 1 || width > MAX_FIELD_BITS) {
    throw std::invalid_argument(
        cformat("bit field width %d lies outside 1..%d", width, MAX_FIELD_BITS));
  }
  if (value >> width != 0) {
    throw std::invalid_argument(cformat("value %llu does not fit in %d bits",
                                        static_cast<unsigned long long>(value), width));
  }
  // The field spans at most eight bytes from the one the writer stands in: the value, aligned
  // to their end, is or-ed into the partial last byte and the rest appended.
  const int offset = static_cast<int>(bit_count_ % 8);
  const int span = (offset + width + 7) / 8;
  const uint64_t bits = value << (8 * span - offset - width);
  int k = 0;
  if (offset != 0) bytes_.back() |= static_cast<uint8_t>(bits >> (8 * (span - 1 - k++)));
  for (; k < span; ++k) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * (span - 1 - k))));
  bit_count_ += static_cast<size_t>(width);
}

void BitWriter::put_bytes(const std::vector<uint8_t>& bytes) {
  if (bit_count_ % 8 != 0) throw std::logic_error("put_bytes off a byte boundary");
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  bit_count_ += 8 * bytes.size();
}

void BitWriter::align() {
  bit_count_ = 8 * bytes_.size();
}

int32_t height_metres(uint32_t raw) {
  const double metres = (static_cast<double>(raw) - HEIGHT_REFERENCE) * 1.0204081632653061 + 0.5;
  // The conversion truncates toward zero, as the decoder does (raw < 2^17 keeps it in range).
  return static_cast<int32_t>(metres);
}

namespace {

// The raw height field that gives `metres` back, or none. Each raw step is 1/0.98 m, so the raw
// value lies within a step or two of 400 + 0.98 m; the one nearest to it is taken (0 m is both
// 399 and 400, as truncation goes toward zero).
std::optional<uint32_t> raw_height_of(int32_t metres) {
  // Rounded half away from zero, as lround does, without its library call (an import asks
  // this for every level).
  const double exact = HEIGHT_REFERENCE + metres * 0.98;
  const long centre = exact >= 0 ? static_cast<long>(exact + 0.5) : -static_cast<long>(0.5 - exact);
  for (long raw : {centre, centre - 1, centre + 1, centre - 2, centre + 2}) {
    if (raw < 0 || raw >= static_cast<long>(all_ones(HEIGHT_BITS))) continue;
    if (height_metres(static_cast<uint32_t>(raw)) == metres) return static_cast<uint32_t>(raw);
  }
  return std::nullopt;
}

}  // namespace

uint32_t height_raw(int32_t metres) {
  if (const std::optional<uint32_t> raw = raw_height_of(metres)) return *raw;
  throw std::invalid_argument(cformat("height %d m cannot be stored", metres));
}

int32_t storable_height(int32_t metres) {
  // Far outside the field no neighbour can be stored either.
  if (metres >= -1000 && metres <= 200000) {
    for (int32_t candidate : {metres, metres + 1, metres - 1}) {
      if (raw_height_of(candidate)) return candidate;
    }
  }
  throw std::invalid_argument(cformat("no height near %d m can be stored", metres));
}

uint32_t sonde_type_raw(int32_t sonde_type) {
  switch (sonde_type) {
    case ABSENT:
      return 15;
    case 45:
      return 1;
    case 46:
      return 2;
    case 49:
      return 3;
    case 51:
      return 4;
    case 37:
      return 5;
    case 52:
      return 6;
    case 61:
      return 7;
    case 63:
      return 8;
    default:
      if (sonde_type == 0 || (sonde_type >= 9 && sonde_type <= 14)) {
        return static_cast<uint32_t>(sonde_type);
      }
      throw std::invalid_argument(cformat("sonde type %d cannot be stored", sonde_type));
  }
}

namespace {

// The record's sections up to and including the date and hour (the indicator's length is
// filled in at the end).
void put_identification(BitWriter& writer, const PackSounding& sounding, bool optional_block) {
  // Indicator: the message start "BUFR" and the total length, filled in at the end.
  writer.put_bytes({'B', 'U', 'F', 'R'});
  writer.put(0, 24);
  writer.put(3, 8);  // edition
  // Identification: its length (18 bytes), master table, sub-centre, centre, update sequence.
  writer.put(18, 24);
  writer.put(0, 8);
  writer.put(0, 8);
  writer.put(7, 8);
  writer.put(0, 8);
  writer.put(optional_block ? 1 : 0, 8);
  // Data category (vertical soundings), sub-category, table versions.
  writer.put_bytes({2, 1, 13, 0});
  writer.put(static_cast<uint32_t>(sounding.year - 1900), 8);
  writer.put(static_cast<uint32_t>(sounding.month), 8);
  writer.put(static_cast<uint32_t>(sounding.day), 8);
  writer.put(static_cast<uint32_t>(sounding.hour), 8);
  writer.put(0, 8);  // minute
  writer.put(0, 8);  // reserved
}

// The optional block of `entries` station entries.
void put_optional_block(BitWriter& writer, int entries) {
  if (entries > 65535) throw std::invalid_argument("too many optional block entries");
  const int padding = entries % 2;
  writer.put(static_cast<uint32_t>(6 + 5 * entries + padding), 24);  // block length
  writer.put(0, 8);
  writer.put(static_cast<uint32_t>(entries), 16);
  for (int entry = 0; entry < entries; ++entry) {
    // A station entry: a running number and four bytes of local use.
    writer.put(static_cast<uint32_t>(entry % 256), 8);
    writer.put(0, 32);
  }
  if (padding) writer.put(0, 8);
}

// The data header: release time, sonde type, indicators and level references.
void put_data_header(BitWriter& writer, const PackSounding& sounding) {
  writer.put(field_value(sounding.release_time, RELEASE_TIME_BITS, "release time"),
             RELEASE_TIME_BITS);
  writer.put(sonde_type_raw(sounding.sonde_type), SONDE_TYPE_BITS);
  writer.put(field_value(sounding.indicator_a, INDICATOR_A_BITS, "indicator a"), INDICATOR_A_BITS);
  writer.put(reference_raw(sounding.level_reference_1), REFERENCE_BITS);
  writer.put(reference_raw(sounding.level_reference_2), REFERENCE_BITS);
  writer.put(field_value(sounding.indicator_b, INDICATOR_B_BITS, "indicator b"), INDICATOR_B_BITS);
  writer.put(reference_raw(sounding.level_reference_3), REFERENCE_BITS);
  writer.put(0, HEADER_UNUSED_BITS);
}

}  // namespace

std::vector<uint8_t> build_record(const PackSounding& sounding) {
  check_range(sounding.year, 1900, 1900 + 255, "year");
  check_range(sounding.month, 0, 255, "month");
  check_range(sounding.day, 0, 255, "day");
  check_range(sounding.hour, 0, 255, "hour");
  if (sounding.levels.size() > 32767) throw std::invalid_argument("too many levels");

  BitWriter writer;
  writer.reserve(64 + sounding.levels.size() * 11);  // 83 bits a level
  const bool optional_block = sounding.optional_entries >= 0;
  put_identification(writer, sounding, optional_block);
  if (optional_block) put_optional_block(writer, sounding.optional_entries);

  // Data description: its length, reserved, one subset, observed data, the first descriptors,
  // then the level count. The level count lies 11 bytes after the optional block, or after the
  // date and hour when there is none (the minute and reserved byte then count among the 11).
  const size_t description_position = writer.bytes().size();
  writer.put(0, 24);
  writer.put(0, 8);
  writer.put(1, 16);
  writer.put(0x80, 8);
  writer.put_bytes(optional_block ? std::vector<uint8_t>{0, 0, 0, 0} : std::vector<uint8_t>{0, 0});
  writer.put(static_cast<uint32_t>(sounding.levels.size()), 16);
  writer.put_bytes({0, 0, 0});  // further descriptors
  // The data section: its length and a reserved byte, then the data header and the levels.
  const size_t data_length_position = writer.bytes().size();
  writer.put(0, 24);
  writer.put(0, 8);
  put_data_header(writer, sounding);
  for (const PackLevel& level : sounding.levels) put_level(writer, level);
  writer.align();
  writer.put_bytes({'7', '7', '7', '7'});

  std::vector<uint8_t> record = std::move(writer).take_bytes();
  const size_t length = record.size();
  if (length > 0xFFFFFF) throw std::invalid_argument("record longer than 24 bits can tell");
  auto put24 = [&record](size_t position, size_t value) {
    record[position] = static_cast<uint8_t>(value >> 16);
    record[position + 1] = static_cast<uint8_t>(value >> 8);
    record[position + 2] = static_cast<uint8_t>(value);
  };
  put24(4, length);
  put24(description_position, data_length_position - description_position);
  put24(data_length_position, length - 4 - data_length_position);
  return record;
}

std::vector<uint8_t> build_station_year_file(const std::vector<PackSounding>& soundings) {
  std::vector<StoredRecord> records;
  for (const PackSounding& sounding : soundings) {
    if (sounding.wban != soundings.front().wban || sounding.year != soundings.front().year) {
      throw std::invalid_argument("soundings of more than one station or year in one file");
    }
    check_range(sounding.month, 1, DIRECTORY_MONTHS, "month");
    check_range(sounding.day, 1, DIRECTORY_DAYS, "day");
    records.push_back({sounding.month, sounding.day, sounding.hour, build_record(sounding)});
  }
  return build_station_year_file(soundings.empty() ? 0 : soundings[0].wban,
                                 soundings.empty() ? 0 : soundings[0].year, records);
}

std::vector<uint8_t> build_station_year_file(int32_t wban, int year,
                                             const std::vector<StoredRecord>& records) {
  std::vector<const StoredRecord*> ordered;
  for (const StoredRecord& record : records) {
    check_range(record.month, 1, DIRECTORY_MONTHS, "month");
    check_range(record.day, 1, DIRECTORY_DAYS, "day");
    ordered.push_back(&record);
  }
  auto day_index = [](const StoredRecord& r) { return (r.month - 1) * DIRECTORY_DAYS + r.day - 1; };
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&](const StoredRecord* a, const StoredRecord* b) {
                     return std::pair(day_index(*a), a->hour) < std::pair(day_index(*b), b->hour);
                   });

  constexpr int DAYS = DIRECTORY_MONTHS * DIRECTORY_DAYS;
  std::vector<int> day_count(DAYS, 0);
  for (const StoredRecord* record : ordered) {
    if (++day_count[day_index(*record)] > 255) {
      throw std::invalid_argument("more than 255 soundings on one day");
    }
  }
  size_t directory_bytes = 0;
  for (int count : day_count) directory_bytes += 5 + 5 * static_cast<size_t>(count);
  size_t offset = FILE_HEADER_BYTES + directory_bytes;

  BitWriter writer;
  // File header: an identifying text padded with blanks.
  std::string header = cformat("WXPACK STATION %d YEAR %d", wban, year);
  header.resize(FILE_HEADER_BYTES, ' ');
  writer.put_bytes(std::vector<uint8_t>(header.begin(), header.end()));

  size_t next = 0;  // the next record of `ordered`
  for (int day = 0; day < DAYS; ++day) {
    writer.put(static_cast<uint32_t>(day_count[day]), 8);
    writer.put(0, 32);
    for (int i = 0; i < day_count[day]; ++i, ++next) {
      if (offset > 0xFFFFFFFFu) throw std::invalid_argument("file longer than 32 bits can tell");
      writer.put(static_cast<uint32_t>(ordered[next]->hour), 8);
      writer.put(offset, 32);
      offset += ordered[next]->bytes.size();
    }
  }
  for (const StoredRecord* record : ordered) writer.put_bytes(record->bytes);
  return writer.bytes();
}

std::vector<StoredRecord> read_station_year_records(const std::vector<uint8_t>& file) {
  constexpr uint64_t RECORD_HEADER_BYTES = 24;  // up to and including the hour
  auto number = [&file](uint64_t at, int bytes) {
    if (at + bytes > file.size()) throw std::invalid_argument("the file ends inside its directory");
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | file[at + i];
    return value;
  };
  std::vector<StoredRecord> records;
  uint64_t entry = FILE_HEADER_BYTES;
  for (int month = 1; month <= DIRECTORY_MONTHS; ++month) {
    for (int day = 1; day <= DIRECTORY_DAYS; ++day) {
      const auto count = static_cast<int>(number(entry, 1));
      for (int i = 0; i < count; ++i) {
        const uint64_t sounding_entry = entry + 5 + 5 * static_cast<uint64_t>(i);
        const auto hour = static_cast<int>(number(sounding_entry, 1));
        const uint64_t offset = number(sounding_entry + 1, 4);
        const uint64_t length = offset + 7 <= file.size() ? number(offset + 4, 3) : 0;
        if (length < RECORD_HEADER_BYTES || offset + length > file.size()) {
          throw std::invalid_argument(
              cformat("the record of %02d-%02d %02dh lies outside the file", month, day, hour));
        }
        records.push_back(
            {month, day, hour,
             std::vector<uint8_t>(file.begin() + static_cast<ptrdiff_t>(offset),
                                  file.begin() + static_cast<ptrdiff_t>(offset + length))});
      }
      entry += 5 + 5 * static_cast<uint64_t>(count);
    }
  }
  return records;
}

bool read_existing_file(const std::string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 && errno == ENOENT) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(open_regular_file(path), &std::fclose);
  if (!file) throw std::runtime_error(file_error(path, errno));
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  if (std::ferror(file.get())) throw std::runtime_error(file_error(path, EIO));
  return true;
}

void write_file_replacing(const std::string& name, const std::vector<uint8_t>& bytes) {
  OutputFile file = OutputFile::create(name, system_file_io());
  if (!file.is_open()) throw std::runtime_error("cannot write " + file_error(name, errno));
  int error = file.write_all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (error == 0) error = file.close(true);
  if (error != 0) {
    file.close(false);
    throw std::runtime_error("cannot write " + file_error(name, error));
  }
}

void write_archive(const std::filesystem::path& database_directory,
                   const std::vector<PackSounding>& soundings) {
  std::string directory = database_directory.string();
  if (!directory.empty() && directory.back() != '/') directory += '/';

  std::map<std::pair<int32_t, int>, std::vector<PackSounding>> station_years;
  for (const PackSounding& sounding : soundings) {
    station_years[{sounding.wban, sounding.year}].push_back(sounding);
  }
  // Every file is built before the first is written, so that a value no field can hold leaves
  // the archive as it was.
  std::vector<std::pair<std::pair<int32_t, int>, std::vector<uint8_t>>> files;
  for (const auto& [key, station_year] : station_years) {
    files.emplace_back(key, build_station_year_file(station_year));
  }
  const ArchiveLock lock(directory);
  YearsPresent years = find_years(directory);
  for (const auto& [key, bytes] : files) {
    const auto [wban, year] = key;
    const std::string name = year_file_name_to_write(directory, years, year, wban);
    std::filesystem::create_directories(std::filesystem::path(name).parent_path());
    write_file_replacing(name, bytes);
  }
}

}  // namespace pack
}  // namespace wxfetch
