// One self-contained HTML page of Skew-T pictures and hodographs, each with its indices in a
// table under it, after a heading naming the stations and the period and a table of contents
// that sorts by each of its columns: no scripts and no outside resources (the sorting is done by
// style rules on the link's target). The background lines are defined once in the page and
// every picture refers to them, which keeps a station-year of pictures small.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analysis/indices.h"
#include "analysis/profile.h"

namespace wxfetch {

// Collects the soundings as they come (begin, one section per sounding) and writes the page at
// the end, when the heading and the contents are known.
class HtmlPage {
 public:
  explicit HtmlPage(std::ostream& out) : out_(out) {}
  // `source` names what the soundings were read from (a file or an archive).
  void begin(const std::string& source);
  void add(const Profile& profile, const SoundingAnalysis& analysis);
  void end();

  // The columns of the table of contents after the sounding itself.
  struct Entry {
    std::string station;  // "72357 OUN"
    std::string time;     // YYYYMMDDHH
    std::string title;
    double values[6];
  };

 private:
  void write_contents();

  std::ostream& out_;
  std::string source_;
  std::string sections_;
  std::vector<Entry> entries_;
};

// The page's heading for these soundings: their stations (the first three, then how many more)
// and their period ("72357 OUN, 1999-05-01 00Z to 1999-05-31 12Z").
std::string page_heading(const std::vector<HtmlPage::Entry>& entries);

}  // namespace wxfetch
