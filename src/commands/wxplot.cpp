#include "commands/wxplot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "analysis/profile.h"
#include "base/text.h"
#include "cli/options.h"
#include "cli/reporter.h"
#include "cli/request.h"
#include "extraction/extraction.h"
#include "output/level_selection.h"
#include "plot/plot_writer.h"
#include "plot/sounding_reader.h"

namespace wxfetch {

namespace {

// Hands each sounding, with the levels of the request's level selection, to the plot writer. A
// picture that cannot be written ends the run (RunFailure).
class PlotSoundingWriter : public SoundingWriter {
 public:
  explicit PlotSoundingWriter(PlotWriter& plot) : plot_(plot) {}

  void begin(const AccessRequest& request) override {
    kinds_ = selected_kinds(request.levels);
    std::string error;
    if (!plot_.begin(error)) throw RunFailure{error};
  }
  void start_file(int32_t, const StationRow&) override {}
  void write(const Sounding& sounding, const StationRow& station) override {
    const StationEntry& e = *station.entry;
    StationInfo info;
    info.wmo = e.wmo;
    info.wban = e.wban;
    info.initials.assign(e.initials, strnlen(e.initials, sizeof e.initials));
    info.latitude = e.latitude;
    info.longitude = e.longitude;
    info.elevation = e.elevation;
    Profile profile = profile_from_sounding(sounding, info);
    std::erase_if(profile.levels,
                  [&](const ProfileLevel& level) { return !is_selected(level.kind, kinds_); });
    std::string error;
    if (!plot_.add(profile, error)) throw RunFailure{error};
  }
  void end() override {
    std::string error;
    if (!plot_.end(error)) throw RunFailure{error};
  }

 private:
  PlotWriter& plot_;
  uint32_t kinds_ = 0;
};

// Draws the soundings of the file `options.input` (a KVT or CSV file; "-" for `in`).
int draw_input_file(const PlotOptions& options, std::istream& in, std::ostream& out,
                    std::ostream& err) {
  std::string text;
  if (options.input == "-") {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(options.input, std::ios::binary);
    std::ostringstream buffer;
    if (file) buffer << file.rdbuf();
    if (!file) {
      err << "wxplot: " << file_error(options.input, errno) << "\n";
      return 2;
    }
    text = std::move(buffer).str();
  }
  const ReadResult read = read_soundings(text, options.input);
  for (const std::string& problem : read.problems) err << "wxplot: " << problem << "\n";
  if (read.soundings.empty()) {
    err << "wxplot: no sounding in " << options.input << "\n";
    return 1;
  }
  PlotWriter writer(options, out);
  std::string error;
  bool ok = writer.begin(error);
  for (size_t i = 0; ok && i < read.soundings.size(); ++i)
    ok = writer.add(read.soundings[i], error);
  if (ok) ok = writer.end(error);
  if (!ok) {
    err << "wxplot: " << error << "\n";
    return 2;
  }
  return 0;
}

constexpr const char* USAGE =
    "Usage: wxplot --input FILE [--output DIR | --html FILE] [--indices] [--format csv|json]\n"
    "       wxplot --archive DIR --support DIR --from YYYYMMDDHH [--to YYYYMMDDHH] STATIONS\n"
    "              [--hours ...] [--levels ...] [--output DIR | --html FILE] [--indices] ...\n"
    "Draws each sounding of a KVT or CSV file as a Skew-T log-p picture and computes its\n"
    "stability indices.\n"
    "  --input FILE    a KVT file written by wxfetch or a CSV file written by wxget (- for\n"
    "                  standard input)\n"
    "  --output DIR    write one SVG file per sounding into DIR (default: current directory)\n"
    "  --html FILE     write one self-contained HTML page of every picture instead\n"
    "  --indices       print the indices on standard output, one CSV row per sounding\n"
    "  --format json   print the indices as JSON Lines instead (implies --indices)\n"
    "  --archive DIR   draw the soundings of a request from an archive instead, chosen with\n"
    "                  wxget's options (STATIONS: --wmo, --wban, --stations-file, --box,\n"
    "                  --region or --all-stations; see wxget --help)\n"
    "  --help, --version\n";

enum PlotCode : int { INPUT = FIRST_PROGRAM_OPTION, OUTPUT, HTML, INDICES, FORMAT, VERSION };

// wxplot's command line: the drawing options, and the selection options of archive mode.
struct PlotCommand {
  PlotOptions plot;
  SelectionOptions selection;
  bool selection_given = false;  // any selection option, --archive included
  bool help = false;
  bool version = false;
};

std::string apply_plot_option(int code, std::string_view value, PlotCommand& c) {
  switch (code) {
    case INPUT:
      c.plot.input = value;
      return "";
    case OUTPUT:
      c.plot.output_directory = value;
      c.plot.output_given = true;
      return "";
    case HTML:
      c.plot.html_file = value;
      return "";
    case INDICES:
      if (c.plot.indices == IndexFormat::NONE) c.plot.indices = IndexFormat::CSV;
      return "";
    case FORMAT:
      if (value == "csv" || value == "json") {
        c.plot.indices = value == "csv" ? IndexFormat::CSV : IndexFormat::JSON;
        return "";
      }
      return "unknown format '" + std::string(value) + "' (csv or json)";
    case VERSION:
      c.version = true;
      return "";
    case 'h':
      c.help = true;
      return "";
    case 'q':
      return "unknown option '-q'";
  }
  c.selection_given = true;
  return apply_selection_option(code, value, c.selection);
}

std::string parse_plot_command(const std::vector<std::string>& args, PlotCommand& c) {
  std::vector<option> table = selection_option_table();
  table.insert(table.end(), {{"input", required_argument, nullptr, INPUT},
                             {"output", required_argument, nullptr, OUTPUT},
                             {"html", required_argument, nullptr, HTML},
                             {"indices", no_argument, nullptr, INDICES},
                             {"format", required_argument, nullptr, FORMAT},
                             {"help", no_argument, nullptr, 'h'},
                             {"version", no_argument, nullptr, VERSION}});
  const std::string error = parse_long_options(args, table, [&](int code, std::string_view value) {
    return apply_plot_option(code, value, c);
  });
  if (!error.empty() || c.help || c.version) return error;
  const bool archive = !c.selection.archive.empty();
  if (archive && !c.plot.input.empty()) return "--input and --archive exclude each other";
  if (!archive && c.selection_given) return "the selection options need --archive DIR";
  if (!archive && c.plot.input.empty()) return "--input FILE is needed";
  if (c.plot.output_given && !c.plot.html_file.empty()) {
    return "--output and --html exclude each other";
  }
  // The archive stands where a file would: it names the HTML page.
  if (archive) c.plot.input = c.selection.archive;
  return "";
}

// The request's soundings into the plot writer.
Outcome draw_request(const PlotCommand& command, std::ostream& out, std::ostream& err) {
  const PlotOptions& plot_options = command.plot;
  Selection selection;
  Outcome outcome = open_selection(command.selection, selection);
  if (outcome.status == 0) outcome = select_request_stations(selection, "wxplot", err);
  if (outcome.status == 0) outcome = plan_request_files(selection);
  if (outcome.status != 0) return outcome;
  AccessRequest& request = selection.request;
  request.sort_order =
      request.begin_value == request.end_value ? SortOrder::CLIMATOLOGICAL : SortOrder::SYNOPTIC;
  request.output_location = OutputLocation::SCREEN;  // the plot writer names its own files

  PlotWriter plot(plot_options, out);
  PlotSoundingWriter writer(plot);
  GetReporter reporter(err, "wxplot", false, selection.plan, *selection.selected,
                       request.sort_order);
  CountingWriter counting(writer, reporter);
  const ArchiveTables& tables = *selection.tables;
  const ExtractionSource source{tables.database_directory, tables.years, tables.catalogue};
  try {
    run_extraction(source, request, *selection.selected, counting, reporter);
  } catch (const RunFailure& failure) {
    return Outcome{2, failure.message};
  }
  reporter.finish(false);
  if (reporter.failed()) return Outcome{2, "reading the archive failed"};
  if (plot.soundings() == 0) {
    return Outcome{1, "no sounding of the selected stations from " + request.begin_date + " to " +
                          request.end_date};
  }
  return Outcome{};
}

}  // namespace

int run_wxplot_command(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err) {
  PlotCommand command;
  const std::string usage_error = parse_plot_command(args, command);
  const int status =
      answer_usage("wxplot", usage_error, command.help, command.version, USAGE, out, err);
  if (status >= 0) return status;
  if (command.selection.archive.empty()) return draw_input_file(command.plot, in, out, err);
  return finish_program("wxplot", draw_request(command, out, err), out, err);
}

}  // namespace wxfetch
