#include "stations/catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/program.h"
#include "dialogue/station_tables.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using testing::source_dir;
using testing::TempDir;
using testing::TestProgram;

// The expected content of one catalogue row.
struct Row {
  std::string initials;
  int32_t wban;
  int32_t wmo;
  float latitude;
  float longitude;
  char lat_hemisphere;
  char lon_hemisphere;
  int16_t elevation;
  int32_t period_begin;
  int32_t period_end;
  std::string name;
  std::string state;
  std::string country;
};

void expect_row(const StationEntry& entry, const Row& row) {
  EXPECT_EQ(entry.initials, row.initials);
  EXPECT_EQ(entry.wban, row.wban);
  EXPECT_EQ(entry.wmo, row.wmo);
  EXPECT_FLOAT_EQ(entry.latitude, row.latitude);
  EXPECT_FLOAT_EQ(entry.longitude, row.longitude);
  EXPECT_FALSE(std::signbit(entry.latitude) && entry.latitude == 0) << "latitude is -0";
  EXPECT_FALSE(std::signbit(entry.longitude) && entry.longitude == 0) << "longitude is -0";
  EXPECT_EQ(entry.lat_hemisphere, row.lat_hemisphere);
  EXPECT_EQ(entry.lon_hemisphere, row.lon_hemisphere);
  EXPECT_EQ(entry.elevation, row.elevation);
  EXPECT_EQ(entry.period_begin, row.period_begin);
  EXPECT_EQ(entry.period_end, row.period_end);
  EXPECT_EQ(entry.name, row.name);
  EXPECT_EQ(entry.state, row.state);
  EXPECT_EQ(entry.country, row.country);
}

int load_history_text(const std::string& text, StationCatalogue& catalogue, bool& overflow) {
  std::istringstream file(text);
  return load_history_rows(file, catalogue, overflow);
}

int load_international_text(const std::string& text, StationCatalogue& catalogue, bool& overflow) {
  std::istringstream file(text);
  return load_international_rows(file, catalogue, overflow);
}

// A table of one row.
StationEntry history_row(const std::string& line) {
  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  EXPECT_EQ(load_history_text("1\n" + line + "\n", *catalogue, overflow), 1);
  return catalogue->entries[0];
}

StationEntry international_row(const std::string& line) {
  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  EXPECT_EQ(load_international_text("1\n" + line + "\n", *catalogue, overflow), 1);
  return catalogue->entries[0];
}

// `text` padded with blanks to `width` characters.
std::string padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}
// A history line: the columns before the name, the name in its 25 columns, the columns after.
std::string history_line(const std::string& before, const std::string& name,
                         const std::string& after) {
  return before + " " + padded(name, 25) + after;
}
// An international line: the columns before the name, the name in its 29 columns, the country.
std::string international_line(const std::string& before, const std::string& name,
                               const std::string& after) {
  return before + " " + padded(name, 29) + after;
}

const std::string DENVER_LINE =
    "DNR  23062 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US";
const std::string PERTH_LINE =
    "PER  94610  31.92S 115.97E    20 19730101 99991231 PERTH AIRPORT                 AU";
const std::string CAMBORNE_LINE =
    "CAM  03808  50.22N   5.32W    88 19730101 99991231 CAMBORNE                      GB";
const std::string COLUMNS = "ABC  11111 22222  10.00   20.00     5 19900101 19991231";

struct HistoryCase {
  const char* behaviour;
  std::string line;
  Row row;
};

TEST(HistoryTable, ColumnsAreReadAsAFormattedScanWithWesternLongitudesNegated) {
  const HistoryCase cases[] = {
      {"a full row",
       DENVER_LINE,
       {"DNR", 23062, 72469, 39.77f, -104.87f, 'N', 'W', 1611, 19480101, 99991231,
        "DENVER/STAPLETON         ", "CO", "US"}},
      {"105.00 is stored as -105.0",
       history_line("ABC  12345 72000  40.00  105.00  1000 19900101 19991231", "SOMEWHERE",
                    " CO US"),
       {"ABC", 12345, 72000, 40.0f, -105.0f, 'N', 'W', 1000, 19900101, 19991231,
        padded("SOMEWHERE", 25), "CO", "US"}},
      {"a negative latitude stays as it is, with the letter N",
       history_line("SOU  11111 22222 -10.50   70.25     5 19900101 19991231", "SOUTH", " XX US"),
       {"SOU", 11111, 22222, -10.5f, -70.25f, 'N', 'W', 5, 19900101, 19991231, padded("SOUTH", 25),
        "XX", "US"}},
      {"a negative (eastern) longitude becomes positive",
       history_line("EST  11111 22222  10.50  -70.25     5 19900101 19991231", "EAST", " XX US"),
       {"EST", 11111, 22222, 10.5f, 70.25f, 'N', 'W', 5, 19900101, 19991231, padded("EAST", 25),
        "XX", "US"}},
      {"a blank state takes the country; the country stays empty",
       history_line(COLUMNS, "NO STATE", "    US"),
       {"ABC", 11111, 22222, 10.0f, -20.0f, 'N', 'W', 5, 19900101, 19991231, padded("NO STATE", 25),
        "US", ""}},
      {"a short name swallows the state and country columns",
       COLUMNS + " DENVER CO US" + std::string(20, ' '),
       {"ABC", 11111, 22222, 10.0f, -20.0f, 'N', 'W', 5, 19900101, 19991231,
        padded("DENVER CO US", 25), "", ""}},
      {"a name cut short by the line end is a mismatch",
       COLUMNS + " DENVER",
       {"ABC", 11111, 22222, 10.0f, -20.0f, 'N', 'W', 5, 19900101, 19991231, "", "", ""}},
      {"over-long initials and country are cut; the next fields are read as usual",
       history_line("ABCDEFGHIJ 11111 22222 10.00 20.00 5 19900101 19991231", "LONG FIELDS",
                    " CO USA"),
       {"ABCDEFG", 11111, 22222, 10.0f, -20.0f, 'N', 'W', 5, 19900101, 19991231,
        padded("LONG FIELDS", 25), "CO", "US"}},
      {"a mismatch leaves the rest empty; the letters and sign are still set",
       "BAD  XXXXX 72469  39.77  104.87  1611 19480101 99991231 DENVER/STAPLETON          CO US",
       {"BAD", 0, 0, 0.0f, 0.0f, 'N', 'W', 0, 0, 0, "", "", ""}},
      {"a mismatch in the middle keeps the fields before it",
       "MID  23062 72469  39.77  104.87  high 19480101 99991231 DENVER/STAPLETON          CO US",
       {"MID", 23062, 72469, 39.77f, -104.87f, 'N', 'W', 0, 0, 0, "", "", ""}},
      {"an empty line gives an empty row", "", {"", 0, 0, 0, 0, 'N', 'W', 0, 0, 0, "", "", ""}},
      {"numbers beyond their field's range are held at its limits",
       history_line("BIG  99999999999 -99999999999 1 2 70000 1 2", "BIG NUMBERS", " CO US"),
       {"BIG", INT32_MAX, INT32_MIN, 1.0f, -2.0f, 'N', 'W', INT16_MAX, 1, 2,
        padded("BIG NUMBERS", 25), "CO", "US"}},
  };
  for (const HistoryCase& c : cases) {
    SCOPED_TRACE(c.behaviour);
    expect_row(history_row(c.line), c.row);
  }
}

struct InternationalCase {
  const char* behaviour;
  std::string line;
  Row row;
};

TEST(InternationalTable, HemisphereLettersComeFromLinePositionsAndSetTheSigns) {
  const InternationalCase cases[] = {
      {"south and east",
       PERTH_LINE,
       {"PER", 994610, 94610, -31.92f, 115.97f, 'S', 'E', 20, 19730101, 99991231,
        padded("PERTH AIRPORT", 29), "99", "AU"}},
      {"north and west",
       CAMBORNE_LINE,
       {"CAM", 903808, 3808, 50.22f, -5.32f, 'N', 'W', 88, 19730101, 99991231,
        padded("CAMBORNE", 29), "99", "GB"}},
      {"the letters come from positions 17 and 25, not from the tokens",
       international_line("XYZ  12345 10.00NSSS 2.0EW 1 19900101 19991231", "SHIFTED", " XX"),
       {"XYZ", 912345, 12345, -10.0f, -2.0f, 'S', 'W', 1, 19900101, 19991231, padded("SHIFTED", 29),
        "99", "XX"}},
      {"only the first six characters of a token are converted",
       international_line("SIX  1234 1.23456S  98.76E 1 19900101 19991231", "SIX", " XX"),
       {"SIX", 901234, 1234, -1.2345f, 98.76f, 'S', 'E', 1, 19900101, 19991231, padded("SIX", 29),
        "99", "XX"}},
      {"malformed tokens give 0, never -0; the settings still apply",
       international_line("MAL  12345  xx.xxS  yy.yyW    1 19900101 19991231", "MALFORMED", " XX"),
       {"MAL", 912345, 12345, 0.0f, 0.0f, 'S', 'W', 1, 19900101, 19991231, padded("MALFORMED", 29),
        "99", "XX"}},
      {"initials longer than four letters leave the rest of the row unread",
       international_line("ABCDE 3808  50.22N   5.32W    88 19730101 99991231", "CAMBORNE", " GB"),
       {"ABCD", 900000, 0, 0.0f, 0.0f, 'N', 'W', 0, 0, 0, "", "99", ""}},
      {"a short line has no letters",
       "AB 1",
       {"AB", 900001, 1, 0.0f, 0.0f, '\0', '\0', 0, 0, 0, "", "99", ""}},
      {"a name cut short by the line end leaves name and country empty",
       "CUT  12345  10.00N  20.00E    1 19900101 19991231 SHORT NAME",
       {"CUT", 912345, 12345, 10.0f, 20.0f, 'N', 'E', 1, 19900101, 19991231, "", "99", ""}},
      {"an over-long token does not overrun its neighbours",
       "TOK  12345 10.0000000000000000000000000000N 1 19900101 19991231 X",
       {"TOK", 912345, 12345, 10.0f, 1.0f, '0', '0', INT16_MAX, 19991231, 0, "", "99", ""}},
  };
  for (const InternationalCase& c : cases) {
    SCOPED_TRACE(c.behaviour);
    expect_row(international_row(c.line), c.row);
  }
}

TEST(InternationalTable, WbanOfAHugeWmoNumberStaysInRange) {
  const StationEntry entry = international_row("HUG  9999999999  10.00N  20.00E    1");
  EXPECT_EQ(entry.wmo, INT32_MAX);
  EXPECT_EQ(entry.wban, INT32_MAX);
}

struct CountCase {
  const char* behaviour;
  std::string text;
  int rows;
};

TEST(StationTables, TheCountLineDecidesHowManyLinesAreRead) {
  const std::string row = DENVER_LINE + "\n";
  const CountCase cases[] = {
      {"a count line without a number gives no row", "rows\n" + row + row, 0},
      {"a count of 0 gives no row", "0\n" + row, 0},
      {"a negative count gives no row", "-3\n" + row, 0},
      {"an empty file gives no row", "", 0},
      {"text after the count is ignored", "  2 rows follow\n" + row + row, 2},
      {"rows beyond the count are ignored", "2\n" + row + row + row, 2},
      {"a file that ends early gives only the rows read", "5\n" + row + row, 2},
      {"a last line without a line end is a row", "2\n" + row + DENVER_LINE, 2},
      {"a blank line counts as a row", "3\n" + row + "\n" + row, 3},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.behaviour);
    auto history = std::make_unique<StationCatalogue>();
    bool overflow = true;
    EXPECT_EQ(load_history_text(c.text, *history, overflow), c.rows);
    EXPECT_EQ(history->count, c.rows);
    EXPECT_FALSE(overflow);
    auto international = std::make_unique<StationCatalogue>();
    EXPECT_EQ(load_international_text(c.text, *international, overflow), c.rows);
    EXPECT_EQ(international->count, c.rows);
  }
}

TEST(StationTables, InternationalRowsFollowTheHistoryRows) {
  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  EXPECT_EQ(load_history_text("1\n" + DENVER_LINE + "\n", *catalogue, overflow), 1);
  EXPECT_EQ(load_international_text("2\n" + PERTH_LINE + "\n" + CAMBORNE_LINE + "\n", *catalogue,
                                    overflow),
            2);
  ASSERT_EQ(catalogue->count, 3);
  EXPECT_EQ(catalogue->entries[0].wban, 23062);
  EXPECT_EQ(catalogue->entries[1].wban, 994610);
  EXPECT_EQ(catalogue->entries[2].wban, 903808);
}

TEST(StationTables, CrLfLinesLoadLikeLfLines) {
  const std::string intl_columns = "ONE  12345  10.00N  20.00E    1 19900101 19991231";
  const std::vector<std::string> history = {
      DENVER_LINE, history_line(COLUMNS, "NO STATE", "    US"),
      history_line(COLUMNS, "ONE LETTER COUNTRY", " CO U"), COLUMNS + " DENVER CO US"};
  const std::vector<std::string> international = {
      PERTH_LINE, international_line(intl_columns, "ONE LETTER COUNTRY", " A"),
      intl_columns + " " + padded("NAME AT THE LINE END", 29)};
  auto join = [](const std::vector<std::string>& lines, const std::string& end) {
    std::string text = std::to_string(lines.size()) + end;
    for (const std::string& line : lines) text += line + end;
    return text;
  };
  auto lf = std::make_unique<StationCatalogue>();
  auto crlf = std::make_unique<StationCatalogue>();
  bool overflow = false;
  load_history_text(join(history, "\n"), *lf, overflow);
  load_international_text(join(international, "\n"), *lf, overflow);
  load_history_text(join(history, "\r\n"), *crlf, overflow);
  load_international_text(join(international, "\r\n"), *crlf, overflow);
  ASSERT_EQ(lf->count, 7);
  ASSERT_EQ(crlf->count, 7);
  for (int i = 0; i < lf->count; ++i) {
    SCOPED_TRACE(i);
    const StationEntry& a = lf->entries[i];
    expect_row(crlf->entries[i], {a.initials, a.wban, a.wmo, a.latitude, a.longitude,
                                  a.lat_hemisphere, a.lon_hemisphere, a.elevation, a.period_begin,
                                  a.period_end, a.name, a.state, a.country});
  }
  EXPECT_STREQ(crlf->entries[2].country, "U");
  // The line end is no part of a fixed-width field: one letter is too short for the country.
  EXPECT_STREQ(crlf->entries[5].country, "");
}

TEST(StationTables, AnOverlongLineIsOneRowAndItsRestIsPassedOver) {
  const std::string long_line = DENVER_LINE + std::string(40, ' ') + "TAIL 11111 22222";
  ASSERT_GT(long_line.size(), 119u);
  auto catalogue = std::make_unique<StationCatalogue>();
  bool overflow = false;
  EXPECT_EQ(load_history_text("2\n" + long_line + "\n" + DENVER_LINE + "\n", *catalogue, overflow),
            2);
  EXPECT_EQ(catalogue->entries[0].wban, 23062);
  EXPECT_STREQ(catalogue->entries[0].country, "US");
  EXPECT_EQ(catalogue->entries[1].wban, 23062);
}

TEST(StationTables, DamagedTablesLoadWithoutOverrunningAnyField) {
  const std::string history = testing::read_file(source_dir() / "data/sample/support/stat2000.txt");
  const std::string international =
      testing::read_file(source_dir() / "data/sample/support/international_sites.txt");
  ASSERT_FALSE(history.empty());
  ASSERT_FALSE(international.empty());
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1103515245u + 12345u; };
  for (int trial = 0; trial < 200; ++trial) {
    std::string h = history;
    std::string i = international;
    for (int flips = 0; flips < 20; ++flips) {
      h[next() % h.size()] = static_cast<char>(next() >> 8);
      i[next() % i.size()] = static_cast<char>(next() >> 8);
    }
    if (trial % 4 == 0) h.resize(next() % h.size());
    auto catalogue = std::make_unique<StationCatalogue>();
    bool overflow = false;
    load_history_text(h, *catalogue, overflow);
    load_international_text(i, *catalogue, overflow);
    ASSERT_LE(catalogue->count, MAX_STATION_ROWS);
    for (int row = 0; row < catalogue->count; ++row) {
      const StationEntry& entry = catalogue->entries[row];
      ASSERT_LT(strnlen(entry.initials, sizeof entry.initials), sizeof entry.initials);
      ASSERT_LT(strnlen(entry.name, sizeof entry.name), sizeof entry.name);
      ASSERT_LT(strnlen(entry.state, sizeof entry.state), sizeof entry.state);
      ASSERT_LT(strnlen(entry.country, sizeof entry.country), sizeof entry.country);
    }
  }
}

// Writes a support directory whose tables hold `history_rows` and `international_rows` rows.
void write_tables(const TempDir& dir, int history_rows, int international_rows) {
  std::string history = std::to_string(history_rows) + "\n";
  for (int i = 0; i < history_rows; ++i) history += DENVER_LINE + "\n";
  std::string international = std::to_string(international_rows) + "\n";
  for (int i = 0; i < international_rows; ++i) international += PERTH_LINE + "\n";
  dir.write("stat2000.txt", history);
  dir.write("international_sites.txt", international);
}

TEST(StationCatalogueLoad, KeepsTheFirst2000RowsAndWarnsOnce) {
  const std::string warning =
      " WARNING: the station tables hold more than 2000 rows; the rest are ignored\n";
  struct Case {
    int history;
    int international;
    int expected_count;
    bool warned;
  } cases[] = {
      {1990, 10, 2000, false},
      {1990, 11, 2000, true},
      {2001, 5, 2000, true},
      {2000, 0, 2000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.history) + " + " + std::to_string(c.international));
    TempDir dir;
    write_tables(dir, c.history, c.international);
    TestProgram program;
    program.ctx->support_directory = dir.dir();
    load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
    EXPECT_EQ(program.ctx->catalogue.count, c.expected_count);
    EXPECT_EQ(program.output(), c.warned ? warning : "");
    const int history_kept = c.history < 2000 ? c.history : 2000;
    EXPECT_EQ(program.ctx->catalogue.entries[history_kept - 1].wban, 23062);
    if (history_kept < 2000) {
      EXPECT_EQ(program.ctx->catalogue.entries[1999].wban, 994610);
    }
  }
}

// Runs a test body with the current directory set to `dir`, and restores it.
template <typename Body>
void in_directory(const std::filesystem::path& dir, Body body) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  body();
  std::filesystem::current_path(previous);
}

TEST(StationCatalogueLoad, MissingHistoryTableReplyEmptyGoesOnWithAnEmptyCatalogue) {
  TempDir dir;
  // The international file is there but is not read without the history table.
  dir.write("international_sites.txt", "1\n" + PERTH_LINE + "\n");
  TestProgram program("\nnext\n");
  program.ctx->support_directory = dir.dir();
  load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
  EXPECT_EQ(program.output(), " ERROR: the station file: stat2000.txt was not in: " + dir.dir() +
                                  " \n    Type HELP for more information \n");
  EXPECT_EQ(program.ctx->catalogue.count, 0);
  // Exactly one reply was read.
  std::string rest;
  std::getline(program.in, rest);
  EXPECT_EQ(rest, "next");
}

TEST(StationCatalogueLoad, MissingHistoryTableInTheCurrentDirectoryIsNamedSo) {
  TempDir dir;
  in_directory(dir.path(), [] {
    TestProgram program("no\n");
    program.ctx->support_directory = "";
    load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
    EXPECT_EQ(program.output(),
              " ERROR: the station file: stat2000.txt was not in: <current directory> \n "
              "   Type HELP for more information \n");
  });
}

TEST(StationCatalogueLoad, MissingHistoryTableHelpShowsUsageAndEndsWithStatusZero) {
  for (const char* reply : {"HELP\n", "help\n", ""}) {
    SCOPED_TRACE(reply);
    TempDir dir;
    TestProgram program(reply);
    program.ctx->support_directory = dir.dir();
    try {
      load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
      FAIL() << "the program went on";
    } catch (const ProgramExit& exit) {
      EXPECT_EQ(exit.status, 0);
    }
    if (*reply != '\0') {
      EXPECT_NE(program.output().find("  In order to access the tefa database"), std::string::npos);
    }
  }
}

TEST(StationCatalogueLoad, MissingInternationalFileKeepsTheHistoryRows) {
  TempDir dir;
  dir.write("stat2000.txt", "1\n" + DENVER_LINE + "\n");
  TestProgram program;
  program.ctx->support_directory = dir.dir();
  load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
  EXPECT_EQ(program.output(),
            " ERROR: the file international_sites.txt was not found in: " + dir.dir() + " \n ");
  EXPECT_EQ(program.ctx->catalogue.count, 1);

  // An empty support directory is shown as it is.
  in_directory(dir.path(), [] {
    std::filesystem::remove("international_sites.txt");
    TestProgram here;
    here.ctx->support_directory = "";
    load_station_catalogue(*here.ctx, here.ctx->support_directory, here.ctx->catalogue);
    EXPECT_EQ(here.output(), " ERROR: the file international_sites.txt was not found in:  \n ");
    EXPECT_EQ(here.ctx->catalogue.count, 1);
  });
}

TEST(ShippedSupportFiles, LoadWithTheirRowsIntact) {
  TestProgram program;
  program.ctx->support_directory = (source_dir() / "data/sample/support").string() + "/";
  load_station_catalogue(*program.ctx, program.ctx->support_directory, program.ctx->catalogue);
  EXPECT_EQ(program.output(), "");
  const StationCatalogue& catalogue = program.ctx->catalogue;

  auto announced = [](const std::string& file) {
    std::ifstream stream(source_dir() / "data/sample/support" / file);
    int count = 0;
    stream >> count;
    return count;
  };
  const int history_rows = announced("stat2000.txt");
  const int international_rows = announced("international_sites.txt");
  EXPECT_GE(history_rows, 30);
  EXPECT_GE(international_rows, 10);
  ASSERT_EQ(catalogue.count, history_rows + international_rows);

  bool hemispheres[2][2] = {};
  for (int i = 0; i < catalogue.count; ++i) {
    const StationEntry& row = catalogue.entries[i];
    SCOPED_TRACE(std::to_string(i) + " " + row.initials);
    // Every field of every row was read: none is left at its empty value.
    EXPECT_NE(row.initials[0], '\0');
    EXPECT_GT(row.wmo, 0);
    EXPECT_EQ(std::strlen(row.name), i < history_rows ? 25u : 29u);
    EXPECT_EQ(std::strlen(row.state), 2u);
    EXPECT_EQ(std::strlen(row.country), 2u);
    EXPECT_LE(row.period_begin, row.period_end);
    EXPECT_GE(row.period_begin, 19000101);
    if (i < history_rows) {
      EXPECT_LT(row.wban, INTERNATIONAL_WBAN_OFFSET);
      EXPECT_LT(row.longitude, 0);
    } else {
      EXPECT_EQ(row.wban, row.wmo + INTERNATIONAL_WBAN_OFFSET);
      EXPECT_TRUE(row.lat_hemisphere == 'N' || row.lat_hemisphere == 'S');
      EXPECT_TRUE(row.lon_hemisphere == 'E' || row.lon_hemisphere == 'W');
      EXPECT_EQ(row.latitude < 0, row.lat_hemisphere == 'S');
      EXPECT_EQ(row.longitude < 0, row.lon_hemisphere == 'W');
      hemispheres[row.lat_hemisphere == 'S'][row.lon_hemisphere == 'W'] = true;
    }
  }
  EXPECT_TRUE(hemispheres[0][0] && hemispheres[0][1] && hemispheres[1][0] && hemispheres[1][1]);

  // Stations the sample archive uses: each has a row valid through 1998 and 1999.
  struct Known {
    int32_t wmo;
    int32_t wban;
  } known[] = {{72469, 23062}, {72520, 94823}, {72493, 23230}, {72558, 94980},
               {72764, 24011}, {72202, 92803}, {3808, 903808}, {94610, 994610}};
  for (const Known& station : known) {
    SCOPED_TRACE(station.wmo);
    bool begin_covered = false;
    bool end_covered = false;
    for (int i = 0; i < catalogue.count; ++i) {
      const StationEntry& row = catalogue.entries[i];
      if (row.wmo != station.wmo || row.wban != station.wban) continue;
      begin_covered = begin_covered || (row.period_begin <= 19980101 && row.period_end >= 19980101);
      end_covered = end_covered || (row.period_begin <= 19991231 && row.period_end >= 19991231);
    }
    EXPECT_TRUE(begin_covered && end_covered);
  }

  const StationEntry& denver = [&]() -> const StationEntry& {
    for (int i = 0; i < catalogue.count; ++i) {
      if (catalogue.entries[i].wban == 23062) return catalogue.entries[i];
    }
    return catalogue.entries[0];
  }();
  EXPECT_STREQ(denver.initials, "DNR");
  EXPECT_NEAR(denver.latitude, 39.77, 0.01);
  EXPECT_NEAR(denver.longitude, -104.87, 0.01);
  EXPECT_STREQ(denver.state, "CO");
  EXPECT_STREQ(denver.country, "US");

  // The rows of a station with several periods stand next to each other and do not overlap.
  int previous = -1;
  int pittsburgh_rows = 0;
  for (int i = 0; i < catalogue.count; ++i) {
    if (catalogue.entries[i].wban != 94823) continue;
    if (previous >= 0) {
      EXPECT_EQ(i, previous + 1);
      EXPECT_LT(catalogue.entries[previous].period_end, catalogue.entries[i].period_begin);
    }
    previous = i;
    ++pittsburgh_rows;
  }
  EXPECT_GE(pittsburgh_rows, 2);
}

}  // namespace
}  // namespace wxfetch
