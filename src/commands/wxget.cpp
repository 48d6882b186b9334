#include "commands/wxget.h"

#include <memory>
#include <ostream>
#include <sstream>

#include "base/text.h"
#include "cli/options.h"
#include "cli/reporter.h"
#include "cli/request.h"
#include "extraction/extraction.h"
#include "output/open_format_writers.h"
#include "output/output_files.h"
#include "output/output_stream.h"
#include "output/writer_choice.h"

namespace wxfetch {

namespace {

constexpr const char* USAGE =
    "Usage: wxget --archive DIR [--support DIR] --from YYYYMMDDHH [--to YYYYMMDDHH]\n"
    "             (--wmo N[,N...] | --wban N[,N...] | --stations-file FILE |\n"
    "              --box SOUTH,NORTH,WEST,EAST | --region north-america | --all-stations)\n"
    "             [--hours all|00+12|00|12] [--format kvt|kvt-100mb|faa604|csv|json]\n"
    "             [--levels all|mandatory|significant] [--units kt|ms] [--sort time|station]\n"
    "             [--output DIR|-] [--files STRUCTURE] [--quiet] [--list-stations]\n"
    "Writes the soundings of one request from an upper-air archive.\n"
    "  --files  one|year|month|day|time|sounding (time sort), one|station|sounding (station\n"
    "           sort); default one\n"
    "  --help, --version\n"
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

// Sets the request's output choices from wxget's own options; returns "" or the usage error.
std::string set_output_choices(const GetOptions& o, int16_t station_count, AccessRequest& request) {
  const bool text = o.format != GetFormat::CSV && o.format != GetFormat::JSON;
  request.output_format = o.format == GetFormat::FAA604 ? OutputFormat::FAA604 : OutputFormat::KVT;
  request.above_100mb = o.format != GetFormat::KVT_100MB;
  if (o.format == GetFormat::FAA604 && o.units) return "FAA604 messages give winds in knots only";
  request.wind_units = o.units.value_or(text ? WindUnits::KNOTS : WindUnits::TENTHS_MS);
  const bool one_date = request.begin_value == request.end_value;
  request.sort_order = o.sort.value_or(one_date ? SortOrder::CLIMATOLOGICAL : SortOrder::SYNOPTIC);
  request.output_location = o.output == "-" ? OutputLocation::SCREEN : OutputLocation::FILES;
  request.output_directory = o.output == "-" ? "" : o.output;
  append_separator(request.output_directory);
  if (o.output == "-" && !o.files.empty()) return "--files needs an output directory";
  static constexpr const char* TIME_WORDS[] = {"one", "year", "month", "day", "time", "sounding"};
  static constexpr const char* STATION_WORDS[] = {"one", "station", "sounding"};
  int value = 0;
  if (request.sort_order == SortOrder::SYNOPTIC) {
    if (!o.files.empty() && !pick_structure(o.files, TIME_WORDS, 6, value)) {
      return "--files " + o.files + ": the time sort takes one, year, month, day, time or sounding";
    }
    request.time_file_structure = static_cast<TimeFileStructure>(value);
  } else {
    if (!o.files.empty() && !pick_structure(o.files, STATION_WORDS, 3, value)) {
      return "--files " + o.files + ": the station sort takes one, station or sounding";
    }
    // One sounding of one station goes to a file of its own, as in the dialogue.
    if (o.files.empty() && one_date && station_count == 1) value = 2;
    request.station_file_structure = static_cast<StationFileStructure>(value);
  }
  return "";
}

// The writer of the request's format.
std::unique_ptr<SoundingWriter> make_writer(const GetOptions& o, OutputFiles& files,
                                            const AccessRequest& request) {
  const OpenWindUnits units = request.wind_units == WindUnits::KNOTS
                                  ? OpenWindUnits::KNOTS
                                  : OpenWindUnits::METRES_PER_SECOND;
  if (o.format == GetFormat::CSV) return std::make_unique<CsvWriter>(files, units);
  if (o.format == GetFormat::JSON) return std::make_unique<JsonLinesWriter>(files, units);
  return make_text_writer(NO_PAGING, files, request);
}

// Runs the request; the outcome of the run and, unless quiet, the summary on `err`.
Outcome run_request(const GetOptions& o, const ArchiveTables& tables, const AccessRequest& request,
                    const SelectedStations& selected, const FilePlan& plan, std::ostream& out,
                    std::ostream& err, bool terminal) {
  OutputStream stream;
  stream.set_console(out);
  if (request.to_files()) {
    stream.use_none();
  } else {
    stream.use_console();
  }
  GetReporter reporter(err, "wxget", terminal && !o.quiet, plan, selected, request.sort_order);
  OutputFiles files(stream, reporter, request.output_directory);
  const std::unique_ptr<SoundingWriter> writer = make_writer(o, files, request);
  CountingWriter counting(*writer, reporter);
  const ExtractionSource source{tables.database_directory, tables.years, tables.catalogue};
  Outcome outcome;
  try {
    run_extraction(source, request, selected, counting, reporter);
  } catch (const RunFailure& failure) {
    outcome = Outcome{2, failure.message};
  }
  stream.close_quietly();
  out.flush();
  const std::string summary = reporter.finish(request.to_files());
  if (outcome.status != 0) return outcome;
  if (reporter.failed()) return Outcome{2, "reading the archive failed"};
  if (reporter.soundings() == 0) {
    static constexpr const char* HOURS[] = {"all hours", "00 and 12 UTC", "00 UTC", "12 UTC"};
    return Outcome{1, "no sounding of the selected stations from " + request.begin_date + " to " +
                          request.end_date + " at " + HOURS[static_cast<int>(request.hours)]};
  }
  if (!o.quiet) err << "wxget: " << summary << "\n";
  return outcome;
}

// Everything after the options: the tables, the selection, the checks that explain an empty
// result, and the run.
Outcome run_options(const GetOptions& o, std::ostream& out, std::ostream& err, bool terminal) {
  Selection selection;
  Outcome outcome = open_selection(o.selection, selection);
  if (outcome.status != 0) return outcome;
  AccessRequest& request = selection.request;
  std::string error = set_output_choices(o, selection.selected->station_count, request);
  if (!error.empty()) return Outcome{2, error};
  outcome = select_request_stations(selection, "wxget", err);
  if (outcome.status != 0) return outcome;
  if (o.list_stations) {
    out << station_listing(selection.tables->catalogue, *selection.selected);
    return Outcome{};
  }
  // The one-station default of the file structure counts the selected stations.
  set_output_choices(o, selection.selected->station_count, request);
  outcome = plan_request_files(selection);
  if (outcome.status != 0) return outcome;
  return run_request(o, *selection.tables, request, *selection.selected, selection.plan, out, err,
                     terminal);
}

}  // namespace

int run_wxget(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              bool terminal) {
  GetOptions options;
  // Parsed first: the flags it sets are read by answer_usage.
  const std::string usage_error = parse_get_options(args, options);
  const int status =
      answer_usage("wxget", usage_error, options.help, options.version, USAGE, out, err);
  if (status >= 0) return status;
  return finish_program("wxget", run_options(options, out, err, terminal), out, err);
}

}  // namespace wxfetch
