// The archive builder: writes station-year database files in the archive's layout (34-byte
// header, month-by-day directory, records back to back in hour order with 83-bit levels) from
// plain descriptions of soundings. It is the source of the sample archive and of every test
// archive.
//
// Every field is written most significant bit first by a bit writer; a value that its field
// cannot hold throws std::invalid_argument, so that a test never builds a record that decodes to
// something else than it asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace wxfetch {
namespace pack {

constexpr int32_t ABSENT = 99999;

// One level as the decoder gives it back. `kind` is a level kind 4 to 9 (stored as its flag
// 2, 16, 32, 4, 8, 1); any other value is stored unchanged as the 7-bit flag, to make levels
// of no known kind.
struct PackLevel {
  int32_t kind = 4;
  int32_t pressure = ABSENT;     // tenths of mb
  int32_t height = ABSENT;       // metres; stored so that the decoder gives these metres back
  int32_t temperature = ABSENT;  // tenths of degrees C
  int32_t dew_point = ABSENT;    // tenths of degrees C
  int32_t wind_direction = ABSENT;
  int32_t wind_speed = ABSENT;  // tenths of m/s
};

// One sounding as the decoder gives it back.
struct PackSounding {
  int32_t wban = 0;
  int year = 1999;
  int month = 1;
  int day = 1;
  int hour = 0;
  int32_t release_time = ABSENT;  // hhmm
  int32_t sonde_type = ABSENT;    // decoded code: 45, 46, 49, 51, 37, 52, 61, 63, 0 or 9 to 14
  int32_t indicator_a = ABSENT;   // 0 to 6
  int32_t indicator_b = ABSENT;   // 0 to 14
  // 1-based indices of the levels whose pressures become the reference pressures; 0 or ABSENT
  // for none. ABSENT is stored as the missing pattern (255); 0 and indices beyond the levels
  // (up to 254) are stored as given, so that damaged references can be built too.
  int32_t level_reference_1 = ABSENT;
  int32_t level_reference_2 = ABSENT;
  int32_t level_reference_3 = ABSENT;
  // Number of 5-byte entries of the optional block; -1 for a record without it.
  int optional_entries = -1;
  std::vector<PackLevel> levels;
};

// Returns one record's bytes. Throws std::invalid_argument for a value its field cannot hold.
std::vector<uint8_t> build_record(const PackSounding& sounding);

// Returns a whole station-year file holding `soundings` (all of one station and year; they are
// stored in order of date and hour). Throws std::invalid_argument when they are not of one
// station and year, a date lies outside 1..12 / 1..31, or a day holds more than 255 soundings.
std::vector<uint8_t> build_station_year_file(const std::vector<PackSounding>& soundings);

// Writes the files of `soundings` (any stations and years) under `database_directory`, each at
// the name year_file_name_to_write gives, creating the year folders, while holding the archive's
// lock. Each file is
// written under a temporary name in its folder and then renamed, so that an interrupted run
// leaves no half file. Throws std::runtime_error when a file cannot be written.
void write_archive(const std::filesystem::path& database_directory,
                   const std::vector<PackSounding>& soundings);

// One built record and the date and hour it is filed under.
struct StoredRecord {
  int month = 1;
  int day = 1;
  int hour = 0;
  std::vector<uint8_t> bytes;
};

// Returns a station-year file of `wban` and `year` holding `records` (stored in order of date and
// hour; records of equal date and hour keep their order). Throws std::invalid_argument when a
// date lies outside 1..12 / 1..31 or a day holds more than 255 records.
std::vector<uint8_t> build_station_year_file(int32_t wban, int year,
                                             const std::vector<StoredRecord>& records);

// Returns the records of a station-year file, as its directory gives them: each sounding entry's
// hour and the record at its offset, as long as the record's length field says, byte for byte.
// Only looks at bytes of `file`; throws std::invalid_argument for a directory or record that
// leaves the file.
std::vector<StoredRecord> read_station_year_records(const std::vector<uint8_t>& file);

// Reads the whole station-year file at `path` into `bytes`. Returns false when there is no such
// file; throws std::runtime_error ("PATH: reason") when one exists but cannot be read, or is no
// regular file (a folder, a named pipe, a device).
bool read_existing_file(const std::string& path, std::vector<uint8_t>& bytes);

// Writes `bytes` to `name` through a temporary file of the same folder that is then renamed
// over it (an OutputFile: removed at SIGINT, SIGTERM and SIGHUP). Throws std::runtime_error
// ("cannot write NAME: reason", and leaves no temporary file) when that fails.
void write_file_replacing(const std::string& name, const std::vector<uint8_t>& bytes);

// Implementation details follow; tests use them to build damaged records by hand.

// Size of the file header and of the month directory's fixed part.
constexpr size_t FILE_HEADER_BYTES = 34;
constexpr int DIRECTORY_MONTHS = 12;
constexpr int DIRECTORY_DAYS = 31;

// Appends unsigned fields of 1 to 32 bits, most significant bit first, without regard to byte
// boundaries. The last byte is padded with zero bits.
class BitWriter {
 public:
  // The widest field one put() takes.
  static constexpr int MAX_FIELD_BITS = 57;
  // Appends the low `width` bits of `value`. Throws std::invalid_argument when `value` does
  // not fit in `width` bits or the width lies outside 1..MAX_FIELD_BITS.
  void put(uint64_t value, int width);
  // Appends whole bytes. REQUIRES: the writer stands at a byte boundary.
  void put_bytes(const std::vector<uint8_t>& bytes);
  // Pads with zero bits up to the next byte boundary.
  void align();
  void reserve(size_t bytes) { bytes_.reserve(bytes); }
  size_t bit_count() const { return bit_count_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t> take_bytes() && { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  size_t bit_count_ = 0;
};

// The raw 17-bit height field that the decoder turns back into `metres`
// (trunc((raw - 400) * 1.0204081632653061 + 0.5)). Throws std::invalid_argument when no raw
// value gives these metres (about one metre value in fifty falls between two raw values) or
// the raw value does not fit.
uint32_t height_raw(int32_t metres);
// The decoder's metres for a raw height field.
int32_t height_metres(uint32_t raw);
// The storable height nearest to `metres` (itself when it is storable; else one metre more).
int32_t storable_height(int32_t metres);

// The 4-bit sonde type field for a decoded sonde type (15 for ABSENT). Throws
// std::invalid_argument for a code the field cannot give back.
uint32_t sonde_type_raw(int32_t sonde_type);

}  // namespace pack
}  // namespace wxfetch
