// wxls's CSV and JSON Lines listings are typed: numbers and booleans unquoted, dates of the station
// tables in ISO 8601, the five-digit WMO text beside the number, and null for what is not known
// (an open end of period, the state of an international site, a station the tables lack).
#include "commands/wxls.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_context.h"

namespace wxfetch {
namespace {

const std::string ARCHIVE = WXFETCH_SAMPLE_ARCHIVE;
const std::string SUPPORT = (testing::source_dir() / "data/sample/support").string();

// The first line that holds `text` of what wxls prints with `args`, after its status.
std::string line_with(std::vector<std::string> args, const std::string& text) {
  args.insert(args.begin(), ARCHIVE);
  std::ostringstream out, err;
  const int status = run_wxls(args, out, err);
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    if (line.find(text) != std::string::npos) return std::to_string(status) + " " + line;
  }
  return std::to_string(status) + " no line with " + text + " in:\n" + out.str() + err.str();
}

TEST(WxlsListing, FindRowsAreTyped) {
  EXPECT_EQ(line_with({"-s", SUPPORT, "--find", "camborne", "-f", "json"}, "CAMBORNE"),
            "0 {\"wmo\":3808,\"wmo_id\":\"03808\",\"wban\":903808,\"station\":\"CAM\","
            "\"name\":\"CAMBORNE\",\"state\":null,\"country\":\"GB\",\"begin\":\"1973-01-01\","
            "\"end\":null,\"in_archive\":true}");
  EXPECT_EQ(line_with({"-s", SUPPORT, "--find", "camborne", "-f", "csv"}, "wmo"),
            "0 wmo,wmo_id,wban,station,name,state,country,begin,end,in_archive");
  EXPECT_EQ(line_with({"-s", SUPPORT, "--find", "camborne", "-f", "csv"}, "CAMBORNE"),
            "0 3808,03808,903808,CAM,CAMBORNE,,GB,1973-01-01,,true");

  // A closed period, and a station of the tables that the archive does not hold.
  testing::TempDir support;
  support.write("stat2000.txt",
                "2   INIT  WBAN   WMO    LAT   LONG W  ELEV    BEGIN      END NAME"
                "                      ST CY\n"
                "OAK  23230 72493  37.73  122.22     3 19480101 19991231 OAKLAND/METRO OAK INTL"
                "    CA US\n"
                "XYZ  99999 01001  70.93   -8.67    10 19600101 19691231 NOWHERE"
                "                   XX NO\n");
  support.write("international_sites.txt", "0\n");
  EXPECT_EQ(line_with({"-s", support.dir(), "--find", "oakland", "-f", "json"}, "OAK"),
            "0 {\"wmo\":72493,\"wmo_id\":\"72493\",\"wban\":23230,\"station\":\"OAK\","
            "\"name\":\"OAKLAND/METRO OAK INTL\",\"state\":\"CA\",\"country\":\"US\","
            "\"begin\":\"1948-01-01\",\"end\":\"1999-12-31\",\"in_archive\":true}");
  EXPECT_EQ(line_with({"-s", support.dir(), "--find", "nowhere", "-f", "csv"}, "NOWHERE"),
            "0 1001,01001,99999,XYZ,NOWHERE,XX,NO,1960-01-01,1969-12-31,false");

  // The counts: a station the tables lack has no WMO number, initials or name.
  EXPECT_EQ(line_with({"-s", support.dir(), "-f", "json"}, "23062"),
            "0 {\"wmo\":null,\"wmo_id\":null,\"wban\":23062,\"station\":null,\"name\":null,"
            "\"year\":1998,\"soundings\":728,\"h00\":354,\"h06\":15,\"h12\":354,\"h18\":5,"
            "\"other\":0,\"first\":\"1998-01-01T12:00Z\",\"last\":\"1998-12-31T12:00Z\","
            "\"problem\":null}");
}

TEST(WxlsListing, CountRowsCarryTheFiveDigitWmoText) {
  EXPECT_EQ(line_with({"-s", SUPPORT, "-w", "3808", "-f", "csv"}, "wmo"),
            "0 wmo,wmo_id,wban,station,name,year,month,soundings,h00,h06,h12,h18,other,first,"
            "last,problem");
  EXPECT_EQ(line_with({"-s", SUPPORT, "-w", "3808", "-f", "csv"}, ",1998,1,"),
            "0 3808,03808,903808,CAM,CAMBORNE,1998,1,60,29,0,31,0,0,1998-01-01T00:00Z,"
            "1998-01-31T12:00Z,");
}

}  // namespace
}  // namespace wxfetch
