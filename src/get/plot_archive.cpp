#include "get/plot_archive.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "analysis/profile.h"
#include "extraction/extraction.h"
#include "get/get_options.h"
#include "get/get_reporter.h"
#include "get/get_request.h"
#include "output/level_selection.h"
#include "plot/plot_program.h"

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

bool archive_mode(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg == "--archive" || arg.rfind("--archive=", 0) == 0;
  });
}

// Splits the arguments into the selection options (with their values) and wxplot's own.
void split_arguments(const std::vector<std::string>& args, std::vector<std::string>& selection,
                     std::vector<std::string>& plot) {
  for (size_t i = 0; i < args.size(); ++i) {
    bool value_follows = false;
    if (!is_selection_option(args[i], value_follows)) {
      plot.push_back(args[i]);
      continue;
    }
    selection.push_back(args[i]);
    if (value_follows && i + 1 < args.size()) selection.push_back(args[++i]);
  }
}

// The request's soundings into the plot writer.
Outcome draw_request(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> selection_args, plot_args;
  split_arguments(args, selection_args, plot_args);
  SelectionOptions selection_options;
  std::string error = parse_selection_options(selection_args, selection_options);
  if (!error.empty()) return Outcome{2, error};
  if (std::any_of(plot_args.begin(), plot_args.end(), [](const std::string& arg) {
        return arg == "--input" || arg.rfind("--input=", 0) == 0;
      })) {
    return Outcome{2, "--input and --archive exclude each other"};
  }
  // The archive stands where a file would: it names the HTML page.
  plot_args.insert(plot_args.begin(), {"--input", selection_options.archive});
  PlotOptions plot_options;
  error = parse_plot_options(plot_args, plot_options);
  if (!error.empty()) return Outcome{2, error};

  Selection selection;
  Outcome outcome = open_selection(selection_options, selection);
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
  if (!archive_mode(args)) return run_wxplot(args, in, out, err);
  return finish_program("wxplot", draw_request(args, out, err), out, err);
}

}  // namespace wxfetch
