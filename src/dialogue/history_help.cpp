#include "dialogue/history_help.h"

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/text.h"
#include "console/console.h"
#include "console/keyword_help.h"
#include "console/reply.h"
#include "stations/catalogue.h"

namespace wxfetch {

namespace {

constexpr const char* DASH_LINE =
    "-------------------------------------------------------------------------------\n";
constexpr const char* STAR_LINE =
    "*******************************************************************************\n";

// The date text holds YYYYMMDD; a key word is cut to this many characters.
constexpr size_t DATE_TEXT_LENGTH = 8;
constexpr size_t KEY_TEXT_LENGTH = 10;
// The years a history date may name.
constexpr long FIRST_HISTORY_YEAR = 1946;
constexpr long LAST_HISTORY_YEAR = 4600;
// STAT at a question of the help opens a visit inside the visit; beyond this many open visits
// a further STAT only says so, so that a script of STAT replies cannot exhaust the stack.
constexpr int MAX_OPEN_VISITS = 16;

// What a visit reads: the console (as `out`, `in` and `page_length`), the catalogue and the
// default date.
struct HistoryContext {
  Console& console;
  std::istream& in;
  std::ostream& out;
  const int32_t page_length;
  const StationCatalogue& catalogue;
  const std::string& default_date;

  [[noreturn]] void end_program(int status) { console.end_program(status); }
};

// The search menu: modes 0 to 2 look for a word, 3 and 4 for a number, 5 shows every row.
enum SearchMode : long {
  BY_INITIALS = 0,
  BY_STATE = 1,
  BY_COUNTRY = 2,
  BY_WBAN = 3,
  BY_WMO = 4,
  ALL_ROWS = 5,
};

struct KeyedModeText {
  const char* prompt;
  const char* another_search;
};

// Indexed by the modes BY_INITIALS .. BY_WMO.
constexpr KeyedModeText KEYED_MODE_TEXTS[] = {
    {"\n  Enter the three letter (upper case) STATION identifier: ",
     "\n   Three Letter ID:  another search? [Y/N] N\b"},
    {"  Enter the two letter (upper case) STATE identifier: ",
     "\n   Two Letter State:  another search? [Y/N] N\b"},
    {"  Enter the two letter (upper case) COUNTRY identifier: ",
     "\n   Two Letter Country:  another search? [Y/N] N\b"},
    {"  Enter the five digit WBAN station identifier: ",
     "\n   Five Digit WBAN id:  another search? [Y/N] N\b"},
    {"  Enter the five digit WMO station identifier: ",
     "\n   Five Digit WMO id:  another search? [Y/N] N\b"},
};

// State of one visit. The keys are absent until a search of the visit has set them, so that a
// first search with an empty key finds nothing rather than rows whose fields are empty.
struct Visit {
  bool date_filter = false;
  int32_t date = 0;  // YYYYMMDD, meaningful when date_filter is on
  std::string date_text;
  long search_choice = 0;
  std::optional<std::string> key_text;
  std::optional<long> key_number;
};

// A catalogue text field up to its terminating zero, never beyond its array.
template <size_t N>
std::string_view field_text(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// Reads the integer at the start of `length` characters of `text` from `position`; 0 when they
// hold no number (or the text is shorter).
long number_at(std::string_view text, size_t position, size_t length) {
  long value = 0;
  if (position >= text.size() || !scan_long(text.substr(position, length), value)) return 0;
  return value;
}

// Prints the table head when `found` is not yet set, then catalogue row `row` (its name cut to
// 16 characters); pauses with " Press <enter> to continue" once more than page_length - 4 rows
// were shown since the last pause, discarding the whole line typed there.
void show_history_row(HistoryContext& ctx, int32_t row, int32_t& rows_shown, bool& found) {
  if (!found) {
    ctx.out << STAR_LINE
            << " INIT   WBAN    WMO    LAT   LONG   ELEV    NAME           ST  CY   BYR    EYR\n"
            << DASH_LINE;
    found = true;
  }
  const StationEntry& entry = ctx.catalogue.entries[row];
  const std::string initials(field_text(entry.initials));
  const std::string name(field_text(entry.name).substr(0, 16));
  const std::string state(field_text(entry.state));
  const std::string country(field_text(entry.country));
  ctx.out << cformat("%4s %7ld %7ld %6.2f %6.2f %5d %16s %3s %3s %6ld %6ld\n", initials.c_str(),
                     static_cast<long>(entry.wban), static_cast<long>(entry.wmo),
                     static_cast<double>(entry.latitude), static_cast<double>(entry.longitude),
                     static_cast<int>(entry.elevation), name.c_str(), state.c_str(),
                     country.c_str(), static_cast<long>(entry.period_begin),
                     static_cast<long>(entry.period_end));
  // In 64 bits: the page length may be any 32-bit number.
  if (rows_shown > static_cast<int64_t>(ctx.page_length) - 4) {
    ctx.out << " Press <enter> to continue";
    ctx.out.flush();
    std::string piece;
    if (!read_piece(ctx.in, piece, REPLY_BUFFER)) ctx.end_program(0);
    while (piece.back() != '\n' && read_piece(ctx.in, piece, REPLY_BUFFER)) {
    }
    rows_shown = 0;
  } else {
    ++rows_shown;
  }
}

// Prints the closing banner of a search: the accuracy warning (with the date when the filter is
// on) after a table, or the "No station entry" banner when nothing was found.
void show_search_result(HistoryContext& ctx, bool found, bool date_filter, int32_t date) {
  ctx.out << STAR_LINE;
  if (found) {
    if (date_filter)
      ctx.out << cformat("\t\t\tStation History for %ld \n", static_cast<long>(date));
    ctx.out << "  WARNING: These station history entries contain the best information\n"
            << "   currently available, however, they may not be completely accurate. \n\n";
  } else {
    ctx.out << "\n\t\tNo station entry was found for your search\n\n" << STAR_LINE;
  }
}

// Asks whether to look at one date only. Returns true when the date entry follows, false when
// the menu follows with the filter off (answer not Y, or a help or nested visit served).
bool wants_date_filter(HistoryContext& ctx) {
  std::string reply;
  ctx.out << "\n Do you wish to view station history entries for a specific date? [Y/N] Y\b";
  read_reply(ctx.console, reply);
  if (KeywordHelp(ctx.console, reply, "DATE_HIS_HELP") == 1) return false;
  const char answer = reply.empty() ? 'Y' : reply[0];
  return answer == 'Y' || answer == 'y';
}

// Asks for the date until one is accepted, then turns the filter on. The date text offered is
// read as year (characters 1-4), month (5-6) and day (7-8), each from the start of its characters.
void read_history_date(HistoryContext& ctx, Visit& visit) {
  std::string reply;
  for (;;) {
    ctx.out << "\n What is the date? YYYYMMDD [" << visit.date_text << "]\b\b\b\b\b\b\b\b\b";
    read_reply(ctx.console, reply);
    if (KeywordHelp(ctx.console, reply, "DATES_STAT") == 1) continue;
    if (!reply.empty() && reply.size() != DATE_TEXT_LENGTH) {
      ctx.out << " ERROR - date string must have 8 digits\n\n";
      visit.date_text = ctx.default_date.substr(0, DATE_TEXT_LENGTH);
      continue;
    }
    if (!reply.empty()) visit.date_text = std::string(first_word(reply));
    const long year = number_at(visit.date_text, 0, 4);
    const long month = number_at(visit.date_text, 4, 2);
    const long day = number_at(visit.date_text, 6, 2);
    if (year < FIRST_HISTORY_YEAR || year > LAST_HISTORY_YEAR || month < 1 || month > 12 ||
        day < 1 || day > 31) {
      ctx.out << " ERROR - date out of range\n\n";
      continue;
    }
    visit.date = static_cast<int32_t>(number_at(visit.date_text, 0, DATE_TEXT_LENGTH));
    visit.date_filter = true;
    return;
  }
}

// Shows the search menu until a choice from 0 to 5 is made; returns it.
long read_search_choice(HistoryContext& ctx, Visit& visit) {
  std::string reply;
  for (;;) {
    ctx.out << "\n\tHow do you wish to search the station history file?\n"
            << "\t\t0  -  by 3 letter initials \n"
            << "\t\t1  -  by 2 letter state id \n"
            << "\t\t2  -  by 2 letter country abbreviation\n"
            << "\t\t3  -  by WBAN station number\n"
            << "\t\t4  -  by WMO station number\n"
            << "\t\t5  -  view all station entries\n"
            << "\tYour choice: [" << visit.search_choice << "]\b\b";
    read_reply(ctx.console, reply);
    if (KeywordHelp(ctx.console, reply, "VIEW_STAT_HELP") == 1) continue;
    scan_long(reply, visit.search_choice);  // an empty or non-numeric reply keeps the choice
    if (visit.search_choice < BY_INITIALS || visit.search_choice > ALL_ROWS) {
      ctx.out << "\n ERROR: value out of range - please choose again\n\n";
      continue;
    }
    return visit.search_choice;
  }
}

// Asks for the key of a search in `mode` (0 to 4), asking again after each help served. An
// empty or non-numeric reply keeps the key of the visit's previous search.
void read_search_key(HistoryContext& ctx, Visit& visit, long mode) {
  std::string reply;
  do {
    ctx.out << KEYED_MODE_TEXTS[mode].prompt;
    read_reply(ctx.console, reply);
  } while (KeywordHelp(ctx.console, reply, "VIEW_STAT_HELP") == 1);
  if (mode == BY_WBAN || mode == BY_WMO) {
    long number = 0;
    if (scan_long(reply, number)) visit.key_number = number;
  } else {
    const std::string_view word = first_word(reply);
    if (!word.empty()) visit.key_text = std::string(word.substr(0, KEY_TEXT_LENGTH));
  }
}

// Whether catalogue entry `entry` answers the visit's key in `mode`; never without a key.
bool matches_key(const Visit& visit, long mode, const StationEntry& entry) {
  switch (mode) {
    case BY_INITIALS:
      return visit.key_text && *visit.key_text == field_text(entry.initials);
    case BY_STATE:
      return visit.key_text && *visit.key_text == field_text(entry.state);
    case BY_COUNTRY:
      return visit.key_text && *visit.key_text == field_text(entry.country);
    case BY_WBAN:
      return visit.key_number && *visit.key_number == entry.wban;
    case BY_WMO:
      return visit.key_number && *visit.key_number == entry.wmo;
    default:
      return true;
  }
}

// Runs searches in `mode` (repeated while the user asks for another one): prints the matching
// rows, valid on the date when the filter is on, and the result banner.
void run_searches(HistoryContext& ctx, Visit& visit, long mode) {
  for (;;) {
    int32_t rows_shown = 0;
    bool found = false;
    if (mode != ALL_ROWS) read_search_key(ctx, visit, mode);
    for (int32_t row = 0; row < ctx.catalogue.count; ++row) {
      const StationEntry& entry = ctx.catalogue.entries[row];
      if (!matches_key(visit, mode, entry)) continue;
      if (visit.date_filter && (entry.period_begin > visit.date || visit.date > entry.period_end)) {
        continue;
      }
      show_history_row(ctx, row, rows_shown, found);
    }
    show_search_result(ctx, found, visit.date_filter, visit.date);
    if (mode == ALL_ROWS) return;

    std::string reply;
    ctx.out << KEYED_MODE_TEXTS[mode].another_search;
    read_reply(ctx.console, reply);
    const char answer = reply.empty() ? 'N' : reply[0];
    if (answer != 'Y' && answer != 'y') return;
  }
}

// Asks what to do after a search. Returns true to leave the visit (EXIT or exit), false to show
// the menu again (empty reply); any other reply asks again.
bool wants_to_leave(HistoryContext& ctx) {
  std::string reply;
  for (;;) {
    ctx.out << "\n  Enter <return> for another search category\n"
            << "  Enter HELP for an explanation of the column headings \n"
            << "  Enter EXIT to leave the station file help\n"
            << "\tYour choice: ";
    read_reply(ctx.console, reply);
    if (KeywordHelp(ctx.console, reply, "VIEW_SCREEN_HELP") == 1) continue;
    if (reply == "EXIT" || reply == "exit") return true;
    if (reply.empty()) return false;
  }
}

}  // namespace

void station_history_help(Console& console, const StationCatalogue& catalogue,
                          const std::string& default_date, int& open_visits) {
  HistoryContext ctx{console,   console.in,  console.out, console.page_length,
                     catalogue, default_date};
  if (open_visits >= MAX_OPEN_VISITS) {
    ctx.out << "\n The station history help is already open.\n";
    return;
  }
  struct OpenVisit {
    explicit OpenVisit(int& open) : open_(open) { ++open_; }
    ~OpenVisit() { --open_; }
    OpenVisit(const OpenVisit&) = delete;
    OpenVisit& operator=(const OpenVisit&) = delete;
    int& open_;
  } open_visit(open_visits);

  ctx.out << DASH_LINE << "\t\tEntering Station Identification HELP\t\n"
          << "\t\t************************************\t\n\n"
          << "\tThere are over 1000 station entries in the station history file\n";
  Visit visit;
  visit.date_text = ctx.default_date.substr(0, DATE_TEXT_LENGTH);

  if (wants_date_filter(ctx)) read_history_date(ctx, visit);
  do {
    const long mode = read_search_choice(ctx, visit);
    run_searches(ctx, visit, mode);
  } while (!wants_to_leave(ctx));

  ctx.out << DASH_LINE << "\n";
}

}  // namespace wxfetch
