// The years of the archive as the dialogue shows them: found at start-up, and again after a date
// out of their range (a disc may have been changed).
#pragma once

namespace wxfetch {

struct ProgramContext;

// Finds the years present under ctx.database_directory, prints the NOTE lines and sets
// ctx.years, ctx.first_year and ctx.last_year. With no year present, runs the NO_FILES_AVAILABLE
// dialogue and ends the program (status 0).
void discover_years(ProgramContext& ctx);

}  // namespace wxfetch
