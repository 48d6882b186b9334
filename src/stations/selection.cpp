#include "stations/selection.h"

#include "program.h"

namespace wxfetch {

// Placeholder until selection is built.
void select_stations(ProgramContext&, float, float, float, float, int16_t, int32_t, int32_t) {}
int16_t find_history_row(const ProgramContext&, int32_t, int32_t) {
  return -1;
}

}  // namespace wxfetch
