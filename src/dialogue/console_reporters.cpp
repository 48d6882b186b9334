#include "dialogue/console_reporters.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "base/text.h"
#include "console/ask.h"
#include "console/console.h"
#include "console/keyword_help.h"
#include "console/pager.h"
#include "console/reply.h"
#include "output/output_stream.h"

namespace wxfetch {

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

void ConsoleFileReporter::file_opened(const std::string& path) {
  console_.out << " STATUS:  Writing output file: " << path << "        \n";
}

// Asks what to do when no file can be written to the directory: HELP explains, <return> asks for
// another directory, anything else ends the program.
std::string ConsoleFileReporter::directory_after_failure(const std::string& path) {
  console_.out << "\n\n\n ERROR: unable to write files to: " << path << "\n";
  std::string reply;
  do {
    console_.out << "\n  Enter     HELP for more information\n"
                 << "            <return> to choose another directory\n"
                 << "            EXIT to quit\n"
                 << "     Your choice? ";
    read_reply(console_, reply);
  } while (KeywordHelp(console_, reply, "NO_DIRECTORY") == 1);
  if (!reply.empty()) {
    console_.out << "\n\n Exiting tefa database ...\n";
    console_.end_program(0);
  }
  stream_.use_none();
  std::string directory;
  ask_output_directory(console_, directory);
  return directory;
}

void ConsoleFileReporter::write_failed(int error_number) {
  console_.out.flush();
  console_.err << "Write error: " << std::strerror(error_number) << '\n';
  console_.err.flush();
  console_.end_program(0);
}

void ConsolePager::start(bool on_screen) {
  start_paging(console_, on_screen);
}

void ConsolePager::count_line() {
  screen_pause(console_);
}

bool ConsolePager::on() const {
  return console_.paging.paging_on;
}

void ask_output_directory(Console& console, std::string& directory) {
  std::string reply;
  while (ask(console,
             "\n Where do you want to write the output files?\n"
             "  Enter the disk and directory only: " +
                 directory + std::string(directory.size(), '\b'),
             reply, "OUTPUT_DIRECTORY")) {
  }
  const std::string_view word = first_word(reply);
  if (!word.empty()) directory.assign(word);
  append_separator(directory);
}

}  // namespace wxfetch
