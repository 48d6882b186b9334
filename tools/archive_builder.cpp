#include "archive_builder.h"

#include <stdexcept>

namespace wxfetch::pack {

// Placeholder until the builder is written.
std::vector<uint8_t> build_record(const PackSounding&) { throw std::logic_error("not built"); }
std::vector<uint8_t> build_station_year_file(const std::vector<PackSounding>&) {
  throw std::logic_error("not built");
}
void write_archive(const std::filesystem::path&, const std::vector<PackSounding>&) {
  throw std::logic_error("not built");
}

}  // namespace wxfetch::pack
