// The request dialogue: the fixed sequence of questions that fills the AccessRequest, selects
// the stations, runs an extraction driver with the writer of the chosen format and offers to
// continue or to make another request.
#pragma once

#include <cstdint>

namespace wxfetch {

struct ProgramContext;

// Runs the dialogue until the user wants no more data; returns the result of the last
// extraction driver call (0 when none ran).
int32_t run_request_dialogue(ProgramContext& ctx);

}  // namespace wxfetch
