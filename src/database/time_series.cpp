#include "database/time_series.h"

#include "program.h"

namespace wxfetch {

// Placeholder until the synoptic driver is built.
int32_t extract_time_series(ProgramContext&, const std::string&, const std::string&, int16_t,
                            int16_t, int16_t, int16_t, int16_t, int16_t, std::string&) {
  return 0;
}

}  // namespace wxfetch
