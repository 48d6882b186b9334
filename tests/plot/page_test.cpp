#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "commands/wxplot.h"
#include "plot/html_page.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TempDir;

const std::string HEADER =
    "wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,"
    "wind_direction_deg,wind_speed_kt\n";

// One sounding of station 72999 at `time` whose ground is `warmth` degrees warmer than the rest:
// the warmer, the more CAPE. Winds veer and strengthen with height.
std::string sounding(const std::string& time, double warmth) {
  std::ostringstream out;
  const struct {
    const char* kind;
    double p, z, t, td, dir, kt;
  } levels[] = {
      {"surface", 1000, 100, 24, 19, 150, 15},     {"mandatory", 925, 780, 19, 16, 190, 30},
      {"mandatory", 850, 1500, 15, 12, 220, 35},   {"mandatory", 700, 3100, 5, -5, 240, 40},
      {"mandatory", 500, 5800, -14, -30, 250, 50}, {"mandatory", 300, 9500, -40, -52, 260, 65},
      {"mandatory", 200, 12300, -55, -65, 260, 60}};
  for (const auto& l : levels) {
    const double t = l.t + (l.p >= 925 ? warmth : 0), td = l.td + (l.p >= 925 ? warmth / 2 : 0);
    out << "72999,12345,ABC," << time << "," << l.kind << "," << l.p << "," << l.z << "," << t
        << "," << td << "," << l.dir << "," << l.kt << "\n";
  }
  return out.str();
}

std::string read(const std::filesystem::path& path) {
  return testing::read_file(path);
}

// The page of four soundings whose CAPE order differs from their time order.
std::filesystem::path make_page(const TempDir& dir) {
  const std::string csv = HEADER + sounding("2001-06-01T00:00Z", 2) +
                          sounding("2001-06-01T12:00Z", 6) + sounding("2001-06-02T00:00Z", 0) +
                          sounding("2001-06-02T12:00Z", 4);
  const std::string input = dir.write("in.csv", csv).string();
  const std::filesystem::path page = dir.path() / "page.html";
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(run_wxplot_command({"--input", input, "--html", page.string()}, in, out, err), 0)
      << err.str();
  return page;
}

TEST(Page, HeadingContentsUnitsAndReasonsForEmptyCells) {
  TempDir dir;
  const std::string html = read(make_page(dir));
  EXPECT_NE(html.find("<h1>72999 ABC, 2001-06-01 00Z to 2001-06-02 12Z</h1>"), std::string::npos);
  EXPECT_NE(html.find("4 soundings from in.csv."), std::string::npos);
  EXPECT_EQ(html.find(dir.path().string()), std::string::npos);  // no absolute path
  for (const char* part :
       {"href=\"#s4\"", "id=\"s4\"", "Surface-based CAPE (J/kg)",
        "Storm-relative helicity 0\u20131 km (m\u00b2/s\u00b2)", "href=\"#by-sbcape-d\""}) {
    EXPECT_NE(html.find(part), std::string::npos) << part;
  }
  // The parcels are still buoyant at 200 mb, where the soundings end: their equilibrium levels
  // are empty, marked and explained.
  EXPECT_NE(html.find("class=\"absent\" title=\"no positive area above the LCL, or the parcel is "
                      "still buoyant where the sounding ends\">\u2013<"),
            std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(std::count(html.begin(), html.end(), '\0'), 0);
}

TEST(Page, HeadingNamesThreeStationsAndCountsTheRest) {
  const auto entry = [](const char* station, const char* time) {
    return HtmlPage::Entry{station, time, "", {}};
  };
  EXPECT_EQ(page_heading({entry("72357 OUN", "1999050400")}), "72357 OUN, 1999-05-04 00Z");
  EXPECT_EQ(page_heading({entry("1 A", "2000010112"), entry("2 B", "1999123100"),
                          entry("1 A", "2000010100"), entry("3 C", "2000010100"),
                          entry("4 D", "2000010100"), entry("5 E", "2000010100")}),
            "1 A, 2 B, 3 C and 2 more, 1999-12-31 00Z to 2000-01-01 12Z");
  EXPECT_EQ(page_heading({}), "No soundings");
}

// The visual order of the contents' rows and the hodographs' sizes, as the browser lays out the
// page opened at `fragment`: the page is copied with a probe script that writes them into the
// document once the fragment is the target (after the load), and chromium dumps the document.
std::string browser_probe(const TempDir& dir, const std::filesystem::path& page,
                          const std::string& fragment, const std::string& profile) {
  std::string html = read(page);
  const std::string probe =
      "<pre id=\"probe\"></pre><script>addEventListener('load',()=>setTimeout(()=>{"
      "const rows=[...document.querySelectorAll('.toc a.row')];"
      "rows.sort((a,b)=>a.getBoundingClientRect().top-b.getBoundingClientRect().top);"
      "const h=[...document.querySelectorAll('svg.hodograph')].map(s=>s.getBoundingClientRect());"
      "document.getElementById('probe').textContent='probe-order='+rows.map(r=>r.getAttribute("
      "'href')).join(',')+';hodographs:'+h.filter(r=>r.width>100&&r.height>100).length+';';"
      "},50));</script>";
  html.insert(html.rfind("</body>"), probe);
  const std::filesystem::path copy = dir.write("probe.html", html);
  const std::filesystem::path dom = dir.path() / ("dom-" + profile + ".html");
  const std::string command =
      "timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--virtual-time-budget=5000 --user-data-dir=" +
      testing::shell_quoted(dir.path() / ("profile-" + profile)) + " --dump-dom 'file://" +
      copy.string() + "#" + fragment + "' > " + testing::shell_quoted(dom) + " 2>/dev/null";
  if (testing::run_shell(command) != 0) return "chromium failed";
  const std::string dumped = read(dom);
  const size_t at = dumped.find("probe-order=");
  return at == std::string::npos ? "no probe output" : dumped.substr(at, dumped.find(';', at) - at);
}

TEST(Page, ContentsSortInABrowserWithoutScriptsAndHodographsShow) {
  if (testing::run_shell("command -v chromium >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "chromium is not installed";
  }
  TempDir dir;
  const std::filesystem::path page = make_page(dir);
  // Time order as written; CAPE falling: the warmest ground (second sounding) first.
  EXPECT_EQ(browser_probe(dir, page, "", "a"), "probe-order=#s1,#s2,#s3,#s4");
  EXPECT_EQ(browser_probe(dir, page, "by-sbcape-d", "b"), "probe-order=#s2,#s4,#s1,#s3");
  EXPECT_EQ(browser_probe(dir, page, "by-sbcape-a", "c"), "probe-order=#s3,#s1,#s4,#s2");
  EXPECT_EQ(browser_probe(dir, page, "by-time-d", "d"), "probe-order=#s4,#s3,#s2,#s1");
  const std::string dumped = read(dir.path() / "dom-a.html");
  EXPECT_NE(dumped.find("hodographs:4;"), std::string::npos);
}

TEST(Page, HodographConvertsWithRsvg) {
  if (testing::run_shell("command -v rsvg-convert >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  }
  TempDir dir;
  const std::string html = read(make_page(dir));
  const size_t start = html.find("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"hodograph\"");
  ASSERT_NE(start, std::string::npos);
  const std::string svg = html.substr(start, html.find("</svg>", start) + 6 - start);
  EXPECT_EQ(std::count(svg.begin(), svg.end(), '\n') > 5, true);
  const std::filesystem::path file = dir.write("hodograph.svg", svg);
  const std::filesystem::path png = dir.path() / "hodograph.png";
  ASSERT_EQ(testing::run_shell("rsvg-convert " + testing::shell_quoted(file) + " -o " +
                               testing::shell_quoted(png) + " 2>/dev/null"),
            0);
  EXPECT_GT(std::filesystem::file_size(png), 2000u);
}

}  // namespace
}  // namespace wxfetch
