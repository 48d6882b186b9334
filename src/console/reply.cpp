#include "console/reply.h"

#include <istream>
#include <ostream>

#include "console/console.h"

namespace wxfetch {

void read_reply(Console& ctx, std::string& reply) {
  ctx.out.flush();
  if (!read_piece(ctx.in, reply, REPLY_BUFFER)) ctx.end_program(0);
  if (reply.back() == '\n') {
    reply.pop_back();
    if (!reply.empty() && reply.back() == '\r') reply.pop_back();
  } else if (reply.size() == REPLY_BUFFER - 1) {
    // A full buffer loses its last character just as a line loses its line end. When that
    // character is the carriage return of a CR-LF end, its line feed goes with it, so that the
    // line gives one reply as it does with a plain LF end.
    if (reply.back() == '\r' && ctx.in.peek() == '\n') ctx.in.get();
    reply.pop_back();
  }
  // A reply ends at its first NUL byte, as a C string would: nothing after it may become part
  // of a file name (where the system would cut it there anyway), a key or a number.
  const size_t nul = reply.find('\0');
  if (nul != std::string::npos) reply.resize(nul);
}

}  // namespace wxfetch
