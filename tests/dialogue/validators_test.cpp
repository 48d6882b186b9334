#include "dialogue/validators.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace wxfetch {
namespace {

using Validator = int16_t (*)(std::ostream&, std::string_view);

struct Case {
  const char* name;
  Validator validator;
  std::string reply;
  int16_t expected;
  std::string message;  // the whole output, "" when the reply is accepted
};

const std::string LAT_LONG_MESSAGE_END = "\" is not a valid lat/long.  Enter all the digits.\n\n";
const std::string DECIMAL_POINT_MESSAGE =
    "\n\tERROR:  a decimal point is required for this number.\n\n";
const std::string DATE_MESSAGE_END = "\" is not a valid date.  Enter all ten digits.\n";
const std::string STATION_MESSAGE_END =
    "\" is not a valid station number.  Enter all the digits.\n\n";

std::string bad(const std::string& reply, const std::string& end) {
  return "\n\tERROR:  \"" + reply + end;
}

TEST(Validators, AcceptOrPrintExactlyOneMessage) {
  const Case cases[] = {
      // The empty reply keeps the default and is acceptable everywhere.
      {"empty lat/long", validate_lat_long, "", 1, ""},
      {"empty date", validate_date, "", 1, ""},
      {"empty station", validate_station_number, "", 1, ""},
      // Lat/long: digits, points and minus signs, with at least one point.
      {"negative with point", validate_lat_long, "-45.5", 1, ""},
      {"point zero", validate_lat_long, "45.0", 1, ""},
      {"positions of points and signs are not tested", validate_lat_long, "1.2.3", 1, ""},
      {"minus inside", validate_lat_long, "5-3.", 1, ""},
      {"lone point", validate_lat_long, ".", 1, ""},
      {"no point", validate_lat_long, "45", 0, DECIMAL_POINT_MESSAGE},
      {"lone minus needs a point", validate_lat_long, "-", 0, DECIMAL_POINT_MESSAGE},
      {"hemisphere letter, no point message too", validate_lat_long, "45.5N", 0,
       bad("45.5N", LAT_LONG_MESSAGE_END)},
      {"several bad characters give one message", validate_lat_long, "N 45", 0,
       bad("N 45", LAT_LONG_MESSAGE_END)},
      {"plus sign", validate_lat_long, "+4.5", 0, bad("+4.5", LAT_LONG_MESSAGE_END)},
      // Dates: digits only; lengths are the dialogue's business.
      {"ten digits", validate_date, "1998010100", 1, ""},
      {"any length of digits", validate_date, "19980", 1, ""},
      {"letter O for a zero", validate_date, "19980101O0", 0, bad("19980101O0", DATE_MESSAGE_END)},
      {"two letters, one message", validate_date, "19980101AB", 0,
       bad("19980101AB", DATE_MESSAGE_END)},
      {"byte above 127", validate_date, "1998\xe9", 0, bad("1998\xe9", DATE_MESSAGE_END)},
      // Station numbers: digits only, any number of them.
      {"five digits", validate_station_number, "72469", 1, ""},
      {"many digits", validate_station_number, "123456789012", 1, ""},
      {"trailing blank", validate_station_number, "72469 ", 0, bad("72469 ", STATION_MESSAGE_END)},
      {"sign", validate_station_number, "-72469", 0, bad("-72469", STATION_MESSAGE_END)},
      {"decimal point", validate_station_number, "724.69", 0, bad("724.69", STATION_MESSAGE_END)},
      {"percent sign printed as typed", validate_station_number, "%s%d", 0,
       bad("%s%d", STATION_MESSAGE_END)},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    EXPECT_EQ(c.validator(out, c.reply), c.expected) << c.name;
    EXPECT_EQ(out.str(), c.message) << c.name;
  }
}

}  // namespace
}  // namespace wxfetch
