// Screen paging: while a run writes soundings to the screen, every page_length counted lines the
// program pauses and asks whether to scroll on, to stop pausing or to abort.
#pragma once

namespace wxfetch {

struct Console;

// Switches paging on (a run to the screen) or off (a run to files) for a new run.
void start_paging(Console& console, bool on_screen);

// Counts one written line; after page_length lines prints the pause prompt and reads a reply:
// 'a'/'A' ends the program (status 0), 'c'/'C' stops pausing for the run, anything else scrolls.
void screen_pause(Console& console);

}  // namespace wxfetch
