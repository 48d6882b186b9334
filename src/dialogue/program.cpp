#include "dialogue/program.h"

#include "database/archive_names.h"
#include "dialogue/history_help.h"
#include "output/output_stream.h"
#include "records/access_request.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch {

struct ProgramContext::Records {
  YearsPresent years;
  AccessRequest request;
  StationCatalogue catalogue;
  SelectedStations selected;
  OutputStream output_stream;
};

ProgramContext::ProgramContext(std::istream& console_in, std::ostream& console_out,
                               std::ostream& console_err)
    : Console(console_in, console_out, console_err),
      records_(std::make_unique<Records>()),
      years(records_->years),
      request(records_->request),
      catalogue(records_->catalogue),
      selected(records_->selected),
      output_stream(records_->output_stream) {
  output_stream.set_console(console_out);
  station_history = [this] {
    station_history_help(*this, catalogue, default_date, open_history_visits);
  };
  before_exit = [this] { output_stream.close_quietly(); };
}

ProgramContext::~ProgramContext() = default;

}  // namespace wxfetch
