#include "dialogue/request_dialogue.h"

#include "program.h"

namespace wxfetch {

// Placeholder until the dialogue is built.
int32_t run_request_dialogue(ProgramContext&) {
  return 0;
}

}  // namespace wxfetch
