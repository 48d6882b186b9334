// One import into an archive: the station table that gives WBAN numbers and elevations, the
// soundings gathered per station-year, and the counts and messages of what happened. Readers
// hand every sounding to `add` and every fault to `skip`; `finish` then takes the archive's lock
// and writes each station-year once, merged into the file already there, in whatever order the
// input gave the soundings.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "database/archive_writer.h"
#include "import/record_store.h"

namespace wxfetch {
struct StationCatalogue;
struct YearsPresent;
}  // namespace wxfetch

namespace wxfetch {
namespace pack {

// Winds given in knots are stored in tenths of m/s: times 0.514444, times 10.
constexpr double TENTHS_MS_PER_KNOT = 5.14444;

// A station as an import files it.
struct StationFacts {
  int32_t wban = 0;                  // 900000 + WMO for a station the table does not hold
  std::optional<int32_t> elevation;  // metres, when the table gives it
};

// The rows of a station history table (the stat2000.txt format), looked up by WMO number.
class StationTable {
 public:
  StationTable();
  ~StationTable();
  // Reads a station history table. Throws std::runtime_error when it holds no row.
  explicit StationTable(std::istream& history);
  // The row of `wmo` whose period holds `date` (YYYYMMDD), else its last row; without a row,
  // the international site 900000 + `wmo`.
  StationFacts facts(int32_t wmo, int32_t date) const;
  bool holds(int32_t wmo) const;
  // The number of rows of the table.
  long rows() const;

 private:
  std::unique_ptr<StationCatalogue> catalogue_;
};

// "1 sounding", "2 soundings".
std::string count_of(long count, const std::string& thing);

class ImportRun {
 public:
  // Messages go to `messages` as "FILE:LINE: text".
  ImportRun(std::string database_directory, std::ostream& messages);

  // Files `sounding`, read from `file` at `line`. Moves the first surface level to the front,
  // stores each height as the nearest storable value, thins a sounding of more levels than
  // wxfetch reads, and replaces an earlier sounding of the same station, date and hour (saying
  // so). A value no field can hold skips the sounding with a message.
  void add(PackSounding sounding, const std::string& file, long line);
  // Reports a fault at file:line that cost the import a sounding (or more).
  void skip(const std::string& file, long line, const std::string& what);
  // Counts a dew point that a reader computed from the relative humidity.
  void count_humidity_dew_point() { ++humidity_dew_points_; }
  // Counts an input file that could not be read at all (its message given by the caller).
  void skip_file() { ++skipped_; }
  // Counts a sounding that its reader thinned itself to at most MAX_LEVELS levels.
  void count_thinned() { ++thinned_; }
  // Says something at file:line that costs the import nothing (a repeated part, ...).
  void notice(const std::string& file, long line, const std::string& what);
  // Takes the archive's lock and writes every station-year gathered: the soundings of the run
  // (the last of a station, date and hour given twice) and every record of the file already
  // there that none of them replaces, byte for byte. A station-year whose file cannot be read
  // whole, or cannot be written, is left as it was, its soundings counted as skipped. Call once
  // after the last sounding.
  void finish();
  // Prints the summary and notes on `out`; returns the exit status: 1 when anything was
  // skipped or nothing was imported (saying why), else 0.
  int summary(std::ostream& out) const;

  long imported() const { return imported_; }
  long skipped() const { return skipped_; }

 private:
  // A sounding gathered for writing: its date and hour, where it was read, and its record.
  struct Gathered {
    int32_t date_hour = 0;  // month * 10000 + day * 100 + hour
    int32_t file = 0;       // index into file_names_
    long line = 0;
    int64_t at = 0;  // in store_
    uint32_t length = 0;
  };
  using StationYear = std::pair<int32_t, int>;  // WBAN number, year

  void prepare(PackSounding& sounding);
  std::vector<Gathered> last_of_each_hour(const StationYear& station_year,
                                          std::vector<Gathered>& gathered);
  void write_station_year(const StationYear& station_year, std::vector<Gathered>& gathered,
                          const YearsPresent& years);
  std::string where(const Gathered& sounding) const;

  std::string directory_;
  std::ostream& messages_;
  std::map<StationYear, std::vector<Gathered>> gathered_;
  std::vector<std::string> file_names_;
  RecordStore store_;
  long gathered_count_ = 0;
  long imported_ = 0;
  long skipped_ = 0;
  long duplicates_ = 0;
  long replaced_ = 0;
  long heights_moved_ = 0;
  long short_soundings_ = 0;
  long thinned_ = 0;
  long international_ = 0;  // soundings filed under 900000 + WMO
  long humidity_dew_points_ = 0;
  long files_ = 0;
  int leftovers_removed_ = 0;
};

}  // namespace pack
}  // namespace wxfetch
