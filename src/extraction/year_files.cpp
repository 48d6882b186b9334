#include "extraction/year_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "database/archive_names.h"

namespace wxfetch {

namespace {

bool name_exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

bool is_folder(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_directory(name, error);
}

}  // namespace

YearFile::YearFile(YearFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)), path_(std::move(other.path_)) {}

YearFile& YearFile::operator=(YearFile&& other) noexcept {
  if (this != &other) {
    close();
    stream_ = std::exchange(other.stream_, nullptr);
    path_ = std::move(other.path_);
  }
  return *this;
}

void YearFile::close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
}

OpenStatus open_year_file(const std::string& database_directory, const YearsPresent& years,
                          int year, int32_t wban, YearFile& file) {
  file.close();
  const YearFileNames names = year_file_names(database_directory, years, year, wban);
  const std::string* existing = nullptr;
  for (int i = 0; i < names.count; ++i) {
    std::FILE* stream = std::fopen(names.names[i].c_str(), "rb");
    if (stream != nullptr && is_folder(names.names[i])) {
      // A folder opens for reading here but has no bytes to read: it exists and cannot be read.
      std::fclose(stream);
      stream = nullptr;
    }
    if (stream != nullptr) {
      file.stream_ = stream;
      file.path_ = names.names[i];
      return OpenStatus::OPENED;
    }
    if (existing == nullptr && name_exists(names.names[i])) existing = &names.names[i];
  }
  file.path_ = existing != nullptr ? *existing : names.names[0];
  return existing != nullptr ? OpenStatus::NOT_OPENED : OpenStatus::ABSENT;
}

}  // namespace wxfetch
