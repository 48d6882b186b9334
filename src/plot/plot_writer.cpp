#include "plot/plot_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>

#include "analysis/indices.h"
#include "base/text.h"
#include "plot/index_table.h"
#include "plot/skewt.h"
#include "plot/sounding_reader.h"

namespace wxfetch {

std::string svg_file_name(const Profile& profile) {
  std::string initials = profile.station.initials;
  for (char& c : initials) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    if (!plain) c = '_';
  }
  return std::to_string(profile.station.wmo) + "_" + initials + "_" + date_hour_text(profile) +
         ".svg";
}

bool PlotWriter::begin(std::string& error) {
  if (options_.indices == IndexFormat::CSV) out_ << index_csv_header();
  if (options_.html_file.empty()) return true;
  html_file_ = OutputFileStream::create(options_.html_file);
  if (!html_file_) {
    error = file_error(options_.html_file, errno);
    return false;
  }
  page_ = std::make_unique<HtmlPage>(*html_file_);
  // The page names its source by its last part: a full path says nothing to a reader.
  page_->begin(options_.input == "-" ? "standard input"
                                     : std::filesystem::path(options_.input).filename().string());
  return true;
}

bool PlotWriter::write_svg(const Profile& profile, const std::string& text, std::string& error) {
  std::string dir = options_.output_directory;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const std::string name = svg_file_name(profile);
  std::string path = dir + name;
  // A second sounding of the same station and time does not replace the first picture: it
  // takes the next free "_N" of its name (counted per name, so that N copies cost N tries).
  if (written_names_.count(path) != 0) {
    int& copy = next_copy_.try_emplace(name, 2).first->second;
    do {
      path = dir + name.substr(0, name.size() - 4) + "_" + std::to_string(copy++) + ".svg";
    } while (written_names_.count(path) != 0);
  }
  written_names_.insert(path);
  OutputFile file = OutputFile::create(path, system_file_io());
  int failure = file.is_open() ? file.write_all(text.data(), text.size()) : errno;
  if (failure == 0) failure = file.close(true);
  if (failure != 0) {
    error = file_error(path, failure);
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
    if (!*html_file_) {
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
  const int failure = html_file_->finish();
  html_file_.reset();
  if (failure != 0) {
    error = file_error(options_.html_file, failure);
    return false;
  }
  return true;
}

}  // namespace wxfetch
