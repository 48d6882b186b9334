#include "import/record_store.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace wxfetch {
namespace pack {

namespace {

[[noreturn]] void fail(const char* what) {
  throw std::runtime_error(std::string(what) +
                           " the import's temporary file: " + std::strerror(errno));
}

}  // namespace

int64_t RecordStore::put(const std::vector<uint8_t>& bytes) {
  if (memory_.size() + bytes.size() > bound_ && !memory_.empty()) spill();
  const int64_t at = memory_base_ + static_cast<int64_t>(memory_.size());
  memory_.insert(memory_.end(), bytes.begin(), bytes.end());
  return at;
}

void RecordStore::spill() {
  if (!file_) {
    file_.reset(std::tmpfile());  // removed by the system when closed, however the run ends
    if (!file_) fail("cannot create");
  }
  if (std::fseek(file_.get(), 0, SEEK_END) != 0 ||
      std::fwrite(memory_.data(), 1, memory_.size(), file_.get()) != memory_.size() ||
      std::fflush(file_.get()) != 0) {
    fail("cannot write");
  }
  memory_base_ += static_cast<int64_t>(memory_.size());
  memory_.clear();
}

std::vector<uint8_t> RecordStore::get(int64_t at, uint32_t length) const {
  if (at >= memory_base_) {
    const auto from = memory_.begin() + (at - memory_base_);
    return std::vector<uint8_t>(from, from + length);
  }
  std::vector<uint8_t> bytes(length);
  if (std::fseek(file_.get(), static_cast<long>(at), SEEK_SET) != 0 ||
      std::fread(bytes.data(), 1, length, file_.get()) != length) {
    fail("cannot read");
  }
  return bytes;
}

}  // namespace pack
}  // namespace wxfetch
