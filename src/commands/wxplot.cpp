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
#include "cli/run.h"
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

  void begin(const AccessRequest& request) override;
  void start_file(int32_t, const StationRow&) override {}
  void write(const Sounding& sounding, const StationRow& station) override;
  void end() override;

 private:
  PlotWriter& plot_;
  uint32_t kinds_ = 0;
};

void PlotSoundingWriter::begin(const AccessRequest& request) {
  kinds_ = selected_kinds(request.levels);
  std::string error;
  if (!plot_.begin(error)) throw RunFailure(error);
}

void PlotSoundingWriter::write(const Sounding& sounding, const StationRow& station) {
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
  if (!plot_.add(profile, error)) throw RunFailure(error);
}

void PlotSoundingWriter::end() {
  std::string error;
  if (!plot_.end(error)) throw RunFailure(error);
}

// Draws the soundings of the file `options.input` (a KVT or CSV file; "-" for `in`).
int draw_input_file(const PlotOptions& options, std::istream& in, std::ostream& out,
                    std::ostream& err) {
  std::string text;
  if (options.input == "-") {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(options.input, std::ios::binary);
    // Read in blocks straight into the text: a stream buffer's copy costs as much as the indices.
    char block[1 << 16];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
      text.append(block, static_cast<size_t>(file.gcount()));
    }
    if (!file.eof()) {
      err << "wxplot: " << file_error(options.input, errno) << "\n";
      return 2;
    }
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
    "Usage: wxplot --input FILE [-o DIR | --html FILE] [--indices] [-f csv|json]\n"
    "       wxplot [-a DIR] [-s DIR] --from YYYYMMDDHH [--to YYYYMMDDHH] STATIONS\n"
    "              [--hours ...] [--levels ...] [-o DIR | --html FILE] [--indices] ...\n"
    "Draws each sounding of a KVT or CSV file as a Skew-T log-p picture and computes its\n"
    "stability indices.\n"
    "  --input FILE        a KVT file written by wxfetch or a CSV file written by wxget (- for\n"
    "                      standard input)\n"
    "  -o, --output DIR    write one SVG file per sounding into DIR (default: current directory)\n"
    "  --html FILE         write one self-contained HTML page of every picture instead\n"
    "  --indices           print the indices on standard output, one CSV row per sounding\n"
    "  -f, --format json   print the indices as JSON Lines instead (implies --indices)\n"
    "  -a, --archive DIR   draw the soundings of a request from an archive instead, chosen with\n"
    "                      wxget's options (STATIONS: -w/--wmo, --wban, --stations-file, --box,\n"
    "                      --region or --all-stations; see wxget --help); default archive\n"
    "                      $WXFETCH_ARCHIVE, default support folder $WXFETCH_SUPPORT, else the\n"
    "                      installed one\n"
    "  -q, --quiet, -h, --help, --version\n"
    "Exit status: 0 drawn, 1 nothing to draw, 2 usage or I/O error.\n";

enum PlotCode : int { INPUT = FIRST_PROGRAM_OPTION, HTML, INDICES };

// wxplot's command line: the drawing options, and the selection options of archive mode.
struct PlotCommand {
  PlotOptions plot;
  SelectionOptions selection;
  bool selection_given = false;  // any selection option, --archive included
  CommonFlags flags;
};

std::string apply_plot_option(int code, std::string_view value, PlotCommand& c) {
  switch (code) {
    case INPUT:
      c.plot.input = value;
      return "";
    case OPTION_OUTPUT:
      c.plot.output_directory = value;
      c.plot.output_given = true;
      return "";
    case HTML:
      c.plot.html_file = value;
      return "";
    case INDICES:
      if (c.plot.indices == IndexFormat::NONE) c.plot.indices = IndexFormat::CSV;
      return "";
    case OPTION_FORMAT:
      if (value == "csv" || value == "json") {
        c.plot.indices = value == "csv" ? IndexFormat::CSV : IndexFormat::JSON;
        return "";
      }
      return "unknown format '" + std::string(value) + "' (csv or json)";
  }
  if (apply_common_flag(code, c.flags)) return "";
  c.selection_given = true;
  return apply_selection_option(code, value, c.selection);
}

// Where the soundings come from: an archive (named by an option or by $WXFETCH_ARCHIVE) or
// --input's file. Returns "" or the usage error.
std::string check_source(PlotCommand& c) {
  const bool named = !c.selection.archive.empty();
  if (named && !c.plot.input.empty()) return "--input and --archive exclude each other";
  // Without --input the archive of the environment stands in for a missing --archive.
  if (c.plot.input.empty()) apply_directory_defaults(c.selection);
  const bool archive = !c.selection.archive.empty();
  if (!archive && c.selection_given) return "the selection options need --archive DIR";
  if (!archive && c.plot.input.empty()) return "--input FILE is needed (or --archive DIR)";
  // The archive stands where a file would: it names the HTML page.
  if (archive) c.plot.input = c.selection.archive;
  return "";
}

std::string parse_plot_command(const std::vector<std::string>& args, PlotCommand& c) {
  std::vector<option> table = selection_option_table();
  const std::vector<option> common =
      vocabulary_options({OPTION_OUTPUT, OPTION_FORMAT, OPTION_QUIET, OPTION_HELP, OPTION_VERSION});
  table.insert(table.end(), common.begin(), common.end());
  table.insert(table.end(), {{"input", required_argument, nullptr, INPUT},
                             {"html", required_argument, nullptr, HTML},
                             {"indices", no_argument, nullptr, INDICES}});
  const std::string error = parse_long_options(args, table, [&](int code, std::string_view value) {
    return apply_plot_option(code, value, c);
  });
  if (!error.empty() || c.flags.help || c.flags.version) return error;
  if (c.plot.output_given && !c.plot.html_file.empty()) {
    return "--output and --html exclude each other";
  }
  return check_source(c);
}

// The request's soundings into the plot writer.
Outcome draw_request(const PlotCommand& command, std::ostream& out, std::ostream& err) {
  PlotWriter plot(command.plot, out);
  RequestRun run;
  run.program = "wxplot";
  run.choose = [](AccessRequest& request) {
    request.output_location = OutputLocation::SCREEN;  // the plot writer names its own files
    return std::string();
  };
  run.make_writer = [&](OutputFiles&, const AccessRequest&) {
    return std::make_unique<PlotSoundingWriter>(plot);
  };
  return run_request(command.selection, run, out, err);
}

}  // namespace

int run_wxplot_command(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err) {
  PlotCommand command;
  const std::string usage_error = parse_plot_command(args, command);
  const int status = answer_usage("wxplot", usage_error, command.flags, USAGE, out, err);
  if (status >= 0) return status;
  if (command.selection.archive.empty()) return draw_input_file(command.plot, in, out, err);
  return finish_program("wxplot", draw_request(command, out, err), out, err);
}

}  // namespace wxfetch
