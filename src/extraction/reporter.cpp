#include "extraction/reporter.h"

#include <algorithm>
#include <ostream>

#include "base/number_format.h"

namespace wxfetch {

void write_progress(std::ostream& out, std::string_view first, long first_number,
                    std::string_view second, long second_number) {
  char line[128];
  char* end = line;
  const auto put = [&](std::string_view text, long number) {
    text = text.substr(0, 40);
    end = std::copy(text.begin(), text.end(), end);
    end = put_right_aligned(end, number, 0);
  };
  put(first, first_number);
  if (!second.empty()) put(second, second_number);
  *end++ = '\r';
  out.write(line, end - line);
}

}  // namespace wxfetch
