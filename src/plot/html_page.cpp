#include "plot/html_page.h"

#include <algorithm>
#include <numeric>

#include "plot/hodograph.h"
#include "plot/index_table.h"
#include "plot/skewt.h"

namespace wxfetch {

namespace {

constexpr int TABLE_PAIRS_PER_ROW = 4;

// The sortable columns of the contents after the sounding: key, heading, unit, value, decimals.
struct ContentsColumn {
  const char* key;
  const char* heading;
  const char* unit;
  double (*value)(const Indices&);
  int decimals;
  const char* why_absent;
};

const ContentsColumn CONTENTS[] = {
    {"sbcape", "Surface CAPE", "J/kg", [](const Indices& ix) { return ix.sb.cape; }, 0,
     why::SURFACE},
    {"mucape", "Most-unstable CAPE", "J/kg", [](const Indices& ix) { return ix.mu.cape; }, 0,
     why::UNSTABLE},
    {"shear", "Shear 0\u20136 km", "kt", [](const Indices& ix) { return ix.shear_6km_kt; }, 0,
     why::WIND},
    {"srh1", "SRH 0\u20131 km", "m\u00b2/s\u00b2", [](const Indices& ix) { return ix.srh_1km; }, 0,
     why::WIND},
    {"srh3", "SRH 0\u20133 km", "m\u00b2/s\u00b2", [](const Indices& ix) { return ix.srh_3km; }, 0,
     why::WIND},
    {"stp", "STP", "", [](const Indices& ix) { return ix.stp; }, 2, why::COMPOSITE},
};
static_assert(std::size(CONTENTS) == sizeof(HtmlPage::Entry::values) / sizeof(double));

// The keys the contents sort by: the time, then the columns'.
const std::vector<std::string> SORT_KEYS = {"time", "sbcape", "mucape", "shear",
                                            "srh1", "srh3",   "stp"};

std::string time_text(const std::string& yyyymmddhh) {
  if (yyyymmddhh.size() != 10) return yyyymmddhh;
  return yyyymmddhh.substr(0, 4) + "-" + yyyymmddhh.substr(4, 2) + "-" + yyyymmddhh.substr(6, 2) +
         " " + yyyymmddhh.substr(8, 2) + "Z";
}

// A table cell of a value, or "–" with the reason as its tooltip.
std::string value_cell(const char* tag, double value, int decimals, const char* why_absent) {
  const std::string text = index_text(value, decimals);
  if (text.empty()) {
    return std::string("<") + tag + " class=\"absent\" title=\"" + xml_escaped(why_absent) +
           "\">\u2013</" + tag + ">";
  }
  return std::string("<") + tag + " class=\"v\">" + text + "</" + tag + ">";
}

std::string label_with_unit(const char* label, const char* unit) {
  return *unit == '\0' ? std::string(label) : std::string(label) + " (" + unit + ")";
}

std::string index_table(const Indices& ix) {
  std::string out = "<table class=\"indices\">\n";
  int in_row = 0;
  for (const IndexColumn& column : INDEX_COLUMNS) {
    if (in_row == 0) out += "<tr>";
    out += "<th title=\"" + std::string(column.name) + "\">" +
           xml_escaped(label_with_unit(column.label, column.unit)) + "</th>" +
           value_cell("td", column.value(ix), column.decimals, column.why_absent);
    if (++in_row == TABLE_PAIRS_PER_ROW) {
      out += "</tr>\n";
      in_row = 0;
    }
  }
  if (in_row != 0) out += "</tr>\n";
  return out + "</table>\n";
}

const char* const STYLE =
    "body{font-family:sans-serif;margin:1em;background:#fff;color:#111}\n"
    "h1{font-size:1.5em}section{margin:2em 0;border-top:1px solid #ccc}\n"
    ".pictures{display:flex;flex-wrap:wrap;align-items:flex-start;gap:8px}\n"
    "table.indices{border-collapse:collapse;font-size:12px}\n"
    "table.indices th{font-weight:normal;color:#444;text-align:left;padding:2px 6px;"
    "border:1px solid #ddd;background:#f6f6f6}\n"
    "table.indices td{border:1px solid #ddd;padding:2px 6px;text-align:right;min-width:4em}\n"
    ".absent{color:#999;cursor:help}\n"
    ".toc{display:flex;flex-direction:column;font-size:13px;max-width:72em}\n"
    ".toc .row{display:grid;grid-template-columns:16em repeat(6,9em);padding:1px 4px;"
    "color:inherit;text-decoration:none;order:var(--time-a)}\n"
    ".toc a.row:hover{background:#eef}\n.toc .row span{text-align:right}\n"
    ".toc .row span:first-child{text-align:left}\n"
    ".toc .head{order:-1!important;font-weight:bold;border-bottom:1px solid #999}\n"
    ".toc .head a{text-decoration:none;padding:0 2px}\n"
    // A sort link targets an empty span above the contents: the page keeps its heading in view
    // instead of scrolling the span to the top.
    "#contents>span{scroll-margin-top:100vh}\n";

// The rule that orders the rows by one key and direction when its link is followed.
std::string sort_rule(const std::string& key, char direction) {
  const std::string id = "by-" + key + "-" + direction;
  return "#" + id + ":target~.toc .row{order:var(--" + key + "-" + direction + ")}\n";
}

std::string sort_links(const std::string& key) {
  return " <a href=\"#by-" + key + "-d\" title=\"largest first\">\u25bc</a><a href=\"#by-" + key +
         "-a\" title=\"smallest first\">\u25b2</a>";
}

// Each entry's place (0 first) when sorted by `value` rising or falling; absent values last.
std::vector<size_t> ranks(const std::vector<double>& value, bool falling) {
  std::vector<size_t> order(value.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (!present(value[a]) || !present(value[b])) return present(value[a]) && !present(value[b]);
    return falling ? value[a] > value[b] : value[a] < value[b];
  });
  std::vector<size_t> rank(value.size());
  for (size_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
  return rank;
}

}  // namespace

std::string page_heading(const std::vector<HtmlPage::Entry>& entries) {
  if (entries.empty()) return "No soundings";
  std::vector<std::string> stations;
  std::string first = entries.front().time, last = first;
  for (const HtmlPage::Entry& e : entries) {
    if (std::find(stations.begin(), stations.end(), e.station) == stations.end()) {
      stations.push_back(e.station);
    }
    first = std::min(first, e.time), last = std::max(last, e.time);
  }
  std::string out;
  for (size_t i = 0; i < stations.size() && i < 3; ++i) out += (i ? ", " : "") + stations[i];
  if (stations.size() > 3) out += " and " + std::to_string(stations.size() - 3) + " more";
  out += ", " + time_text(first);
  return first == last ? out : out + " to " + time_text(last);
}

void HtmlPage::begin(const std::string& source) {
  source_ = source;
}

void HtmlPage::add(const Profile& profile, const SoundingAnalysis& analysis) {
  Entry entry;
  entry.station = std::to_string(profile.station.wmo);
  if (!profile.station.initials.empty()) entry.station += " " + profile.station.initials;
  entry.time = date_hour_text(profile);
  entry.title = skewt_title(profile);
  for (size_t i = 0; i < std::size(CONTENTS); ++i) {
    entry.values[i] = CONTENTS[i].value(analysis.indices);
  }
  const std::string id = "s" + std::to_string(entries_.size() + 1);
  sections_ += "<section id=\"" + id + "\">\n<h2>" + xml_escaped(entry.title) +
               "</h2>\n<div class=\"pictures\">\n" + skewt_open_tag() +
               skewt_body(profile, analysis) + "</svg>\n" + hodograph_svg(analysis) + "</div>\n" +
               index_table(analysis.indices) +
               "<p><a href=\"#contents\">Contents</a></p>\n</section>\n";
  entries_.push_back(std::move(entry));
}

void HtmlPage::end() {
  const std::string heading = xml_escaped(page_heading(entries_));
  std::string rules;
  for (const std::string& key : SORT_KEYS) {
    rules += sort_rule(key, 'a') + sort_rule(key, 'd');
  }
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
       << heading << "</title>\n<style>\n"
       << STYLE << rules << "</style>\n</head>\n<body>\n<h1>" << heading << "</h1>\n<p>"
       << entries_.size() << (entries_.size() == 1 ? " sounding" : " soundings") << " from "
       << xml_escaped(source_) << ".</p>\n"
       << "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\" "
          "xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
          "<defs>\n"
       << skewt_definitions() << "</defs></svg>\n";
  write_contents();
  out_ << sections_ << "</body>\n</html>\n";
}

void HtmlPage::write_contents() {
  const size_t n = entries_.size();
  // Each row's place by every key, rising and falling: time first, then the columns.
  std::vector<std::vector<size_t>> rising, falling;
  std::vector<double> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = std::stod(entries_[i].time + ".0");
  rising.push_back(ranks(v, false)), falling.push_back(ranks(v, true));
  for (size_t k = 0; k < std::size(CONTENTS); ++k) {
    for (size_t i = 0; i < n; ++i) v[i] = entries_[i].values[k];
    rising.push_back(ranks(v, false)), falling.push_back(ranks(v, true));
  }
  out_ << "<nav id=\"contents\">\n<h2>Contents</h2>\n<p>Follow a link to its sounding; "
          "\u25bc and \u25b2 sort by a column.</p>\n";
  for (const std::string& key : SORT_KEYS) {
    out_ << "<span id=\"by-" << key << "-a\"></span><span id=\"by-" << key << "-d\"></span>";
  }
  out_ << "\n<div class=\"toc\">\n<div class=\"row head\"><span>Sounding" << sort_links("time")
       << "</span>";
  for (const ContentsColumn& c : CONTENTS) {
    out_ << "<span>" << xml_escaped(label_with_unit(c.heading, c.unit)) << sort_links(c.key)
         << "</span>";
  }
  out_ << "</div>\n";
  for (size_t i = 0; i < n; ++i) {
    out_ << "<a class=\"row\" href=\"#s" << i + 1 << "\" style=\"";
    for (size_t k = 0; k < SORT_KEYS.size(); ++k) {
      out_ << (k ? ";" : "") << "--" << SORT_KEYS[k] << "-a:" << rising[k][i] << ";--"
           << SORT_KEYS[k] << "-d:" << falling[k][i];
    }
    out_ << "\"><span>" << xml_escaped(entries_[i].title) << "</span>";
    for (size_t k = 0; k < std::size(CONTENTS); ++k) {
      out_ << value_cell("span", entries_[i].values[k], CONTENTS[k].decimals,
                         CONTENTS[k].why_absent);
    }
    out_ << "</a>\n";
  }
  out_ << "</div>\n</nav>\n";
}

}  // namespace wxfetch
