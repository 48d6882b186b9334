#include "dialogue/archive_years.h"

#include <ostream>
#include <string>

#include "base/text.h"
#include "console/keyword_help.h"
#include "console/reply.h"
#include "database/archive_names.h"
#include "dialogue/program.h"

namespace wxfetch {

void discover_years(ProgramContext& ctx) {
  ctx.years = find_years(ctx.database_directory);
  ctx.last_year = ctx.years.last;
  if (ctx.years.last >= 0) {
    ctx.first_year = ctx.years.first;
    ctx.out << "    NOTE: Tefa data from the directory: " << shown_directory(ctx.database_directory)
            << "\n"
            << cformat("\t    is available for the years:  %d thru ", ctx.years.first)
            << cformat("%d\n", ctx.years.last);
    return;
  }

  // No year at all: offer the help section, then leave.
  std::string reply;
  do {
    ctx.out << " ERROR:  No tefa data could be found in the directory: "
            << shown_directory(ctx.database_directory) << "\n\n"
            << "\tEnter HELP for more information \n"
            << "\tEnter <return> to exit the database\n"
            << "    Your choice? ";
    read_reply(ctx, reply);
  } while (KeywordHelp(ctx, reply, "NO_FILES_AVAILABLE") == 1);
  ctx.out << "\n\tExiting tefa database ...\n";
  ctx.end_program(0);
}

}  // namespace wxfetch
