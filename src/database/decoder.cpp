#include "database/decoder.h"

#include "program.h"

namespace wxfetch {

// Placeholder until records are decoded.
bool decode_sounding(ProgramContext&, int16_t, int16_t, int16_t, int16_t) {
  return false;
}

}  // namespace wxfetch
