#include "output/wyoming_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/indices.h"
#include "analysis/profile.h"
#include "analysis/thermo.h"
#include "output/output_stream.h"

namespace wxfetch {

namespace {

constexpr const char* RULE =
    "-----------------------------------------------------------------------------\n";
constexpr const char* COLUMN_HEADER =
    "   PRES   HGHT   TEMP   DWPT   RELH   MIXR   DRCT   SKNT   THTA   THTE   THTV\n"
    "    hPa     m      C      C      %    g/kg    deg   knot     K      K      K \n";
constexpr int FIELD_WIDTH = 7;

// Appends `value` with `decimals` decimals right-aligned in a column; blanks when it is absent
// or does not fit.
void put_field(std::string& line, double value, int decimals) {
  char text[64];
  const int length = std::isfinite(value)
                         ? std::snprintf(text, sizeof text, "%7.*f", decimals, value)
                         : FIELD_WIDTH + 1;
  line.append(length == FIELD_WIDTH ? text : "       ", FIELD_WIDTH);
}

// The table row of one level, derived columns included.
std::string table_row(const ProfileLevel& level) {
  const double t = level.temperature + ZERO_CELSIUS, td = level.dew_point + ZERO_CELSIUS;
  const double p = level.pressure;
  const double ratio = saturation_mixing_ratio(td, p);
  const bool moist = present(t) && present(td);
  std::string line;
  put_field(line, p, 1);
  put_field(line, level.height, 0);
  put_field(line, level.temperature, 1);
  put_field(line, level.dew_point, 1);
  put_field(line, moist ? relative_humidity(t, td) : ABSENT, 0);
  put_field(line, moist ? 1000 * ratio : ABSENT, 2);
  put_field(line, level.wind_direction, 0);
  put_field(line, level.wind_speed, 0);
  put_field(line, potential_temperature(t, p), 1);
  put_field(line, moist ? equivalent_potential_temperature(t, td, p) : ABSENT, 1);
  put_field(line, moist ? virtual_potential_temperature(t, p, ratio) : ABSENT, 1);
  return line + "\n";
}

// The levels with a pressure, those of one pressure merged (the first one's values, absent ones
// taken from the others).
std::vector<ProfileLevel> table_levels(const std::vector<ProfileLevel>& levels) {
  std::vector<ProfileLevel> rows;
  for (const ProfileLevel& level : levels) {
    if (!present(level.pressure)) continue;
    if (rows.empty() || rows.back().pressure != level.pressure) {
      rows.push_back(level);
      continue;
    }
    for (double ProfileLevel::*field :
         {&ProfileLevel::height, &ProfileLevel::temperature, &ProfileLevel::dew_point,
          &ProfileLevel::wind_direction, &ProfileLevel::wind_speed}) {
      if (!present(rows.back().*field)) rows.back().*field = level.*field;
    }
  }
  return rows;
}

std::string trimmed(const char* text, size_t size) {
  size_t length = strnlen(text, size);
  while (length > 0 && text[length - 1] == ' ') --length;
  return std::string(text, length);
}

std::string title_line(const Profile& profile, const StationEntry& entry) {
  static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string initials = trimmed(entry.initials, sizeof entry.initials);
  const std::string name = trimmed(entry.name, sizeof entry.name);
  char text[160];
  std::snprintf(text, sizeof text, "%05d%s%s%s%s Observations at %02dZ %02d %s %04d\n", entry.wmo,
                initials.empty() ? "" : " ", initials.c_str(), name.empty() ? "" : " ",
                name.c_str(), profile.hour, profile.day,
                MONTHS[std::clamp(profile.month, 1, 12) - 1], profile.year);
  return text;
}

// One line of the block: the label right-aligned, a colon and the value.
void put_block_line(std::string& page, const char* label, const std::string& value) {
  char text[128];
  std::snprintf(text, sizeof text, "%43s: %s\n", label, value.c_str());
  page += text;
}

void put_index(std::string& page, const char* label, double value) {
  if (!std::isfinite(value)) return;
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  put_block_line(page, label, text);
}

void put_station_block(std::string& page, const Profile& profile, const StationEntry& entry) {
  char text[64];
  page += "Station information and sounding indices\n";
  const std::string initials = trimmed(entry.initials, sizeof entry.initials);
  if (!initials.empty()) put_block_line(page, "Station identifier", initials);
  std::snprintf(text, sizeof text, "%05d", entry.wmo);
  put_block_line(page, "Station number", text);
  std::snprintf(text, sizeof text, "%02d%02d%02d/%02d00", profile.year % 100, profile.month,
                profile.day, profile.hour);
  put_block_line(page, "Observation time", text);
  put_index(page, "Station latitude", entry.latitude);
  put_index(page, "Station longitude", entry.longitude);
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(entry.elevation));
  put_block_line(page, "Station elevation", text);
}

// The indices under the pages' labels, in their order.
void put_indices(std::string& page, const Indices& ix) {
  put_index(page, "Showalter index", ix.showalter);
  put_index(page, "Lifted index", ix.lifted_index);
  put_index(page, "LIFT computed using virtual temperature", ix.lifted_index_virtual);
  put_index(page, "SWEAT index", ix.sweat);
  put_index(page, "K index", ix.k_index);
  put_index(page, "Cross totals index", ix.cross_totals);
  put_index(page, "Vertical totals index", ix.vertical_totals);
  put_index(page, "Totals totals index", ix.total_totals);
  put_index(page, "Convective Available Potential Energy", ix.cape);
  put_index(page, "CAPE using virtual temperature", ix.cape_virtual);
  put_index(page, "Convective Inhibition", ix.cin);
  put_index(page, "CINS using virtual temperature", ix.cin_virtual);
  put_index(page, "Equilibrum Level", ix.el);
  put_index(page, "Equilibrum Level using virtual temperature", ix.el_virtual);
  put_index(page, "Level of Free Convection", ix.lfc);
  put_index(page, "LFCT using virtual temperature", ix.lfc_virtual);
  put_index(page, "Bulk Richardson Number", ix.bulk_richardson);
  // The number with the virtual CAPE: the same shear.
  put_index(page, "Bulk Richardson Number using CAPV",
            ix.cape > 0 ? ix.bulk_richardson * ix.cape_virtual / ix.cape : ix.bulk_richardson * 0);
  put_index(page, "Temp [K] of the Lifted Condensation Level", ix.lcl_temperature);
  put_index(page, "Pres [hPa] of the Lifted Condensation Level", ix.lcl_pressure);
  put_index(
      page, "Equivalent potential temp [K] of the LCL",
      equivalent_potential_temperature(ix.lcl_temperature, ix.lcl_temperature, ix.lcl_pressure));
  put_index(page, "Mean mixed layer potential temperature", ix.mixed_layer_theta);
  put_index(page, "Mean mixed layer mixing ratio", ix.mixed_layer_mixing_ratio);
  put_index(page, "1000 hPa to 500 hPa thickness", ix.thickness);
  put_index(page, "Precipitable water [mm] for entire sounding", ix.precipitable_water);
}

}  // namespace

std::string wyoming_page(const Profile& profile, const StationEntry& entry,
                         const Indices& indices) {
  std::string page = title_line(profile, entry) + "\n" + RULE + COLUMN_HEADER + RULE;
  for (const ProfileLevel& level : table_levels(profile.levels)) page += table_row(level);
  put_station_block(page, profile, entry);
  put_indices(page, indices);
  return page;
}

void WyomingWriter::write(const Sounding& sounding, const StationRow& station) {
  int16_t selected[MAX_LEVELS];
  const int32_t count = select_levels(sounding, selected);
  if (count == 0) return;
  Sounding chosen = sounding;
  for (int32_t s = 0; s < count; ++s) chosen.levels[s] = sounding.levels[selected[s]];
  chosen.level_count = count;
  const StationEntry& entry = *station.entry;
  StationInfo info;
  info.wmo = entry.wmo;
  info.wban = entry.wban;
  info.latitude = entry.latitude;
  info.longitude = entry.longitude;
  info.elevation = entry.elevation;
  const Profile profile = profile_from_sounding(chosen, info);
  const std::string page = wyoming_page(profile, entry, analyse_sounding(profile).indices);
  OutputStream& out = stream_for_sounding();
  out.write(page);
  if (out.error()) check_output();
}

}  // namespace wxfetch
