// The records an import has built and not yet written: kept in memory up to a bound, and beyond
// it in an unnamed temporary file, so that an import of any size gathers every station-year
// whole (and writes it once) in bounded memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace wxfetch {
namespace pack {

class RecordStore {
 public:
  // Records stay in memory until they take `memory_bound` bytes; then all of them move to the
  // temporary file.
  explicit RecordStore(size_t memory_bound = DEFAULT_MEMORY_BOUND) : bound_(memory_bound) {}

  // Stores `bytes`; returns where they are (for get). Throws std::runtime_error when the
  // temporary file cannot be written.
  int64_t put(const std::vector<uint8_t>& bytes);
  // The `length` bytes stored at `at`. Throws std::runtime_error when they cannot be read back.
  std::vector<uint8_t> get(int64_t at, uint32_t length) const;
  // Bytes moved to the temporary file so far.
  int64_t spilled() const { return memory_base_; }

  static constexpr size_t DEFAULT_MEMORY_BOUND = size_t{128} << 20;

 private:
  void spill();

  size_t bound_;
  std::vector<uint8_t> memory_;
  int64_t memory_base_ = 0;  // where memory_[0] is: everything before it is in the file
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{nullptr, &std::fclose};
};

}  // namespace pack
}  // namespace wxfetch
