#include "database/archive_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/text.h"
#include "database/archive_names.h"

namespace wxfetch {

namespace {

// True when `name` is a year folder in one of the spellings the readers accept.
bool is_year_folder_name(const std::string& name) {
  for (int spelling = 1; spelling <= 3; ++spelling) {
    const std::string_view prefix = YEAR_FOLDER_SPELLINGS[spelling];
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

// Removes the temporary station-year files in the year folders of `directory`; returns how many.
int remove_leftovers(const std::string& directory) {
  namespace fs = std::filesystem;
  int removed = 0;
  std::error_code error;
  for (const fs::directory_entry& folder : fs::directory_iterator(directory, error)) {
    if (!is_year_folder_name(folder.path().filename().string())) continue;
    if (!folder.is_directory(error)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(folder.path(), error)) {
      if (!is_temporary_station_year_name(file.path().filename().string())) continue;
      if (file.is_regular_file(error) && fs::remove(file.path(), error)) ++removed;
    }
  }
  return removed;
}

}  // namespace

bool is_temporary_station_year_name(const std::string& name) {
  for (const char* extension : {".BUF", ".buf"}) {
    const size_t at = name.find(extension);
    if (at == std::string::npos || at == 0) continue;
    const std::string_view rest = std::string_view(name).substr(at + 4);
    if (rest == ".wxpack-part" || rest.starts_with(".tmp-")) return true;
  }
  return false;
}

ArchiveLock::ArchiveLock(const std::string& database_directory,
                         const std::function<void()>& waiting) {
  std::string directory = database_directory;
  append_separator(directory);
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  // The lock is the folder's own: no lock file is left in the archive.
  const std::string path = directory.empty() ? "." : directory;
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw std::runtime_error(file_error(path, errno));
  int taken = ::flock(fd_, LOCK_EX | LOCK_NB);
  if (taken != 0 && errno == EWOULDBLOCK) {
    if (waiting) waiting();
    while ((taken = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
  }
  if (taken != 0) {
    const int reason = errno;
    ::close(fd_);
    throw std::runtime_error(file_error(path, reason));
  }
  leftovers_removed_ = remove_leftovers(directory);
}

ArchiveLock::~ArchiveLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the descriptor releases the lock
}

}  // namespace wxfetch
