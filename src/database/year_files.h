// Station-year files as their readers hold them: a move-only owner of one open file (closed once,
// by whoever holds it last), and opening a station's file of a year under the names it may have.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <string>

namespace wxfetch {

struct YearsPresent;

enum class OpenStatus {
  ABSENT,      // there is no such file
  OPENED,      // the file was opened
  NOT_OPENED,  // the file exists but could not be opened, or is no regular file (a folder,
               // a named pipe, a device)
};

// One open station-year file (or none). Moving hands the file on; the destructor closes it.
class YearFile {
 public:
  YearFile() = default;
  ~YearFile() { close(); }
  YearFile(YearFile&& other) noexcept;
  YearFile& operator=(YearFile&& other) noexcept;
  YearFile(const YearFile&) = delete;
  YearFile& operator=(const YearFile&) = delete;

  bool is_open() const { return stream_ != nullptr; }
  // REQUIRES: is_open().
  std::FILE* stream() const {
    assert(is_open());
    return stream_;
  }
  // The name the file was opened under, or looked for (for messages).
  const std::string& path() const { return path_; }
  void close();

 private:
  friend OpenStatus open_year_file(const std::string&, const YearsPresent&, int, int32_t,
                                   YearFile&);
  std::FILE* stream_ = nullptr;
  std::string path_;
};

// Opens `name` to read when it is a regular file, without blocking (a named pipe of that name
// cannot hold the run) and without a stream buffer (readers use windows of their own). Null,
// with errno set, when it cannot be opened or is a folder, a pipe or a device.
std::FILE* open_regular_file(const std::string& name);

// Opens the file of `wban` for `year` under the names year_file_names gives, into `file` (which
// is closed first). Sets the file's path to the name opened, else to the first name that exists,
// else to the upper-case name.
OpenStatus open_year_file(const std::string& database_directory, const YearsPresent& years,
                          int year, int32_t wban, YearFile& file);

// True when the file of `wban` for `year` exists under one of its names (open_year_file would
// not answer ABSENT); nothing is opened.
bool year_file_exists(const std::string& database_directory, const YearsPresent& years, int year,
                      int32_t wban);

}  // namespace wxfetch
