#include "plot/skewt.h"

#include <gtest/gtest.h>

#include <string>

#include "plot/index_table.h"

namespace wxfetch {
namespace {

constexpr double A = ABSENT;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

Profile profile_with(double t700, double td700) {
  Profile p;
  p.station = {72999, 12345, "A&B", A, A, A};
  p.year = 2001, p.month = 6, p.day = 1, p.hour = 12;
  p.levels = {{SURFACE, 1000, 100, 20, 15, 180, 10},
              {MANDATORY, 850, 1500, 12, 8, 200, 55},
              {MANDATORY, 700, 3100, t700, td700, A, A},
              {MANDATORY, 500, 5800, -12, -30, 250, 0},
              {MANDATORY, 300, 9500, -38, -50, A, A}};
  finish_profile(p);
  return p;
}

TEST(SkewT, AbsentValuesBreakTheirLineInsteadOfDrawingZero) {
  const struct {
    double t700, td700;
    size_t red, green;  // polylines of each profile
  } cases[] = {{0, -5, 1, 1}, {A, -5, 2, 1}, {0, A, 1, 2}, {A, A, 2, 2}};
  for (const auto& c : cases) {
    const Profile p = profile_with(c.t700, c.td700);
    const std::string body = skewt_body(p, analyse_sounding(p));
    EXPECT_EQ(count(body, "stroke=\"#d01010\""), c.red) << c.t700 << " " << c.td700;
    EXPECT_EQ(count(body, "stroke=\"#108a10\""), c.green) << c.t700 << " " << c.td700;
  }
}

TEST(SkewT, BarbsTitleAndEscaping) {
  const Profile p = profile_with(0, -5);
  const std::string body = skewt_body(p, analyse_sounding(p));
  EXPECT_EQ(count(body, "<circle"), 1u);  // the calm at 500 mb
  EXPECT_EQ(count(body, "z "), 1u);       // one pennant: 55 knots at 850 mb
  EXPECT_NE(body.find("72999 A&amp;B 2001-06-01 12Z"), std::string::npos);
  EXPECT_EQ(skewt_document(p, analyse_sounding(p)).rfind("<?xml", 0), 0u);
}

TEST(SkewT, BarbsNeverOverlapAndLinesStayInsideTheDiagram) {
  // A wind every 2 mb from 1000 to 100 mb: from the north the staffs stand upright (30 px each),
  // from the east they lie flat and only their feathers (12 px) stand up, so more fit.
  const auto barbs = [](double direction) {
    Profile p = profile_with(0, -5);
    for (double pressure = 1000; pressure >= 100; pressure -= 2) {
      p.levels.push_back({WIND, pressure, A, A, A, direction, 25});
    }
    finish_profile(p);
    const std::string body = skewt_body(p, analyse_sounding(p));
    return count(body, "<path d=\"M");
  };
  const size_t upright = barbs(360), flat = barbs(90);
  EXPECT_LE(upright, 680u / 38 + 1);  // the diagram's height over a staff and its margins
  EXPECT_GE(upright, 10u);
  EXPECT_GT(flat, upright);
  EXPECT_LE(flat, 680u / 32 + 1);
  // Every background line is inside the clipped group; only labels follow it.
  const std::string& defs = skewt_definitions();
  const size_t clipped_end = defs.find("<g fill=\"#555\"");
  ASSERT_NE(clipped_end, std::string::npos);
  EXPECT_LT(defs.find("<g clip-path=\"url(#skewt-clip)\">"), defs.find("<line"));
  EXPECT_LT(defs.rfind("<line"), clipped_end);
  EXPECT_EQ(defs.find("<polyline", clipped_end), std::string::npos);
}

TEST(IndexTable, NumbersKeepTheirDecimalsAndNoNegativeZero) {
  EXPECT_EQ(index_text(-0.004, 2), "0.00");
  EXPECT_EQ(index_text(-0.006, 2), "-0.01");
  EXPECT_EQ(index_text(5700.4, 0), "5700");
  EXPECT_EQ(index_text(A, 2), "");
}

}  // namespace
}  // namespace wxfetch
