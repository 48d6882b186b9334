#include "output/faa604_writer.h"

#include "program.h"

namespace wxfetch {

// Placeholders until the FAA604 writer is built.
void pad_digits(int, std::string&) {}
void write_faa604_sounding(ProgramContext&, int16_t, int16_t) {}

}  // namespace wxfetch
