// The indices as text: one CSV row or one JSON object per sounding, keyed by the column names of
// INDEX_COLUMNS after `wmo` and `time`; an index that cannot be computed is empty (CSV) or null
// (JSON).
#pragma once

#include <string>

#include "analysis/indices.h"
#include "analysis/profile.h"

namespace wxfetch {

// "wmo,time,showalter,...,sb_cin" and a line end.
std::string index_csv_header();

// One row with its line end.
std::string index_csv_row(const Profile& profile, const Indices& indices);

// One JSON object on one line with its line end.
std::string index_json_line(const Profile& profile, const Indices& indices);

// The value with the column's decimals, "" when absent.
std::string index_text(double value, int decimals);

}  // namespace wxfetch
