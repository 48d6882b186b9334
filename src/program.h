// The program context: every program-wide record of wxfetch in one object that is passed by
// reference, so that start-up, the dialogue, the drivers and the writers all run inside a test
// with string streams in place of the console.
//
// Ending the program (a help topic missing, an abort at the pager, a write error, EXIT at the
// directory dialogue, end of input) is `end_program`, which closes the output and throws
// `ProgramExit`; `run_wxfetch` (dialogue/startup.h) catches it and returns its status.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "database/archive_names.h"
#include "database/codec.h"
#include "database/decoder.h"
#include "dialogue/request_dialogue.h"
#include "output/kvt_writer.h"
#include "output/output_files.h"
#include "output/pager.h"
#include "stations/catalogue.h"
#include "stations/selection.h"

namespace wxfetch {

// Thrown to end the program; carries the exit status.
struct ProgramExit {
  int status;
};

struct ProgramContext {
  ProgramContext(std::istream& console_in, std::ostream& console_out, std::ostream& console_err);
  ~ProgramContext();
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

  // Closes the output (flushing what it holds) and unwinds to run_wxfetch with `status`.
  [[noreturn]] void end_program(int status);

  // The console.
  std::istream& in;
  std::ostream& out;
  std::ostream& err;

  // Set at start-up from the command line.
  std::string database_directory;  // "" or ends in "/"
  std::string support_directory;   // "" or ends in "/"
  int32_t page_length = 20;

  // The keyword help file, open for the whole run (null until start-up opened it).
  std::unique_ptr<std::istream> help_file;

  // Default date of the dialogue, YYYYMMDDHH ("00000000" until the years are known).
  std::string default_date = "00000000";
  int16_t first_year = 0;
  int16_t last_year = -1;
  YearsPresent years;

  AccessRequest request;
  StationCatalogue catalogue;
  SelectedStations selected;

  BitFieldCodec codec;
  Sounding sounding;
  std::vector<FileSlot> file_slots;  // MAX_FILE_SLOTS slots

  OutputStream output_stream;
  PagingState paging;
  std::vector<KvtStationText> kvt_station_texts;
  // Station history visits open inside each other (STAT typed within a visit).
  int open_history_visits = 0;  // by catalogue row, filled as used
};

}  // namespace wxfetch
