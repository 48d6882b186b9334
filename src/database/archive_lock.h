// Writers of one archive take turns: every run that writes station-year files holds the
// archive's advisory lock (flock on the archive's folder) while it reads and rewrites them, so that
// two imports at once both end up in the files instead of one replacing the other. Readers
// (wxfetch, wxget, wxls) take no lock: a file is always replaced whole, by rename.
#pragma once

#include <functional>
#include <string>

namespace wxfetch {

class ArchiveLock {
 public:
  // Creates `database_directory` when it is missing and takes its lock, waiting for another
  // writer to finish (`waiting` is called once before such a wait). Then removes what writers
  // killed before they could clean up left behind: temporary station-year files in the year
  // folders. Throws std::runtime_error ("DIR: reason") when the lock cannot be taken.
  explicit ArchiveLock(const std::string& database_directory,
                       const std::function<void()>& waiting = {});
  ~ArchiveLock();
  ArchiveLock(const ArchiveLock&) = delete;
  ArchiveLock& operator=(const ArchiveLock&) = delete;

  // The number of leftover temporary files removed when the lock was taken.
  int leftovers_removed() const { return leftovers_removed_; }

 private:
  int fd_ = -1;
  int leftovers_removed_ = 0;
};

// True when `name` (a file name without folder) is a temporary name of a station-year file:
// "<name>.tmp-<pid>-<serial>" as output files are written, or the "<name>.wxpack-part" of
// earlier versions.
bool is_temporary_station_year_name(const std::string& name);

}  // namespace wxfetch
