// Picture names stay inside the output folder, and soundings of one station and time get names
// of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "plot/plot_writer.h"
#include "plot/skewt.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

namespace fs = std::filesystem;

Profile profile_of(const std::string& initials) {
  Profile profile;
  profile.station.wmo = 72469;
  profile.station.initials = initials;
  profile.year = 1999;
  profile.month = 3;
  profile.day = 1;
  profile.hour = 0;
  return profile;
}

TEST(PlotNames, InitialsNeverLeaveTheFolderAndTitlesKeepWholeCharacters) {
  EXPECT_EQ(svg_file_name(profile_of("DNR")), "72469_DNR_1999030100.svg");
  EXPECT_EQ(svg_file_name(profile_of("/../../X")), "72469________X_1999030100.svg");
  EXPECT_EQ(svg_file_name(profile_of("a b-c_d")), "72469_a_b-c_d_1999030100.svg");

  // 39 ASCII bytes and a two-byte character across the 40-byte cut: the character goes whole.
  const std::string title = skewt_title(profile_of(std::string(39, 'A') + "\xC3\xA9" + "B"));
  EXPECT_EQ(title, "72469 " + std::string(39, 'A') + " 1999-03-01 00Z");
}

TEST(PlotNames, RepeatedSoundingsTakeTheNextFreeNumber) {
  testing::TempDir work;
  PlotOptions options;
  options.output_directory = work.dir();
  std::ostringstream out;
  PlotWriter writer(options, out);
  std::string error;
  ASSERT_TRUE(writer.begin(error)) << error;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(writer.add(profile_of("DNR"), error)) << error;
  ASSERT_TRUE(writer.end(error)) << error;
  for (const char* name :
       {"72469_DNR_1999030100.svg", "72469_DNR_1999030100_2.svg", "72469_DNR_1999030100_3.svg"}) {
    EXPECT_TRUE(fs::exists(work.path() / name)) << name;
  }
}

}  // namespace
}  // namespace wxfetch
