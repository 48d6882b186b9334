// Writes IGRA 2 input as NCEI ships it, for bench/igra2_scale.sh: one zipped station file
// (XXM000NNNNN-data.txt.zip, one member) per station with a year of soundings at 00 and 12 UTC,
// and the station list igra2-station-list.txt. Prints the number of soundings and levels.
//
//   igra2_scale_files DIRECTORY STATIONS YEAR LEVELS
#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "igra2_synthetic.h"

namespace {

bool write_zip(const std::string& path, const std::string& member, const std::string& text) {
  archive* zip = archive_write_new();
  archive_write_set_format_zip(zip);
  archive_write_zip_set_compression_deflate(zip);
  bool ok = archive_write_open_filename(zip, path.c_str()) == ARCHIVE_OK;
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, member.c_str());
  archive_entry_set_size(entry, static_cast<la_int64_t>(text.size()));
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_perm(entry, 0644);
  ok = ok && archive_write_header(zip, entry) == ARCHIVE_OK &&
       archive_write_data(zip, text.data(), text.size()) == static_cast<la_ssize_t>(text.size());
  archive_entry_free(entry);
  ok = archive_write_close(zip) == ARCHIVE_OK && ok;
  archive_write_free(zip);
  return ok;
}

bool leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: igra2_scale_files DIRECTORY STATIONS YEAR LEVELS\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  const int stations = std::atoi(argv[2]);
  const int year = std::atoi(argv[3]);
  const int levels = std::atoi(argv[4]);
  const int month_days[] = {31, leap(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::filesystem::create_directories(directory);
  std::ofstream list(directory / "igra2-station-list.txt");
  long soundings = 0, level_count = 0;
  std::string text;
  for (int s = 0; s < stations; ++s) {
    // Distinct WMO numbers spread over the blocks, positions spread over the globe.
    const int wmo = 1001 + s * 41;
    const std::string id = wxfetch::cformat("XXM000%05d", wmo);
    list << wxfetch::cformat("%s %8.4f %9.4f %6.1f    STATION %-22d %4d %4d %6d\n", id.c_str(),
                             -80.0 + (s * 7919 % 16000) / 100.0,
                             -179.0 + (s * 104729 % 35800) / 100.0, 100.0 + s % 900, s, 1990, year,
                             730);
    text.clear();
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= month_days[month - 1]; ++day) {
        for (int hour : {0, 12}) {
          level_count +=
              wxfetch::bench::append_igra2_sounding(text, id, year, month, day, hour, levels);
          ++soundings;
        }
      }
    }
    const std::string member = id + "-data.txt";
    if (!write_zip((directory / (member + ".zip")).string(), member, text)) {
      std::fprintf(stderr, "igra2_scale_files: cannot write %s.zip\n", member.c_str());
      return 1;
    }
  }
  std::printf("%d stations, %ld soundings, %ld levels\n", stations, soundings, level_count);
  return list ? 0 : 1;
}
