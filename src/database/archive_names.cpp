#include "database/archive_names.h"

#include "program.h"

namespace wxfetch {

// Placeholders until the database files are named and opened.
std::string year_text(int) {
  return {};
}
std::string two_digit_year(int) {
  return {};
}
std::string station_file_number(int32_t) {
  return {};
}
std::string year_folder_name(const std::string&, int) {
  return {};
}
std::string database_file_name(const std::string&, int, int32_t) {
  return {};
}
void open_year_file(ProgramContext&, int, int32_t, int16_t& open_status, int, int) {
  open_status = FILE_ABSENT;
}
void close_database_files(ProgramContext& ctx) {
  for (FileSlot& slot : ctx.file_slots) {
    if (slot.stream != nullptr) std::fclose(slot.stream);
    slot.stream = nullptr;
  }
}
void discover_years(ProgramContext& ctx) {
  ctx.first_year = 1994;
  ctx.last_year = 1995;
}

}  // namespace wxfetch
