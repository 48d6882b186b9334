#include "import/import_run.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "base/text.h"
#include "database/archive_lock.h"
#include "database/archive_names.h"
#include "records/sounding.h"
#include "stations/catalogue.h"

namespace wxfetch {
namespace pack {

namespace {

// Surface, mandatory, tropopause and maximum-wind levels are kept whole when a sounding is
// thinned; significant and wind levels give way.
bool kept_whole(const PackLevel& level) {
  return level.kind == 9 || level.kind == 4 || level.kind == 7 || level.kind == 8;
}

// Leaves at most `limit` levels: every kept-whole level (while they fit) and an evenly spread
// choice of the others, in their order.
void thin_levels(std::vector<PackLevel>& levels, size_t limit) {
  const auto whole = static_cast<size_t>(std::count_if(levels.begin(), levels.end(), kept_whole));
  const size_t room = whole >= limit ? 0 : limit - whole;
  const size_t others = levels.size() - whole;
  std::vector<PackLevel> thinned;
  size_t seen = 0;
  for (const PackLevel& level : levels) {
    if (kept_whole(level)) {
      if (thinned.size() < limit) thinned.push_back(level);
      continue;
    }
    if ((seen + 1) * room / others > seen * room / others) thinned.push_back(level);
    ++seen;
  }
  levels = std::move(thinned);
}

std::string date_hour_text(const PackSounding& s) {
  return cformat("%04d%02d%02d%02d", s.year, s.month, s.day, s.hour);
}

}  // namespace

StationTable::StationTable() = default;
StationTable::~StationTable() = default;

StationTable::StationTable(std::istream& history)
    : catalogue_(std::make_unique<StationCatalogue>()) {
  bool overflow = false;
  if (load_history_rows(history, *catalogue_, overflow) <= 0) {
    throw std::runtime_error("no station rows");
  }
}

StationFacts StationTable::facts(int32_t wmo, int32_t date) const {
  const StationEntry* found = nullptr;
  for (int i = 0; catalogue_ && i < catalogue_->count; ++i) {
    const StationEntry& row = catalogue_->entries[i];
    if (row.wmo != wmo) continue;
    const bool holds_date = row.period_begin <= date && date <= row.period_end;
    if (found == nullptr || holds_date) found = &row;
    if (holds_date) break;
  }
  if (found == nullptr) return {INTERNATIONAL_WBAN_OFFSET + wmo, std::nullopt};
  return {found->wban, found->elevation};
}

long StationTable::rows() const {
  return catalogue_ ? catalogue_->count : 0;
}

bool StationTable::holds(int32_t wmo) const {
  for (int i = 0; catalogue_ && i < catalogue_->count; ++i) {
    if (catalogue_->entries[i].wmo == wmo) return true;
  }
  return false;
}

std::string count_of(long count, const std::string& thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

ImportRun::ImportRun(std::string database_directory, std::ostream& messages)
    : directory_(std::move(database_directory)), messages_(messages) {
  if (!directory_.empty() && directory_.back() != '/') directory_ += '/';
}

void ImportRun::prepare(PackSounding& sounding) {
  auto surface = std::find_if(sounding.levels.begin(), sounding.levels.end(),
                              [](const PackLevel& level) { return level.kind == 9; });
  if (surface != sounding.levels.end()) std::rotate(sounding.levels.begin(), surface, surface + 1);
  for (PackLevel& level : sounding.levels) {
    if (level.height == ABSENT) continue;
    const int32_t stored = storable_height(level.height);
    if (stored != level.height) ++heights_moved_;
    level.height = stored;
  }
  if (sounding.levels.size() > static_cast<size_t>(MAX_LEVELS)) {
    thin_levels(sounding.levels, MAX_LEVELS);
    ++thinned_;
  }
  if (sounding.levels.size() < 5) ++short_soundings_;
}

void ImportRun::add(PackSounding sounding, const std::string& file, long line) {
  std::vector<uint8_t> bytes;
  try {
    prepare(sounding);
    if (sounding.month < 1 || sounding.month > 12 || sounding.day < 1 || sounding.day > 31) {
      throw std::invalid_argument("no such date");
    }
    bytes = build_record(sounding);
  } catch (const std::invalid_argument& error) {
    skip(file, line,
         cformat("sounding of %d at %s: %s", sounding.wban, date_hour_text(sounding).c_str(),
                 error.what()));
    return;
  }
  if (file_names_.empty() || file_names_.back() != file) file_names_.push_back(file);
  Gathered gathered;
  gathered.date_hour = sounding.month * 10000 + sounding.day * 100 + sounding.hour;
  gathered.file = static_cast<int32_t>(file_names_.size() - 1);
  gathered.line = line;
  gathered.at = store_.put(bytes);
  gathered.length = static_cast<uint32_t>(bytes.size());
  gathered_[{sounding.wban, sounding.year}].push_back(gathered);
  ++gathered_count_;
}

void ImportRun::skip(const std::string& file, long line, const std::string& what) {
  messages_ << file << ":" << line << ": " << what << "\n";
  ++skipped_;
}

void ImportRun::notice(const std::string& file, long line, const std::string& what) {
  messages_ << file << ":" << line << ": " << what << "\n";
}

std::string ImportRun::where(const Gathered& sounding) const {
  return file_names_[static_cast<size_t>(sounding.file)] + ":" + std::to_string(sounding.line);
}

// The soundings of one station-year in order of date and hour, the last of each date and hour
// given more than once (each earlier one is reported).
std::vector<ImportRun::Gathered> ImportRun::last_of_each_hour(const StationYear& station_year,
                                                              std::vector<Gathered>& gathered) {
  std::stable_sort(gathered.begin(), gathered.end(),
                   [](const Gathered& a, const Gathered& b) { return a.date_hour < b.date_hour; });
  std::vector<Gathered> kept;
  for (size_t i = 0; i < gathered.size(); ++i) {
    if (i + 1 < gathered.size() && gathered[i + 1].date_hour == gathered[i].date_hour) {
      messages_ << where(gathered[i + 1]) << ": station " << station_year.first << " at "
                << cformat("%04d%06d", station_year.second, gathered[i].date_hour)
                << " again (first at " << where(gathered[i]) << "); the last is kept\n";
      ++duplicates_;
      continue;
    }
    kept.push_back(gathered[i]);
  }
  return kept;
}

// Merges the soundings of one station-year into its file (or a new one) and writes it.
void ImportRun::write_station_year(const StationYear& station_year, std::vector<Gathered>& gathered,
                                   const YearsPresent& years) {
  const auto [wban, year] = station_year;
  const std::vector<Gathered> soundings = last_of_each_hour(station_year, gathered);
  const std::string name = year_file_name_to_write(directory_, years, year, wban);
  try {
    std::set<int32_t> new_hours;
    for (const Gathered& sounding : soundings) new_hours.insert(sounding.date_hour);
    std::vector<uint8_t> old_bytes;
    std::vector<StoredRecord> stored;
    std::set<int32_t> replaced;
    if (read_existing_file(name, old_bytes)) {
      for (StoredRecord& old : read_station_year_records(old_bytes)) {
        const int32_t date_hour = old.month * 10000 + old.day * 100 + old.hour;
        if (new_hours.count(date_hour) != 0) {
          replaced.insert(date_hour);
        } else {
          stored.push_back(std::move(old));
        }
      }
    }
    for (const Gathered& sounding : soundings) {
      stored.push_back({sounding.date_hour / 10000, sounding.date_hour / 100 % 100,
                        sounding.date_hour % 100, store_.get(sounding.at, sounding.length)});
    }
    const std::vector<uint8_t> bytes = build_station_year_file(wban, year, stored);
    std::filesystem::create_directories(std::filesystem::path(name).parent_path());
    write_file_replacing(name, bytes);
    imported_ += static_cast<long>(soundings.size());
    if (wban >= INTERNATIONAL_WBAN_OFFSET) international_ += static_cast<long>(soundings.size());
    replaced_ += static_cast<long>(replaced.size());
    ++files_;
  } catch (const std::exception& error) {
    const std::string what = error.what();
    messages_ << (what.find(name) == std::string::npos ? name + ": " + what : what) << "; "
              << count_of(static_cast<long>(soundings.size()), "sounding")
              << " of this station-year not imported, the file is left as it was\n";
    skipped_ += static_cast<long>(soundings.size());
  }
}

void ImportRun::finish() {
  if (gathered_.empty()) return;
  const ArchiveLock lock(directory_, [this] {
    messages_ << "wxpack: waiting for another wxpack that writes into " << directory_ << "\n";
  });
  leftovers_removed_ = lock.leftovers_removed();
  const YearsPresent years = find_years(directory_);
  for (auto& [station_year, gathered] : gathered_) {
    write_station_year(station_year, gathered, years);
  }
  gathered_.clear();
}

int ImportRun::summary(std::ostream& out) const {
  out << "wxpack: " << count_of(imported_, "sounding") << " imported into "
      << count_of(files_, "station-year file") << " under " << directory_ << "\n";
  if (replaced_ > 0) {
    out << "wxpack: note: " << count_of(replaced_, "sounding")
        << " of the archive replaced by soundings of the same date and hour\n";
  }
  if (duplicates_ > 0) {
    out << "wxpack: note: " << count_of(duplicates_, "sounding")
        << " given twice (same station, date and hour); the last was kept\n";
  }
  if (heights_moved_ > 0) {
    out << "wxpack: note: " << count_of(heights_moved_, "height")
        << " stored 1 m off, as the nearest value the archive can hold\n";
  }
  if (thinned_ > 0) {
    out << "wxpack: note: " << count_of(thinned_, "sounding") << " thinned to " << MAX_LEVELS
        << " levels (all surface, mandatory, tropopause and maximum-wind levels kept)\n";
  }
  if (humidity_dew_points_ > 0) {
    out << "wxpack: note: " << count_of(humidity_dew_points_, "dew point")
        << " computed from the relative humidity where no dew-point depression was given\n";
  }
  if (short_soundings_ > 0) {
    out << "wxpack: note: " << count_of(short_soundings_, "sounding")
        << " of fewer than five levels; wxfetch writes none of them\n";
  }
  if (international_ > 0) {
    out << "wxpack: note: " << count_of(international_, "sounding")
        << " filed as international sites (I<WMO> files): the station history table does not "
           "hold their stations; wxfetch, wxget and wxls find them by an international_sites.txt "
           "row, which wxpack --from igra2-stations or --from wyoming-stations writes\n";
  }
  if (leftovers_removed_ > 0) {
    out << "wxpack: note: " << count_of(leftovers_removed_, "temporary file")
        << " of an interrupted earlier run removed\n";
  }
  if (skipped_ > 0) out << "wxpack: " << count_of(skipped_, "fault") << ", see above\n";
  if (imported_ == 0 && skipped_ == 0) {
    out << "wxpack: the input held no sounding\n";
    return 1;
  }
  return skipped_ > 0 ? 1 : 0;
}

}  // namespace pack
}  // namespace wxfetch
