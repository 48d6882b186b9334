#include "plot/html_page.h"

#include "plot/index_table.h"
#include "plot/skewt.h"

namespace wxfetch {

namespace {

constexpr int TABLE_PAIRS_PER_ROW = 4;

}  // namespace

void HtmlPage::begin(const std::string& title) {
  out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
       << xml_escaped(title)
       << "</title>\n<style>\nbody{font-family:sans-serif;margin:1em;background:#fff;color:#111}\n"
          "section{margin-bottom:2em}\ntable{border-collapse:collapse;font-size:12px}\n"
          "td{border:1px solid #ccc;padding:2px 6px}\ntd.n{color:#555}\ntd.v{text-align:right}\n"
          "</style>\n</head>\n<body>\n<h1>"
       << xml_escaped(title) << "</h1>\n"
       << "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\" "
          "xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
          "<defs>\n"
       << skewt_definitions() << "</defs></svg>\n";
}

void HtmlPage::add(const Profile& profile, const SoundingAnalysis& analysis) {
  out_ << "<section>\n<h2>" << xml_escaped(skewt_title(profile)) << "</h2>\n"
       << skewt_open_tag() << skewt_body(profile, analysis) << "</svg>\n<table>\n";
  int in_row = 0;
  for (const IndexColumn& column : INDEX_COLUMNS) {
    if (in_row == 0) out_ << "<tr>";
    out_ << "<td class=\"n\">" << column.name << "</td><td class=\"v\">"
         << index_text(column.value(analysis.indices), column.decimals) << "</td>";
    if (++in_row == TABLE_PAIRS_PER_ROW) {
      out_ << "</tr>\n";
      in_row = 0;
    }
  }
  if (in_row != 0) out_ << "</tr>\n";
  out_ << "</table>\n</section>\n";
}

void HtmlPage::end() {
  out_ << "</body>\n</html>\n";
}

}  // namespace wxfetch
