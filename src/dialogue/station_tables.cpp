#include "dialogue/station_tables.h"

#include <memory>
#include <ostream>

#include "base/input_file.h"
#include "base/text.h"
#include "console/console.h"
#include "console/keyword_help.h"
#include "console/reply.h"
#include "stations/catalogue.h"

namespace wxfetch {

namespace {

// The station history table is missing: says where it was looked for and serves one reply. HELP
// or STAT (served) ends the program with status 0; any other reply returns, and start-up goes on
// with an empty catalogue.
void station_table_missing(Console& ctx, const std::string& support_directory) {
  ctx.out << " ERROR: the station file: stat2000.txt was not in: "
          << shown_directory(support_directory) << " \n ";
  ctx.out << "   Type HELP for more information \n";
  std::string reply;
  read_reply(ctx, reply);
  if (KeywordHelp(ctx, reply, "SOFTWARE_LOCATION") == 1) ctx.end_program(0);
}

}  // namespace

void load_station_catalogue(Console& ctx, const std::string& support_directory,
                            StationCatalogue& catalogue) {
  catalogue.count = 0;
  std::unique_ptr<InputFile> history = InputFile::open(support_directory + "stat2000.txt");
  if (history == nullptr) {
    station_table_missing(ctx, support_directory);
    return;
  }
  bool history_overflow = false;
  load_history_rows(*history, catalogue, history_overflow);
  history.reset();

  bool international_overflow = false;
  std::unique_ptr<InputFile> international =
      InputFile::open(support_directory + "international_sites.txt");
  if (international != nullptr) {
    load_international_rows(*international, catalogue, international_overflow);
  } else {
    // Without the international sites the history rows alone make the catalogue.
    ctx.out << " ERROR: the file international_sites.txt was not found in: " << support_directory
            << " \n ";
  }
  if (history_overflow || international_overflow) {
    ctx.out << " WARNING: the station tables hold more than " << MAX_STATION_ROWS
            << " rows; the rest are ignored\n";
  }
}

}  // namespace wxfetch
