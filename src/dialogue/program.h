// The program context of wxfetch: the console and every record of the interactive program in
// one object passed by reference, so that start-up and the dialogue run inside a test with
// string streams in place of the console. Only the dialogue and start-up read it; everything
// below them is given what it uses.
//
// Ending the program is Console::end_program (it closes the output first); run_wxfetch
// (dialogue/startup.h) catches the ProgramExit and returns its status.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "console/console.h"
#include "dialogue/console_reporters.h"

namespace wxfetch {

struct AccessRequest;
struct StationCatalogue;
struct SelectedStations;
struct YearsPresent;
class OutputStream;

struct ProgramContext : Console {
  // Installs the station history browser as the console's STAT hook and the closing of the
  // output as its exit step.
  ProgramContext(std::istream& console_in, std::ostream& console_out, std::ostream& console_err);
  ~ProgramContext();
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

 private:
  struct Records;
  std::unique_ptr<Records> records_;  // owns what the references below name

 public:
  // Set at start-up from the command line.
  std::string database_directory;  // "" or ends in "/"
  std::string support_directory;   // "" or ends in "/"

  // Default date of the dialogue, YYYYMMDDHH ("00000000" until the years are known).
  std::string default_date = "00000000";
  int16_t first_year = 0;
  int16_t last_year = -1;
  YearsPresent& years;

  AccessRequest& request;
  StationCatalogue& catalogue;
  SelectedStations& selected;

  // The screen, no stream, or the open output file.
  OutputStream& output_stream;
  // Station history visits open inside each other (STAT typed within a visit).
  int open_history_visits = 0;
  // Pages the screen while a run writes soundings to it.
  ConsolePager pager{*this};
};

}  // namespace wxfetch
