#include "base/number_format.h"

#include <vector>

namespace wxfetch {
namespace detail {

const uint64_t* six_column_fields() {
  static const std::vector<uint64_t> fields = [] {
    std::vector<uint64_t> table(static_cast<size_t>(SIX_COLUMN_LAST - SIX_COLUMN_FIRST + 1));
    for (int64_t value = SIX_COLUMN_FIRST; value <= SIX_COLUMN_LAST; ++value) {
      char field[MAX_INTEGER_TEXT + 8];
      put_right_aligned_fixed<6>(field, value);
      field[6] = field[7] = ' ';
      __builtin_memcpy(&table[static_cast<size_t>(value - SIX_COLUMN_FIRST)], field, 8);
    }
    return table;
  }();
  return fields.data();
}

}  // namespace detail
}  // namespace wxfetch
