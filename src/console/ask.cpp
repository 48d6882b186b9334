#include "console/ask.h"

#include <ostream>

#include "base/text.h"
#include "console/console.h"
#include "console/keyword_help.h"
#include "console/reply.h"

namespace wxfetch {

bool ask(Console& console, std::string_view question, std::string& reply, std::string_view topic) {
  console.out << question;
  read_reply(console, reply);
  return KeywordHelp(console, reply, topic) == 1;
}

bool ask_yes_no(Console& console, std::string_view question, std::string_view topic) {
  std::string reply;
  while (ask(console, question, reply, topic)) {
  }
  return !reply.empty() && (reply[0] == 'Y' || reply[0] == 'y');
}

int16_t ask_menu_number(Console& console, std::string_view question, std::string_view topic,
                        int16_t shown_number, int16_t highest) {
  long shown = shown_number;
  std::string reply;
  for (;;) {
    if (ask(console,
            cformat("%.*s[%ld]\b\b", static_cast<int>(question.size()), question.data(), shown),
            reply, topic)) {
      continue;
    }
    scan_long(reply, shown);
    if (shown >= 0 && shown <= highest) break;
    console.out << RANGE_ERROR;
  }
  return static_cast<int16_t>(shown);
}

}  // namespace wxfetch
