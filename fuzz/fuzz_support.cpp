#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <system_error>
#include <vector>

namespace wxfetch::fuzz {

namespace fs = std::filesystem;

FuzzProgram::FuzzProgram(const std::string& replies)
    : in(replies), ctx(std::make_unique<ProgramContext>(in, out, err)) {
  // WXFETCH_FUZZ_ECHO=1 shows the console, to see what an input does.
  static const bool echo = std::getenv("WXFETCH_FUZZ_ECHO") != nullptr;
  if (echo) {
    out.rdbuf(std::cout.rdbuf());
    err.rdbuf(std::cerr.rdbuf());
  }
  ctx->paging.paging_on = false;
}

namespace {

fs::path make_scratch_directory() {
  std::string pattern = (fs::temp_directory_path() / "wxfetch-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  return fs::path(pattern);
}

fs::path& scratch_path() {
  static fs::path path;
  return path;
}

void remove_scratch_directory() {
  std::error_code ignored;
  if (!scratch_path().empty()) fs::remove_all(scratch_path(), ignored);
}

}  // namespace

const fs::path& scratch_directory() {
  static const bool made = [] {
    scratch_path() = make_scratch_directory();
    std::atexit(remove_scratch_directory);
    return true;
  }();
  (void)made;
  return scratch_path();
}

void remove_all_but(const fs::path& directory, const std::vector<fs::path>& keep) {
  std::vector<fs::path> kept;
  for (const fs::path& path : keep) {
    for (fs::path part = path; !part.empty(); part = part.parent_path()) {
      kept.push_back(part);
      if (part == part.parent_path()) break;
    }
  }
  std::error_code error;
  std::vector<fs::path> doomed;
  for (auto it = fs::recursive_directory_iterator(directory, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(directory);
    if (std::find(kept.begin(), kept.end(), relative) == kept.end()) {
      doomed.push_back(it->path());
      if (it->is_directory(error)) it.disable_recursion_pending();
    }
  }
  for (const fs::path& path : doomed) fs::remove_all(path, error);
}

const std::string& sample_support_file(const std::string& name) {
  static std::map<std::string, std::string> texts;
  auto found = texts.find(name);
  if (found == texts.end()) {
    std::ifstream file(fs::path(WXFETCH_SOURCE_DIR) / "data" / "sample" / "support" / name,
                       std::ios::binary);
    if (!file.is_open()) std::abort();  // the fuzz targets need the sample support files
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    found = texts.emplace(name, std::move(text)).first;
  }
  return found->second;
}

const StationCatalogue& sample_catalogue() {
  static const auto catalogue = [] {
    auto loaded = std::make_unique<StationCatalogue>();
    bool overflow = false;
    std::istringstream history(sample_support_file("stat2000.txt"));
    load_history_rows(history, *loaded, overflow);
    std::istringstream international(sample_support_file("international_sites.txt"));
    load_international_rows(international, *loaded, overflow);
    return loaded;
  }();
  return *catalogue;
}

void small_catalogue(StationCatalogue& catalogue) {
  struct Row {
    const char* initials;
    int32_t wban;
    int32_t wmo;
    float latitude;
    float longitude;
    char lat_hemisphere;
    char lon_hemisphere;
    int16_t elevation;
    const char* name;
    const char* state;
    const char* country;
  };
  const Row rows[] = {
      {"DEN", 23062, 72469, 39.77f, -104.87f, 'N', 'W', 1611, "DENVER/STAPLETON", "CO", "US"},
      {"PIT", 94823, 72520, 40.53f, -80.23f, 'N', 'W', 360, "PITTSBURGH/MOON", "PA", "US"},
      {"CAM", 903808, 3808, 50.22f, -5.32f, 'N', 'W', 88, "CAMBORNE", "99", "GB"},
      {"BIS", 24011, 72764, 46.77f, -100.75f, 'N', 'W', 503, "BISMARCK", "ND", "US"},
  };
  catalogue = StationCatalogue{};
  for (const Row& row : rows) {
    StationEntry& entry = catalogue.entries[static_cast<size_t>(catalogue.count++)];
    std::snprintf(entry.initials, sizeof entry.initials, "%s", row.initials);
    entry.wban = row.wban;
    entry.wmo = row.wmo;
    entry.latitude = row.latitude;
    entry.longitude = row.longitude;
    entry.lat_hemisphere = row.lat_hemisphere;
    entry.lon_hemisphere = row.lon_hemisphere;
    entry.elevation = row.elevation;
    entry.period_begin = 19900101;
    entry.period_end = 20051231;
    std::snprintf(entry.name, sizeof entry.name, "%-25s", row.name);
    std::snprintf(entry.state, sizeof entry.state, "%s", row.state);
    std::snprintf(entry.country, sizeof entry.country, "%s", row.country);
  }
}

}  // namespace wxfetch::fuzz
