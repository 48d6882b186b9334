// Asking: a question printed, a reply read, and HELP or STAT served before the question is asked
// again. Menus keep their choice as a number, or as an enum class whose values are the numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wxfetch {

struct Console;

// Prints `question`, reads one reply into `reply` and serves a help or station history request.
// Returns true when the reply was such a request (the caller asks again).
bool ask(Console& console, std::string_view question, std::string& reply, std::string_view topic);

// A yes/no question with the default "[N]" (part of `question`): true only for a reply whose
// first character is Y or y.
bool ask_yes_no(Console& console, std::string_view question, std::string_view topic);

// A menu question: prints `question`, "[", the current number and "]\b\b", and reads replies
// until the number lies from 0 to `highest`. A reply without a leading number keeps the number
// shown; a number out of range prints the range error and is shown as the next default.
// Returns the accepted number.
int16_t ask_menu_number(Console& console, std::string_view question, std::string_view topic,
                        int16_t shown, int16_t highest);

// ask_menu_number for a choice kept as an enum class: the choices are the numbers 0 to `highest`.
template <typename Choice>
void ask_menu(Console& console, std::string_view question, std::string_view topic, Choice& field,
              Choice highest) {
  field = static_cast<Choice>(ask_menu_number(console, question, topic, static_cast<int16_t>(field),
                                              static_cast<int16_t>(highest)));
}

// The range error of menus and counts.
inline constexpr const char* RANGE_ERROR = "\n ERROR: value out of range - please choose again\n\n";

}  // namespace wxfetch
