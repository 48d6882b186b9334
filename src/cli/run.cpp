#include "cli/run.h"

#include <ostream>

#include "cli/reporter.h"
#include "extraction/extraction.h"
#include "output/output_stream.h"
#include "records/request_defaults.h"

namespace wxfetch {

namespace {

// Builds the request, selects its stations and plans their files, with the program's choices
// and the defaults every front end takes for the choices left open. `stopped`: the program
// ended the run after the selection.
Outcome prepare(const SelectionOptions& options, const RequestRun& run, Selection& selection,
                std::ostream& err, bool& stopped) {
  Outcome outcome = open_selection(options, selection);
  if (outcome.status != 0) return outcome;
  AccessRequest& request = selection.request;
  const SettledChoices period = settled_choices(request, 0);
  request.sort_order = run.sort ? *run.sort : period.sort_order.value_or(SortOrder::SYNOPTIC);
  const std::string error = run.choose ? run.choose(request) : "";
  if (!error.empty()) return Outcome{2, error};
  outcome = select_request_stations(selection, run.program, err);
  if (outcome.status != 0) return outcome;
  stopped = run.stop_after_selection && run.stop_after_selection(selection);
  if (stopped) return outcome;
  // The one-station default of the file structure counts the selected stations.
  const SettledChoices stations = settled_choices(request, selection.selected->station_count);
  if (request.sort_order == SortOrder::CLIMATOLOGICAL && !run.files_given &&
      stations.station_file_structure) {
    request.station_file_structure = *stations.station_file_structure;
  }
  return plan_request_files(selection);
}

// Why a run handed no sounding to the writer.
std::string no_sounding_reason(const AccessRequest& request, bool name_hours) {
  static constexpr const char* HOURS[] = {"all hours", "00 and 12 UTC", "00 UTC", "12 UTC"};
  const std::string text =
      "no sounding of the selected stations from " + request.begin_date + " to " + request.end_date;
  return name_hours ? text + " at " + HOURS[static_cast<int>(request.hours)] : text;
}

// Runs the drivers over the prepared request.
Outcome extract(const Selection& selection, const RequestRun& run, std::ostream& out,
                std::ostream& err) {
  const AccessRequest& request = selection.request;
  OutputStream stream;
  stream.set_console(out);
  if (request.to_files()) {
    stream.use_none();
  } else {
    stream.use_console();
  }
  GetReporter reporter(err, run.program, run.show_progress, selection.plan, *selection.selected,
                       request.sort_order);
  OutputFiles files(stream, reporter, request.output_directory);
  const std::unique_ptr<SoundingWriter> writer = run.make_writer(files, request);
  CountingWriter counting(*writer, reporter);
  Outcome outcome;
  try {
    const ArchiveTables& tables = *selection.tables;
    const ExtractionSource source{tables.database_directory, tables.years, tables.catalogue};
    run_extraction(source, request, *selection.selected, counting, reporter);
  } catch (const RunFailure& failure) {
    outcome = Outcome{2, failure.message};
  }
  stream.close_quietly();
  out.flush();
  const std::string summary = reporter.finish(request.to_files());
  if (outcome.status != 0) return outcome;
  if (reporter.failed()) return Outcome{2, "reading the archive failed"};
  if (reporter.soundings() == 0)
    return Outcome{1, no_sounding_reason(request, run.reason_names_hours)};
  if (run.summary) err << run.program << ": " << summary << "\n";
  return outcome;
}

}  // namespace

Outcome run_request(const SelectionOptions& options, const RequestRun& run, std::ostream& out,
                    std::ostream& err) {
  Selection selection;
  bool stopped = false;
  const Outcome outcome = prepare(options, run, selection, err, stopped);
  if (outcome.status != 0 || stopped) return outcome;
  return extract(selection, run, out, err);
}

}  // namespace wxfetch
