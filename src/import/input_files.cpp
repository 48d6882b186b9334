#include "import/input_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <limits>
#include <memory>
#include <streambuf>

#include "base/input_file.h"
#include "base/text.h"

#ifdef WXFETCH_HAVE_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif

namespace wxfetch {
namespace pack {

namespace {

bool ends_with_folded(const std::string& path, std::string_view suffix) {
  if (path.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char c = path[path.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

std::string open_error(const std::string& path) {
  return errno == ENODEV ? path + ": not a regular file" : file_error(path, errno);
}

#ifdef WXFETCH_HAVE_LIBARCHIVE

using Archive = std::unique_ptr<archive, int (*)(archive*)>;

// The data of the current member of an archive as a stream buffer.
class MemberBuffer : public std::streambuf {
 public:
  explicit MemberBuffer(archive* a) : archive_(a) {}
  bool failed() const { return failed_; }

 protected:
  int_type underflow() override {
    const la_ssize_t got = archive_read_data(archive_, space_, sizeof space_);
    if (got <= 0) {
      failed_ = got < 0;
      return traits_type::eof();
    }
    setg(space_, space_, space_ + got);
    return traits_type::to_int_type(space_[0]);
  }

 private:
  archive* archive_;
  bool failed_ = false;
  char space_[1 << 16];
};

// Opens `path` to read as a regular file, without waiting on a named pipe; -1 (errno set)
// otherwise.
int open_regular(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    errno = ENODEV;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::string read_compressed(const std::string& path, bool zip, const InputReader& read) {
  const int fd = open_regular(path);
  if (fd < 0) return open_error(path);
  Archive a(archive_read_new(), &archive_read_free);
  if (zip) {
    archive_read_support_format_zip(a.get());
  } else {
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_raw(a.get());
  }
  if (archive_read_open_fd(a.get(), fd, 1 << 16) != ARCHIVE_OK) {
    const std::string error = path + ": " + archive_error_string(a.get());
    ::close(fd);
    return error;
  }
  std::string problem;
  archive_entry* entry = nullptr;
  int status;
  while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
    if (zip && archive_entry_filetype(entry) != AE_IFREG) continue;
    MemberBuffer buffer(a.get());
    std::istream text(&buffer);
    read(text, zip ? path + ":" + archive_entry_pathname(entry) : path);
    if (buffer.failed()) {
      problem = path + ": " + archive_error_string(a.get());
      break;
    }
  }
  if (problem.empty() && status != ARCHIVE_EOF)
    problem = path + ": " + archive_error_string(a.get());
  archive_read_close(a.get());
  ::close(fd);
  return problem;
}

#endif

}  // namespace

bool reads_compressed_inputs() {
#ifdef WXFETCH_HAVE_LIBARCHIVE
  return true;
#else
  return false;
#endif
}

std::string read_inputs(const std::string& path, const InputReader& read) {
  const bool zip = ends_with_folded(path, ".zip");
  if (zip || ends_with_folded(path, ".gz")) {
#ifdef WXFETCH_HAVE_LIBARCHIVE
    return read_compressed(path, zip, read);
#else
    return path + ": this build reads no .zip or .gz file (it was built without libarchive)";
#endif
  }
  const std::unique_ptr<InputFile> file =
      InputFile::open(path, std::numeric_limits<uint64_t>::max());
  if (!file) return open_error(path);
  read(*file, path);
  return "";
}

}  // namespace pack
}  // namespace wxfetch
