#include "import_fuzz.h"

#include <sstream>
#include <system_error>

#include "fuzz_support.h"

namespace wxfetch::fuzz {

namespace fs = std::filesystem;

const pack::StationTable& sample_station_table() {
  static const pack::StationTable table = [] {
    std::istringstream history(sample_support_file("stat2000.txt"));
    return pack::StationTable(history);
  }();
  return table;
}

std::ostream& discarded() {
  static NullBuffer buffer;
  static std::ostream stream(&buffer);
  stream.clear();
  return stream;
}

void import_twice(const std::function<void(pack::ImportRun&, int)>& read) {
  const fs::path archive = scratch_directory() / "archive";
  for (int pass = 0; pass < 2; ++pass) {
    pack::ImportRun run(archive.string(), discarded());
    read(run, pass);
    run.finish();
    run.summary(discarded());
  }
  std::error_code ignored;
  fs::remove_all(archive, ignored);
}

}  // namespace wxfetch::fuzz
