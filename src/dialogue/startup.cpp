#include "dialogue/startup.h"

#include <cstdint>
#include <memory>
#include <new>
#include <ostream>

#include "base/input_file.h"
#include "base/text.h"
#include "console/keyword_help.h"
#include "console/reply.h"
#include "database/archive_names.h"
#include "dialogue/archive_years.h"
#include "dialogue/program.h"
#include "dialogue/request_dialogue.h"
#include "dialogue/station_tables.h"
#include "output/output_stream.h"
#include "records/access_request.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch {

namespace {

constexpr int32_t DEFAULT_PAGE_LENGTH = 20;

// Help file missing: explains where it was looked for, serves one HELP or STAT reply and ends
// the program (status 0) whatever the reply.
[[noreturn]] void help_file_missing(ProgramContext& ctx, const std::string& path) {
  ctx.out << " ERROR: the file tefahelp.txt was not found in: "
          << shown_directory(ctx.support_directory) << " " << path << "\n ";
  ctx.out << "\n  Enter HELP for more information \n"
          << "        <return> to exit this process\n"
          << "\n  Your choice?  ";
  std::string reply;
  read_reply(ctx, reply);
  KeywordHelp(ctx, reply, "SOFTWARE_LOCATION");
  ctx.end_program(0);
}

void print_banner(std::ostream& out) {
  out << "\t\t\tWelcome to the ZEMO/KVT Rawinsonde Database \n"
      << "\t\t\t\tAccess System - Version 4.1\n\n"
      << "A joint development by:\n\n"
      << "\tUpper Air Archive Centre (UAAC)\n"
      << "\t  - Data Archival and Extensive Quality Control Procedures\n"
      << "\tSounding Access Software Group (SASG)\n"
      << "\t  - CDROM/DVD Archive and Access Software Development\n\n";
}

// Offers the general information until the reply is no help request.
void general_information_offer(ProgramContext& ctx) {
  std::string reply;
  do {
    ctx.out << "\n\tEnter HELP for general information about this database"
            << "\n\tEnter <return> to access the rawinsonde database"
            << "\n\tYour choice:  ";
    read_reply(ctx, reply);
  } while (KeywordHelp(ctx, reply, "GENERAL_INFO") == 1);
}

void print_orientation(std::ostream& out) {
  out << "\n\n\t\t\t\tEntering Rawinsonde Database\n"
      << "\t\t\t\t****************************\n\n"
      << "    At any time: \n"
      << "   \tEnter HELP for online help.\n"
      << "   \tEnter STAT for station history help. \n\n"
      << "    At all times: \n"
      << "    \tUse either ALL uppercase or ALL lowercase letters\n"
      << "\t\t    when required unless directed otherwise.\n\n\n";
}

int32_t run_startup(ProgramContext& ctx, const std::vector<std::string>& args) {
  ctx.default_date = "00000000";
  ctx.out << "\x1b[2J";
  read_command_line(ctx, args);

  const std::string help_path = ctx.support_directory + "tefahelp.txt";
  std::unique_ptr<InputFile> help_file = InputFile::open(help_path);
  if (help_file == nullptr) help_file_missing(ctx, help_path);
  if (help_file->over_limit()) {
    ctx.out << " WARNING: the help file " << help_path << " is longer than "
            << (SUPPORT_FILE_LIMIT >> 20) << " MiB: only its beginning is read\n";
  }
  ctx.help_file = std::move(help_file);

  load_station_catalogue(ctx, ctx.support_directory, ctx.catalogue);
  ctx.selected.stations[0] = StationNumbers{72469, 23062};

  print_banner(ctx.out);
  general_information_offer(ctx);
  print_orientation(ctx.out);
  ctx.request.output_directory.clear();

  discover_years(ctx);
  ctx.default_date =
      ctx.first_year == 1993 ? std::string("1993081300") : cformat("%d010100", ctx.first_year);

  const int32_t result = run_request_dialogue(ctx);
  ctx.help_file.reset();
  return result;
}

}  // namespace

void read_command_line(ProgramContext& ctx, const std::vector<std::string>& args) {
  ctx.database_directory.clear();
  ctx.support_directory.assign(1, '.');  // (assigning a literal trips a false GCC 12 warning)
  ctx.page_length = DEFAULT_PAGE_LENGTH;
  if (args.size() >= 1 && args.size() <= 3) {
    ctx.database_directory = args[0];
    ctx.support_directory = args.size() >= 2 ? args[1] : std::string();
    if (args.size() == 3) {
      // Used as it comes, only held within the range of the page length.
      long value = 0;
      if (!scan_long(args[2], value)) value = 0;
      if (value > INT32_MAX) value = INT32_MAX;
      if (value < INT32_MIN) value = INT32_MIN;
      ctx.page_length = static_cast<int32_t>(value);
    }
  }
  append_separator(ctx.database_directory);
  append_separator(ctx.support_directory);
}

int run_wxfetch(ProgramContext& ctx, const std::vector<std::string>& args) {
  // "--help" (or "-h") or "--version" as the only argument answers before anything else is
  // printed (the screen is not cleared) and ends with status 0. With other arguments beside them
  // they are directory names like any other.
  const bool help = args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
  if (help || (args.size() == 1 && args[0] == "--version")) {
    if (help) {
      print_command_line_help(ctx.out);
    } else {
      ctx.out << "wxfetch " << WXFETCH_VERSION << "\n";
    }
    ctx.out.flush();
    return 0;
  }
  int status;
  try {
    status = run_startup(ctx, args);
  } catch (const ProgramExit& exit) {
    status = exit.status;
  } catch (const std::bad_alloc&) {
    // Like the other fatal ends: a message, the output closed below, status 0.
    ctx.out.flush();
    ctx.err << " ERROR: out of memory\n";
    status = 0;
  }
  ctx.output_stream.close_quietly();
  ctx.out.flush();
  ctx.err.flush();
  return status;
}

}  // namespace wxfetch
