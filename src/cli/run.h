// The run of a request from the command line, written once for wxget and wxplot: the selection
// options become a request, the stations are selected and their files planned (each step ends
// the run with its reason when it yields nothing), the drivers hand the soundings to the
// program's writer, and the outcome says what came of it.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/request.h"
#include "output/output_files.h"
#include "output/sounding_writer.h"

namespace wxfetch {

// A program's part in the run.
struct RequestRun {
  std::string program;              // the prefix of its messages
  std::optional<SortOrder> sort;    // --sort; else the settled sort, else the time sort
  bool files_given = false;         // --files chose the file structure
  bool show_progress = false;       // the progress line on the error stream
  bool summary = false;             // the summary line on the error stream at the end
  bool reason_names_hours = false;  // the reason of a run without soundings names the hours
  // The program's choices in the request built from the options, before the stations are
  // selected; "" or a usage error (status 2). May be empty.
  std::function<std::string(AccessRequest&)> choose;
  // Called once the stations are selected; true ends the run there with status 0. May be empty.
  std::function<bool(const Selection&)> stop_after_selection;
  // The writer of the soundings, writing into `files` (for a request to files).
  std::function<std::unique_ptr<SoundingWriter>(OutputFiles& files, const AccessRequest&)>
      make_writer;
};

// Runs the request of `options` as `run` says: text on `out`, messages on `err`. Status 0 when
// soundings were handed to the writer (or the run stopped after the selection), 1 when the
// request matched nothing, 2 for a usage or I/O error.
Outcome run_request(const SelectionOptions& options, const RequestRun& run, std::ostream& out,
                    std::ostream& err);

}  // namespace wxfetch
