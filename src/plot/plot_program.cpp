#include "plot/plot_program.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>

#include "analysis/indices.h"
#include "plot/index_table.h"
#include "plot/skewt.h"
#include "plot/sounding_reader.h"
#include "text.h"

namespace wxfetch {

std::string svg_file_name(const Profile& profile) {
  return std::to_string(profile.station.wmo) + "_" + profile.station.initials + "_" +
         date_hour_text(profile) + ".svg";
}

bool PlotWriter::begin(std::string& error) {
  if (options_.indices == IndexFormat::CSV) out_ << index_csv_header();
  if (options_.html_file.empty()) return true;
  html_file_.open(options_.html_file, std::ios::binary);
  if (!html_file_) {
    error = file_error(options_.html_file, errno);
    return false;
  }
  page_ = std::make_unique<HtmlPage>(html_file_);
  // The page names its source by its last part: a full path says nothing to a reader.
  page_->begin(options_.input == "-" ? "standard input"
                                     : std::filesystem::path(options_.input).filename().string());
  return true;
}

bool PlotWriter::write_svg(const Profile& profile, const std::string& text, std::string& error) {
  std::string dir = options_.output_directory;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::string path = dir + svg_file_name(profile);
  // A second sounding of the same station and time does not replace the first picture.
  for (int n = 2; written_names_.count(path) != 0; ++n) {
    path = dir + svg_file_name(profile).insert(svg_file_name(profile).size() - 4,
                                               "_" + std::to_string(n));
  }
  written_names_.insert(path);
  std::ofstream file(path, std::ios::binary);
  if (file) file << text;
  if (file) file.close();
  if (!file) {
    error = file_error(path, errno);
    return false;
  }
  return true;
}

bool PlotWriter::add(const Profile& profile, std::string& error) {
  const SoundingAnalysis analysis = analyse_sounding(profile);
  ++soundings_;
  if (options_.indices == IndexFormat::CSV) out_ << index_csv_row(profile, analysis.indices);
  if (options_.indices == IndexFormat::JSON) out_ << index_json_line(profile, analysis.indices);
  if (page_) {
    page_->add(profile, analysis);
    if (!html_file_) {
      error = file_error(options_.html_file, errno);
      return false;
    }
  } else if (options_.indices == IndexFormat::NONE || options_.output_given) {
    return write_svg(profile, skewt_document(profile, analysis), error);
  }
  return true;
}

bool PlotWriter::end(std::string& error) {
  if (!page_) return true;
  page_->end();
  html_file_.close();
  if (!html_file_) {
    error = file_error(options_.html_file, errno);
    return false;
  }
  return true;
}

int run_wxplot(const PlotOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
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

}  // namespace wxfetch
