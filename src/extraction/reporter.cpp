#include "extraction/reporter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "console/console.h"
#include "console/keyword_help.h"
#include "console/reply.h"
#include "number_format.h"

namespace wxfetch {

void write_progress(std::ostream& out, std::string_view first, long first_number,
                    std::string_view second, long second_number) {
  char line[128];
  char* end = line;
  const auto put = [&](std::string_view text, long number) {
    text = text.substr(0, 40);
    end = std::copy(text.begin(), text.end(), end);
    end = put_right_aligned(end, number, 0);
  };
  put(first, first_number);
  if (!second.empty()) put(second, second_number);
  *end++ = '\r';
  out.write(line, end - line);
}

void ConsoleReporter::status(std::string_view line) {
  console_.out << line;
}

void ConsoleReporter::progress(std::string_view first, long first_number, std::string_view second,
                               long second_number) {
  write_progress(console_.out, first, first_number, second, second_number);
}

void ConsoleReporter::warning(std::string_view line) {
  console_.err << line;
}

void ConsoleReporter::failure(const char* text) {
  const int error = errno;
  console_.out.flush();
  console_.err << text << ": " << std::strerror(error) << "\n";
}

void ConsoleReporter::no_files_open(const std::string& database_directory) {
  console_.out << "\tWARNING:  No database files could be opened in: " << database_directory
               << "\n\n"
               << "\tEnter HELP for more information \n"
               << "\tEnter <return> for another database access \n"
               << "    Your choice? ";
  std::string reply;
  read_reply(console_, reply);
  KeywordHelp(console_, reply, "NO_FILES_OPEN");
}

void ConsoleReporter::out_of_memory() {
  console_.out.flush();
  console_.err << " ERROR: out of memory\n";
  console_.end_program(0);
}

}  // namespace wxfetch
