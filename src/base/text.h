// Small text helpers shared by every subsystem: printf-style formatting into a std::string, the
// C-style integer reading ("leading blanks, an optional sign, digits up to the first non-digit")
// that replies, support files and date texts are read with, directory texts, the calendar and
// the text of a system error.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

namespace wxfetch {

// Returns the text that printf would print for `format` and its arguments.
std::string cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Reads a decimal integer from the start of `text` as sscanf("%ld") does: leading white space is
// skipped, an optional sign is taken, digits are read up to the first non-digit. Returns false
// (and leaves `value` alone) when no digit follows. Values beyond 64 bits saturate.
bool scan_long(std::string_view text, long& value);

// Returns the first blank-delimited word of `text` (leading white space skipped), or "".
std::string_view first_word(std::string_view text);

// A directory as the messages show it: "<current directory>" for the empty text.
std::string shown_directory(const std::string& directory);

// A date and hour in ISO 8601 UTC: "1999-03-01T00:00Z" (fields out of their range print as
// they are).
std::string iso_time(int year, int month, int day, int hour);

// True for a leap year of the Gregorian calendar.
bool leap_year(int year);

// The number of days of `month` (1 to 12) in `year`.
int days_in_month(int year, int month);

// "NAME: the system's text for `error_number`" (strerror), as messages about files read.
std::string file_error(const std::string& name, int error_number);

// Appends the directory separator "/" to a directory text that does not end in one; the empty
// text (the current directory) stays empty.
void append_separator(std::string& directory);

}  // namespace wxfetch
