// Screen paging: while a run writes soundings to the screen, every page_length counted lines the
// program pauses and asks whether to scroll on, to stop pausing or to abort.
#pragma once

#include <cstdint>

namespace wxfetch {

struct ProgramContext;

struct PagingState {
  bool paging_on = false;
  int32_t lines_since_pause = 0;
};

// Switches paging on (output_location 0, the screen) or off (files) for a new extraction run.
void start_paging(ProgramContext& ctx, int16_t output_location);

// Counts one written line; after page_length lines prints the pause prompt and reads a reply:
// 'a'/'A' ends the program (status 0), 'c'/'C' stops pausing for the run, anything else scrolls.
void screen_pause(ProgramContext& ctx);

}  // namespace wxfetch
