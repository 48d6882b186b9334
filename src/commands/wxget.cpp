#include "commands/wxget.h"

#include <memory>
#include <ostream>
#include <stdexcept>

#include "base/text.h"
#include "cli/options.h"
#include "cli/request.h"
#include "cli/run.h"
#include "output/bufr_writer.h"
#include "output/level_columns.h"
#include "output/netcdf_writer.h"
#include "output/open_format_writers.h"
#include "output/output_files.h"
#include "output/writer_choice.h"
#include "output/wyoming_writer.h"

namespace wxfetch {

namespace {

constexpr const char* USAGE =
    "Usage: wxget [-a DIR] [-s DIR] --from YYYYMMDDHH [--to YYYYMMDDHH]\n"
    "             (-w N[,N...] | --wban N[,N...] | --stations-file FILE |\n"
    "              --box SOUTH,NORTH,WEST,EAST | --region north-america | --all-stations)\n"
    "             [--hours all|00+12|00|12] [-f FORMAT] [--centre N]\n"
    "             [--levels all|mandatory|significant] [--units kt|ms] [--sort time|station]\n"
    "             [--columns LIST] [-o DIR|-] [--files STRUCTURE] [-q] [--list-stations]\n"
    "Writes the soundings of one request from an upper-air archive.\n"
    "  -a, --archive DIR   the archive (default: $WXFETCH_ARCHIVE)\n"
    "  -s, --support DIR   the station tables (default: $WXFETCH_SUPPORT, else the installed\n"
    "                      support folder)\n"
    "  -w, --wmo N[,N...]  the stations by WMO number\n"
    "  -f, --format WORD   kvt (default), kvt-100mb, faa604, csv, json, netcdf, wyoming or\n"
    "                      bufr\n"
    "  -o, --output DIR|-  the folder of the files (default: the current one), - for standard\n"
    "                      output\n"
    "  --centre N          BUFR's originating centre (default: missing)\n"
    "  -q, --quiet         no progress line and no summary\n"
    "  --columns LIST      the columns of csv, json and netcdf by name, 'default' or 'all'\n"
    "  --files WORD        one|year|month|day|time|sounding (time sort), one|station|sounding\n"
    "                      (station sort); default one\n"
    "  -h, --help, --version\n"
    "Exit status: 0 soundings written, 1 nothing matched, 2 usage or I/O error.\n";

bool pick_structure(const std::string& word, const char* const* words, int count, int& value) {
  for (int i = 0; i < count; ++i) {
    if (word == words[i]) {
      value = i;
      return true;
    }
  }
  return false;
}

// Sets the file structure of the request's sort from --files; returns "" or the usage error.
std::string set_file_structure(const std::string& files, AccessRequest& request) {
  static constexpr const char* TIME_WORDS[] = {"one", "year", "month", "day", "time", "sounding"};
  static constexpr const char* STATION_WORDS[] = {"one", "station", "sounding"};
  int value = 0;
  if (request.sort_order == SortOrder::SYNOPTIC) {
    if (!files.empty() && !pick_structure(files, TIME_WORDS, 6, value)) {
      return "--files " + files + ": the time sort takes one, year, month, day, time or sounding";
    }
    request.time_file_structure = static_cast<TimeFileStructure>(value);
  } else {
    if (!files.empty() && !pick_structure(files, STATION_WORDS, 3, value)) {
      return "--files " + files + ": the station sort takes one, station or sounding";
    }
    request.station_file_structure = static_cast<StationFileStructure>(value);
  }
  return "";
}

// The command as the history of a NetCDF file: "wxget" and the arguments, those with other
// characters than letters, digits and -_.,/:= in single quotes.
std::string command_line(const std::vector<std::string>& args) {
  std::string text = "wxget";
  for (const std::string& arg : args) {
    const bool plain = !arg.empty() && arg.find_first_not_of(
                                           "abcdefghijklmnopqrstuvwxyz"
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789-_.,/:=+") == std::string::npos;
    text += plain ? " " + arg : " '" + arg + "'";
  }
  return text;
}

bool is_open_format(GetFormat format) {
  return format == GetFormat::CSV || format == GetFormat::JSON || format == GetFormat::NETCDF;
}

// Checks the options that only some formats take and reads --columns into `columns`; returns ""
// or the usage error.
std::string check_format_options(const GetOptions& o, ColumnList& columns) {
  if (o.format == GetFormat::NETCDF) {
    if (!netcdf_available()) return "this build has no NetCDF (--format netcdf)";
    if (o.output == "-") return "NetCDF is written to files only: --output DIR";
  }
  if (o.format == GetFormat::WYOMING && o.units == WindUnits::TENTHS_MS) {
    return "Wyoming pages give winds in knots only (--units kt)";
  }
  if (o.columns.empty()) return "";
  if (!is_open_format(o.format)) return "--columns needs --format csv, json or netcdf";
  return parse_columns(o.columns, o.units == WindUnits::KNOTS, columns);
}

// Sets the request's output choices from wxget's own options (the sort is set); returns "" or
// the usage error.
std::string set_output_choices(const GetOptions& o, AccessRequest& request) {
  const bool text = !is_open_format(o.format) && o.format != GetFormat::BUFR;
  request.output_format = o.format == GetFormat::FAA604 ? OutputFormat::FAA604 : OutputFormat::KVT;
  request.above_100mb = o.format != GetFormat::KVT_100MB;
  request.wind_units = o.units.value_or(text ? WindUnits::KNOTS : WindUnits::TENTHS_MS);
  request.output_location = o.output == "-" ? OutputLocation::SCREEN : OutputLocation::FILES;
  request.output_directory = o.output == "-" ? "" : o.output;
  append_separator(request.output_directory);
  return set_file_structure(o.files, request);
}

// The writer of the request's format.
std::unique_ptr<SoundingWriter> make_writer(const GetOptions& o, const ColumnList& columns,
                                            const std::string& history, OutputFiles& files,
                                            const AccessRequest& request) {
  const OpenWindUnits units = request.wind_units == WindUnits::KNOTS
                                  ? OpenWindUnits::KNOTS
                                  : OpenWindUnits::METRES_PER_SECOND;
  if (o.format == GetFormat::CSV) return std::make_unique<CsvWriter>(files, units, columns);
  if (o.format == GetFormat::JSON) return std::make_unique<JsonLinesWriter>(files, units, columns);
  if (o.format == GetFormat::NETCDF) {
    return make_netcdf_writer(files, NetcdfSettings{units, columns, history});
  }
  if (o.format == GetFormat::WYOMING) return std::make_unique<WyomingWriter>(files);
  if (o.format == GetFormat::BUFR) {
    return std::make_unique<BufrWriter>(files, o.centre.value_or(BUFR_MISSING_CENTRE));
  }
  return make_text_writer(NO_PAGING, files, request);
}

// Everything after the options: the request's run with wxget's choices and writer.
Outcome run_options(const GetOptions& o, const ColumnList& columns, const std::string& history,
                    std::ostream& out, std::ostream& err, bool terminal) {
  RequestRun run;
  run.program = "wxget";
  run.sort = o.sort;
  run.files_given = !o.files.empty();
  run.show_progress = terminal && !o.flags.quiet;
  run.summary = !o.flags.quiet;
  run.reason_names_hours = true;
  run.choose = [&](AccessRequest& request) { return set_output_choices(o, request); };
  if (o.list_stations) {
    run.stop_after_selection = [&](const Selection& selection) {
      out << station_listing(selection.tables->catalogue, *selection.selected);
      return true;
    };
  }
  run.make_writer = [&](OutputFiles& files, const AccessRequest& request) {
    return make_writer(o, columns, history, files, request);
  };
  if (o.format == GetFormat::BUFR && !BUFR_OUTPUT_BUILT) {
    return no_bufr_in_this_build();
  }
  try {
    return run_request(o.selection, run, out, err);
  } catch (const std::runtime_error& error) {  // a message ecCodes could not encode
    return Outcome{2, error.what()};
  }
}

}  // namespace

int run_wxget(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool terminal) {
  GetOptions options;
  // Parsed first: the flags it sets are read by answer_usage.
  std::string usage_error = parse_get_options(args, options);
  ColumnList columns;
  if (usage_error.empty()) usage_error = check_format_options(options, columns);
  const int status = answer_usage("wxget", usage_error, options.flags, USAGE, out, err);
  if (status >= 0) return status;
  const Outcome outcome = run_options(options, columns, command_line(args), out, err, terminal);
  return finish_program("wxget", outcome, out, err);
}

}  // namespace wxfetch
