#include "console/pager.h"

#include <ostream>
#include <string>

#include "console/console.h"
#include "console/reply.h"

namespace wxfetch {

void start_paging(Console& ctx, bool on_screen) {
  if (on_screen) {
    ctx.paging.lines_since_pause = 0;
    ctx.paging.paging_on = true;
  } else {
    ctx.paging.paging_on = false;
  }
}

void screen_pause(Console& ctx) {
  // A page length of 0 or less never pauses (a count that starts at 1 never reaches it); the
  // count is not kept then, so that it cannot overflow on a very long run.
  if (!ctx.paging.paging_on || ctx.page_length <= 0) return;
  if (++ctx.paging.lines_since_pause != ctx.page_length) return;
  ctx.out << " Enter <return> to scroll, 'a' to abort, 'c' to continue:  ";
  std::string reply;
  read_reply(ctx, reply);
  const char first = reply.empty() ? '\0' : reply[0];
  if (first == 'a' || first == 'A') {
    ctx.out << " Exiting radiosonde database ... \n";
    ctx.end_program(0);
  } else if (first == 'c' || first == 'C') {
    ctx.paging.paging_on = false;
  } else {
    ctx.paging.lines_since_pause = 0;
  }
}

}  // namespace wxfetch
