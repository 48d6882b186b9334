// wxplot's options, and the writer that turns each sounding into an SVG picture, a
// section of one HTML page and a row of indices. The writer takes the soundings one at a time
// (begin, one sounding, end), so that a reader of files and, later, the extraction drivers over
// an archive can both feed it.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/profile.h"
#include "base/output_file.h"
#include "plot/html_page.h"

namespace wxfetch {

enum class IndexFormat { NONE, CSV, JSON };

struct PlotOptions {
  std::string input;             // --input FILE ("-": standard input)
  std::string output_directory;  // --output DIR (default: the current directory)
  bool output_given = false;
  std::string html_file;                    // --html FILE: one page instead of SVG files
  IndexFormat indices = IndexFormat::NONE;  // --indices, --format csv|json
};

// Writes what the options ask for: SVG files in the output directory (unless an HTML page is
// asked for, or only indices), the HTML page, and indices on `out`. Each call returns false with
// `error` set ("NAME: reason") when a file cannot be written.
class PlotWriter {
 public:
  PlotWriter(const PlotOptions& options, std::ostream& out) : options_(options), out_(out) {}
  bool begin(std::string& error);
  bool add(const Profile& profile, std::string& error);
  bool end(std::string& error);
  int soundings() const { return soundings_; }

 private:
  bool write_svg(const Profile& profile, const std::string& text, std::string& error);

  const PlotOptions& options_;
  std::ostream& out_;
  std::unique_ptr<OutputFileStream> html_file_;
  std::unique_ptr<HtmlPage> page_;
  std::unordered_set<std::string> written_names_;
  std::unordered_map<std::string, int> next_copy_;  // by file name: the next "_N" to try
  int soundings_ = 0;
};

// The SVG file name of a sounding: WMO number, "_", initials, "_", YYYYMMDDHH, ".svg" (as the
// KVT file of a station series with one file per sounding). Every character of the initials
// outside A-Z, a-z, 0-9, "_" and "-" becomes "_", so that no name leaves the output folder.
std::string svg_file_name(const Profile& profile);

}  // namespace wxfetch
