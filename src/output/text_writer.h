// What the two text writers (KVT and FAA604) share: they write to the output stream of the
// request's output files (or to the screen), page the screen, and start, name and close the
// files when the driver says so. Each format's writer owns its level selection, its cuts and its
// caches.
#pragma once

#include <cstdint>

#include "output/screen_pager.h"
#include "output/sounding_writer.h"

namespace wxfetch {

class OutputFiles;
class OutputStream;

class TextWriter : public SoundingWriter {
 public:
  // Writes to `files` (its stream is the screen for a request to the screen) and counts the
  // lines written to the screen with `pager`.
  TextWriter(ScreenPager& pager, OutputFiles& files, OutputFormat format);

  // Paging on for the screen, off for files; a new run of files, named after `request`.
  void begin(const AccessRequest& request) override;
  // Closes the open file; a failure to write it ends the program.
  void finish_file() override;
  // Closes the open file and opens the next, named by output_file_name.
  void start_file(int32_t date_hour, const StationRow& station) override;
  // Closes the last file; a failure to write it ends the program.
  void end() override;

 protected:
  OutputStream& stream();
  // Ends the program when the output could not be written.
  void check_output();
  // Counts a written line for the screen's pages (and pauses after a full page).
  void pause();

  ScreenPager& pager_;
  OutputFiles& files_;

 private:
  const OutputFormat format_;
  SortOrder sort_ = SortOrder::CLIMATOLOGICAL;
  bool one_file_ = false;
  int32_t begin_date_ = 0;
};

}  // namespace wxfetch
