#include "console/keyword_help.h"

#include <istream>
#include <ostream>

#include "base/text.h"
#include "console/console.h"
#include "console/reply.h"

namespace wxfetch {

namespace {

constexpr size_t KEY_COMPARE_LENGTH = 10;

// Compares at most the first `length` characters of two texts as strncmp does: a text that ends
// early compares as a terminating zero.
bool same_prefix(std::string_view a, std::string_view b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const char x = i < a.size() ? a[i] : '\0';
    const char y = i < b.size() ? b[i] : '\0';
    if (x != y) return false;
    if (x == '\0') return true;
  }
  return true;
}

// Prints the section of `topic` from the help file, pausing every page; returns true when the
// section ended at its end line, false when the file ended first.
bool print_help_section(Console& ctx, std::string& reply, std::string_view topic) {
  const std::string_view key = first_word(topic);
  std::istream* file = ctx.help_file.get();
  std::string piece;
  bool found = false;
  if (file != nullptr) {
    file->clear();
    file->seekg(0);
    while (read_piece(*file, piece, REPLY_BUFFER)) {
      if (same_prefix(piece, key, KEY_COMPARE_LENGTH)) {
        found = true;
        break;
      }
    }
  }
  if (!found) {
    ctx.out << " END OF FILE\n\n";
    ctx.end_program(0);
  }
  ctx.out << "\n";
  int32_t counter = 0;
  while (read_piece(*file, piece, REPLY_BUFFER)) {
    if (piece.compare(0, 3, "END") == 0) {
      ctx.out << "\n";
      return true;
    }
    if (counter > ctx.page_length) {
      ctx.out << " Press <enter> to continue\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b";
      read_reply(ctx, reply);
      counter = 0;
    } else {
      ++counter;
    }
    // A line written with CR-LF ends prints like any other.
    if (piece.size() >= 2 && piece[piece.size() - 2] == '\r' && piece.back() == '\n') {
      piece.erase(piece.size() - 2, 1);
    }
    ctx.out << piece << "\n";
  }
  ctx.out << " \n ERROR: corrupt help file:  tefahelp.txt \n";
  return false;
}

// The usage text; with `page_length_line` it also names the optional third argument.
void write_usage_text(std::ostream& out, bool page_length_line) {
  out << std::string(80, '-') << "\n"
      << "  In order to access the tefa database, two command line input parameters\n"
      << "  are required:\n"
      << "\tparameter #1:\tlocation (directory) of the database files\n"
      << "\tparameter #2:\tlocation (directory) of the support files:\n"
      << "\t                  -- tefahelp.txt\n"
      << "\t                  -- stat2000.txt\n"
      << "\t                  -- international_sites.txt\n";
  if (page_length_line) out << "\tparameter #3:\tlines per screen page (optional, default 20)\n";
  out << "\n  NOTE: default paths are the current directory\n\n" << std::string(79, '-') << "\n";
}

}  // namespace

void print_usage_text(std::ostream& out) {
  write_usage_text(out, false);
}

void print_command_line_help(std::ostream& out) {
  write_usage_text(out, true);
}

int16_t KeywordHelp(Console& ctx, std::string& reply, std::string_view topic) {
  int16_t result = 0;
  if (reply == "HELP" || reply == "help") {
    result = 1;
    if (same_prefix(topic, "SOFTWARE_LOCATION", 16)) {
      print_usage_text(ctx.out);
    } else if (print_help_section(ctx, reply, topic)) {
      return result;
    }
  }
  // After a corrupt section the reply is whatever was typed at its last pause.
  if (reply == "STAT" || reply == "stat") {
    result = 1;
    if (ctx.station_history) ctx.station_history();
  }
  return result;
}

}  // namespace wxfetch
