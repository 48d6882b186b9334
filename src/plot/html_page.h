// One self-contained HTML page of Skew-T pictures, each with its indices in a table under it: no
// scripts and no outside resources. The background lines are defined once in the page and every
// picture refers to them, which keeps a station-year of pictures small.
#pragma once

#include <ostream>
#include <string>

#include "analysis/indices.h"
#include "analysis/profile.h"

namespace wxfetch {

// Writes the page to `out` as the soundings come: begin, one section per sounding, end.
class HtmlPage {
 public:
  explicit HtmlPage(std::ostream& out) : out_(out) {}
  void begin(const std::string& title);
  void add(const Profile& profile, const SoundingAnalysis& analysis);
  void end();

 private:
  std::ostream& out_;
};

}  // namespace wxfetch
