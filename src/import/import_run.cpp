#include "import/import_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/text.h"
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
  if (std::pair(sounding.wban, sounding.year) != current_) {
    flush();
    current_ = {sounding.wban, sounding.year};
  }
  auto [place, fresh] = pending_.try_emplace({sounding.month, sounding.day, sounding.hour});
  if (!fresh) {
    messages_ << file << ":" << line << ": station " << sounding.wban << " at "
              << date_hour_text(sounding) << " again (first at " << place->second.file << ":"
              << place->second.line << "); the last is kept\n";
    ++duplicates_;
  } else {
    ++imported_;
  }
  place->second = {std::move(bytes), file, line};
}

void ImportRun::skip(const std::string& file, long line, const std::string& what) {
  messages_ << file << ":" << line << ": " << what << "\n";
  ++skipped_;
}

void ImportRun::notice(const std::string& file, long line, const std::string& what) {
  messages_ << file << ":" << line << ": " << what << "\n";
}

// Adds the records of the file already at `name` that `records` does not replace.
void ImportRun::merge_existing(const std::string& name, std::map<DateHour, Pending>& records) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return;
  const std::vector<uint8_t> old_bytes{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
  const bool ours = written_.count(current_) > 0;
  for (StoredRecord& old : read_station_year_records(old_bytes)) {
    auto [place, fresh] = records.try_emplace({old.month, old.day, old.hour});
    if (fresh) {
      place->second.bytes = std::move(old.bytes);
    } else if (ours) {
      // The input held this station-year twice, apart: the later sounding wins, as within it.
      messages_ << place->second.file << ":" << place->second.line << ": station " << current_.first
                << " at "
                << cformat("%04d%02d%02d%02d", current_.second, old.month, old.day, old.hour)
                << " again; the last is kept\n";
      ++duplicates_;
      --imported_;
    } else {
      ++replaced_;
    }
  }
}

void ImportRun::flush() {
  if (pending_.empty()) return;
  const auto [wban, year] = current_;
  const std::string name = database_file_name(directory_, year, wban);
  std::map<DateHour, Pending> records = std::move(pending_);
  pending_.clear();
  try {
    merge_existing(name, records);
    std::vector<StoredRecord> stored;
    for (auto& [key, record] : records) {
      const auto [month, day, hour] = key;
      stored.push_back({month, day, hour, std::move(record.bytes)});
    }
    const std::vector<uint8_t> bytes = build_station_year_file(wban, year, stored);
    std::filesystem::create_directories(year_folder_name(directory_, year));
    write_file_replacing(name, bytes);
    written_.insert(current_);
    ++files_;
  } catch (const std::exception& error) {
    long lost = 0;
    for (const auto& entry : records) lost += entry.second.file.empty() ? 0 : 1;
    messages_ << name << ": " << error.what() << "; " << count_of(lost, "sounding")
              << " of this station-year not imported, the file is left as it was\n";
    imported_ -= lost;
    skipped_ += lost;
  }
}

void ImportRun::finish() {
  flush();
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
  if (short_soundings_ > 0) {
    out << "wxpack: note: " << count_of(short_soundings_, "sounding")
        << " of fewer than five levels; wxfetch writes none of them\n";
  }
  if (skipped_ > 0) out << "wxpack: " << count_of(skipped_, "fault") << ", see above\n";
  return skipped_ > 0 ? 1 : 0;
}

}  // namespace pack
}  // namespace wxfetch
