// IGRA 2 import speed: writes a synthetic station file of typical soundings (one station, ten
// years, two soundings a day, 120 levels each) into memory, imports it into a temporary archive
// and prints the levels per second of the best of three runs. Goal: 2e6 levels/s on one core.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "igra2_synthetic.h"
#include "import/igra2.h"

namespace {

std::string synthetic_file(int years, int levels, long& level_count) {
  std::string text;
  for (int year = 2000; year < 2000 + years; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 28; ++day) {
        for (int hour : {0, 12}) {
          level_count += wxfetch::bench::append_igra2_sounding(text, "USM00072469", year, month,
                                                               day, hour, levels);
        }
      }
    }
  }
  return text;
}

}  // namespace

int main() {
  long levels = 0;
  const std::string text = synthetic_file(10, 120, levels);
  const std::filesystem::path archive =
      std::filesystem::temp_directory_path() / "wxfetch_igra2_bench";
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    std::filesystem::remove_all(archive);
    std::istringstream in(text);
    std::ostringstream messages;
    const auto start = std::chrono::steady_clock::now();
    wxfetch::pack::ImportRun import(archive.string(), messages);
    wxfetch::pack::read_igra2(in, "bench", wxfetch::pack::StationTable(), import);
    import.finish();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < best) best = seconds;
  }
  std::filesystem::remove_all(archive);
  std::printf("IGRA 2 import: %ld levels, %.1f MB of text, best of 3: %.3f s, %.2e levels/s\n",
              levels, text.size() / 1e6, best, levels / best);
  return 0;
}
