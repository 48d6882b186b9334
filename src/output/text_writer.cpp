#include "output/text_writer.h"

#include <cassert>

#include "output/output_files.h"
#include "output/output_stream.h"

namespace wxfetch {

TextWriter::TextWriter(ScreenPager& pager, OutputFiles& files, OutputFormat format)
    : pager_(pager), files_(files), format_(format) {}

void TextWriter::begin(const AccessRequest& request) {
  pager_.start(!request.to_files());
  files_.start_run();
  sort_ = request.sort_order;
  one_file_ = request.one_file();
  begin_date_ = request.begin_value;
}

void TextWriter::start_file(int32_t date_hour, const StationRow& station) {
  assert(station.entry != nullptr);
  files_.open_file(
      output_file_name(format_, sort_, one_file_, date_hour, begin_date_, *station.entry));
}

void TextWriter::finish_file() {
  files_.close_file();
}

void TextWriter::end() {
  files_.close_file();
}

OutputStream& TextWriter::stream() {
  return files_.stream();
}

void TextWriter::check_output() {
  files_.check();
}

void TextWriter::pause() {
  pager_.count_line();
}

}  // namespace wxfetch
