// Fuzz target: arbitrary text as the keyword help file. The input up to its first zero byte is
// what the user types at the pauses of a long section (none when the input holds no zero byte);
// the rest is the help file. Every help topic of the program is asked for with HELP and with
// help, each time from the start of the replies; a topic missing from the file ends the program
// for that request only. A reply of STAT at the last pause of a corrupt section opens the
// station history help, which goes on with the same replies.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "console/keyword_help.h"
#include "fuzz_support.h"

namespace {

using namespace wxfetch;

constexpr const char* TOPICS[] = {
    "SOFTWARE_LOCATION", "GENERAL_INFO",       "INPUT_DATES",       "INPUT_HOUR",
    "ACCESS_TYPE",       "STATION_TYPE",       "STATION_FILE",      "STATFILE_NAME",
    "NUMBER_STATIONS",   "STATION_NUMBER",     "GEOGRAPHIC_ACCESS", "OUTPUT_FORMAT",
    "LEVEL_TYPE",        "WIND_UNITS",         "SORT_ORDER_TYPE",   "OUTPUT_LOCATION",
    "OUTPUT_DIRECTORY",  "TIME_OUTFILE",       "STATION_OUTFILE",   "REPEAT_ACCESS",
    "ANOTHER_REQUEST",   "DATE_HIS_HELP",      "DATES_STAT",        "VIEW_STAT_HELP",
    "VIEW_SCREEN_HELP",  "NO_FILES_AVAILABLE", "NO_FILES_OPEN",     "NO_DIRECTORY",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::FuzzProgram program;
  ProgramContext& ctx = *program.ctx;
  static const bool ready = [&ctx] {
    fuzz::small_catalogue(ctx.catalogue);
    return true;
  }();
  (void)ready;

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string replies(split == std::string_view::npos ? std::string_view()
                                                            : input.substr(0, split));
  const std::string help_text(split == std::string_view::npos ? input : input.substr(split + 1));

  ctx.page_length = 3;
  ctx.default_date = "1998010100";
  for (const char* topic : TOPICS) {
    for (const char* request : {"HELP", "help"}) {
      program.in.clear();
      program.in.str(replies);
      ctx.help_file = std::make_unique<std::istringstream>(help_text);
      std::string reply = request;
      fuzz::run_to_end([&] { KeywordHelp(ctx, reply, topic); });
    }
  }
  return 0;
}
