#include "output/kvt_writer.h"

#include "program.h"

namespace wxfetch {

// Placeholder until the KVT writer is built.
void write_kvt_sounding(ProgramContext&, int16_t, int16_t, int16_t) {}

}  // namespace wxfetch
