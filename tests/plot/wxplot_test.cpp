#include "commands/wxplot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::TempDir;

const std::string HEADER =
    "wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,"
    "wind_direction_deg,wind_speed_kt\n";

// Two soundings of one station, the second with a gap in its dew points.
const std::string CSV = HEADER +
                        "72999,12345,ABC,2001-06-01T00:00Z,surface,1000,100,30,22,180,10\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,850,1500,19,14,220,25\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,700,3100,8,-2,240,35\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,500,5800,-12,-30,250,45\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,300,9500,-38,-50,260,60\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,200,12300,-55,,260,60\n"
                        "72999,12345,ABC,2001-06-01T00:00Z,mandatory,100,16600,-62,,,\n"
                        "72999,12345,ABC,2001-06-01T12:00Z,surface,1000,100,22,18,0,0\n"
                        "72999,12345,ABC,2001-06-01T12:00Z,mandatory,850,1500,15,,220,25\n"
                        "72999,12345,ABC,2001-06-01T12:00Z,mandatory,700,3100,4,-6,240,35\n"
                        "72999,12345,ABC,2001-06-01T12:00Z,mandatory,500,5800,-14,-30,250,75\n";

struct PlotRun {
  int status;
  std::string out, err;
};

PlotRun wxplot(const std::vector<std::string>& args) {
  std::istringstream in;
  std::ostringstream out, err;
  const int status = run_wxplot_command(args, in, out, err);
  return {status, out.str(), err.str()};
}

bool have(const char* program) {
  return testing::run_shell(std::string("command -v ") + program + " >/dev/null 2>&1") == 0;
}

TEST(Wxplot, IndicesAsCsvAndJsonLines) {
  TempDir dir;
  const std::string input = dir.write("in.csv", CSV).string();
  const PlotRun csv = wxplot({"--input", input, "--indices"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  std::istringstream lines(csv.out);
  std::string header, first, second;
  std::getline(lines, header), std::getline(lines, first), std::getline(lines, second);
  EXPECT_EQ(header,
            "wmo,time,showalter,lifted_index,lifted_index_virtual,sweat,k_index,cross_totals,"
            "vertical_totals,total_totals,cape,cape_virtual,cin,cin_virtual,el_hpa,"
            "el_virtual_hpa,lfc_hpa,lfc_virtual_hpa,bulk_richardson,lcl_temperature_k,"
            "lcl_pressure_hpa,mixed_layer_theta_k,mixed_layer_mixing_ratio_gkg,"
            "thickness_1000_500_m,precipitable_water_mm,sb_cape,sb_cin"
            // The newer columns come after today's, each name with its unit.
            ",sb_lcl_hpa,sb_lcl_m_agl,sb_lfc_hpa,sb_el_hpa,ml_cape_jkg,ml_cin_jkg,ml_lcl_hpa,"
            "ml_lcl_m_agl,ml_lfc_hpa,ml_el_hpa,mu_start_hpa,mu_cape_jkg,mu_cin_jkg,mu_lcl_hpa,"
            "mu_lfc_hpa,mu_el_hpa,shear_0_1km_ms,shear_0_1km_kt,shear_0_3km_ms,shear_0_3km_kt,"
            "shear_0_6km_ms,shear_0_6km_kt,bunkers_right_direction_deg,bunkers_right_speed_kt,"
            "bunkers_left_direction_deg,bunkers_left_speed_kt,srh_0_1km_m2s2,srh_0_3km_m2s2,"
            "lapse_rate_0_3km_c_km,lapse_rate_700_500_c_km,freezing_level_m_agl,"
            "wet_bulb_zero_m_agl,stp_fixed,scp_fixed");
  EXPECT_EQ(first.rfind("72999,2001-06-01T00:00Z,", 0), 0u) << first;
  EXPECT_NE(first.find(",5700,"), std::string::npos) << first;  // thickness
  // No 850-mb dew point at 12 UTC: K index and cross totals empty, vertical totals not.
  EXPECT_NE(second.find(",,,29.00,"), std::string::npos) << second;
  EXPECT_FALSE(std::filesystem::exists("72999_ABC_2001060100.svg"));

  const PlotRun json = wxplot({"--input=" + input, "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out.rfind("{\"wmo\":72999,\"time\":\"2001-06-01T00:00Z\",\"showalter\":", 0), 0u);
  EXPECT_NE(json.out.find("\"k_index\":null"), std::string::npos);
}

TEST(Wxplot, SvgFilesParseAndConvert) {
  TempDir dir;
  const std::string input = dir.write("in.csv", CSV + CSV.substr(HEADER.size(), 60)).string();
  const PlotRun run = wxplot({"--input", input, "--output", dir.dir()});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* name :
       {"72999_ABC_2001060100.svg", "72999_ABC_2001060112.svg", "72999_ABC_2001060100_2.svg"}) {
    EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << name;
  }
  if (!have("rsvg-convert")) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
  for (const char* name : {"72999_ABC_2001060100.svg", "72999_ABC_2001060112.svg"}) {
    const std::string svg = testing::shell_quoted(dir.path() / name);
    const std::string png = testing::shell_quoted(dir.path() / (std::string(name) + ".png"));
    EXPECT_EQ(testing::run_shell("rsvg-convert " + svg + " -o " + png + " 2>/dev/null"), 0) << name;
  }
}

TEST(Wxplot, HtmlPageRendersInABrowser) {
  TempDir dir;
  const std::string input = dir.write("in.csv", CSV).string();
  const std::filesystem::path page = dir.path() / "page.html";
  const PlotRun run = wxplot({"--input", input, "--html", page.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream file(page);
  const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(html.find("<script"), std::string::npos);
  for (const char* outside : {"src=", "href=\"http", "url(http", "@import"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
  if (!have("chromium")) GTEST_SKIP() << "chromium is not installed";
  const std::filesystem::path png = dir.path() / "page.png";
  const std::string command =
      "timeout 120 chromium --headless --no-sandbox --disable-gpu --window-size=800,1100 "
      "--user-data-dir=" +
      testing::shell_quoted(dir.path() / "profile") +
      " --screenshot=" + testing::shell_quoted(png) + " file://" + page.string() +
      " >/dev/null 2>&1";
  ASSERT_EQ(testing::run_shell(command), 0);
  // A blank white page of this size compresses to a few kilobytes; the pictures do not.
  ASSERT_TRUE(std::filesystem::exists(png));
  EXPECT_GT(std::filesystem::file_size(png), 30000u);
}

TEST(Wxplot, UsageAndInputFailures) {
  TempDir dir;
  const std::string empty = dir.write("empty.txt", "").string();
  const std::string input = dir.write("in.csv", CSV).string();
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{}, 2, "--input FILE is needed"},
      {{"--input", input, "--bogus"}, 2, "unknown option '--bogus'"},
      {{"--input", input, "--format", "xml"}, 2, "unknown format 'xml'"},
      {{"--input"}, 2, "option '--input' needs a value"},
      {{"--input", input, "--wmo", "72469"}, 2, "the selection options need --archive DIR"},
      {{"--input", input, "--html", "x.html", "--output", "d"}, 2, "exclude each other"},
      {{"--input", (dir.path() / "missing.txt").string()}, 2, "missing.txt: No such file"},
      {{"--input", empty}, 1, "no sounding in"},
      {{"--input", input, "--output", (dir.path() / "absent").string()},
       2,
       "72999_ABC_2001060100.svg: No such file"},
  };
  for (const auto& c : cases) {
    const PlotRun run = wxplot(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(wxplot({"--version"}).out, "wxplot " WXFETCH_VERSION "\n");
}

}  // namespace
}  // namespace wxfetch
