// The wxls program: what an archive holds, per station and year (or, for one station, per
// month), and a search of the station tables that says which matches the archive holds, as an
// aligned table, CSV or JSON Lines.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace wxfetch {

// A listing: column names and rows of cells. A cell is text or a number; an empty cell is
// absent (empty in CSV, null in JSON, "-" in the table).
struct Listing {
  struct Cell {
    std::string text;
    bool number = false;
  };
  std::vector<std::string> columns;
  std::vector<std::vector<Cell>> rows;
};

enum class ListingFormat { TABLE, CSV, JSON };

// Writes `listing` in `format`: a table with a header line and aligned columns (numbers to the
// right), CSV (RFC 4180) with a header row, or one JSON object per row.
void write_listing(const Listing& listing, ListingFormat format, std::ostream& out);

// Runs wxls with the arguments (program name not included): the listing on `out`, messages on
// `err`. Returns 0 when something was listed, 1 when nothing was (with the reason), 2 for a
// usage or I/O error.
int run_wxls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace wxfetch
