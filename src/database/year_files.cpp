#include "database/year_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

std::FILE* open_regular_file(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  std::FILE* stream = nullptr;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    const int error = S_ISREG(status.st_mode) ? errno : ENODEV;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  // The drivers read through windows of their own: no stream buffer (with 2000 files a year
  // they would take 8 MB).
  std::setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

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
    std::FILE* stream = open_regular_file(names.names[i]);
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

bool year_file_exists(const std::string& database_directory, const YearsPresent& years, int year,
                      int32_t wban) {
  const YearFileNames names = year_file_names(database_directory, years, year, wban);
  for (int i = 0; i < names.count; ++i) {
    if (name_exists(names.names[i])) return true;
  }
  return false;
}

}  // namespace wxfetch
