#include "output/netcdf_writer.h"

#ifdef WXFETCH_HAVE_NETCDF

#include <netcdf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/temporary_files.h"
#include "base/text.h"
#include "output/output_files.h"

namespace wxfetch {

namespace {

// The levels are gathered and written a whole number of chunks at a time (the rest at the
// end), so that no chunk is written twice.
constexpr size_t OBS_CHUNK = size_t{1} << 17;
constexpr size_t OBS_BATCH = OBS_CHUNK * 4;
constexpr size_t PROFILE_CHUNK = 4096;
// "03808_1999030112": the WMO number, the date and hour.
constexpr size_t PROFILE_ID_LENGTH = 16;

// Removes the first `count` values of `values`.
template <typename T>
void drop_front(std::vector<T>& values, size_t count) {
  values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count));
}

// A level column as a variable of the obs dimension.
struct ObsVariable {
  const char* name;
  const char* standard_name;  // "" for none
  const char* long_name;
  const char* units;  // "" for none
};

ObsVariable obs_variable(Column column, bool knots) {
  switch (column) {
    case Column::KIND:
      return {"level_kind", "", "kind of level", ""};
    case Column::PRESSURE:
      return {"air_pressure", "air_pressure", "pressure", "hPa"};
    case Column::HEIGHT:
      return {"geopotential_height", "geopotential_height", "geopotential height", "m"};
    case Column::TEMPERATURE:
      return {"air_temperature", "air_temperature", "temperature", "degC"};
    case Column::DEW_POINT:
      return {"dew_point_temperature", "dew_point_temperature", "dew point", "degC"};
    case Column::WIND_DIRECTION:
      return {"wind_from_direction", "wind_from_direction", "wind direction", "degree"};
    case Column::WIND_SPEED:
      return {"wind_speed", "wind_speed", "wind speed", knots ? "knot" : "m s-1"};
    case Column::RELATIVE_HUMIDITY:
      return {"relative_humidity", "relative_humidity", "relative humidity", "percent"};
    case Column::MIXING_RATIO:
      return {"humidity_mixing_ratio", "humidity_mixing_ratio", "mixing ratio", "g kg-1"};
    case Column::POTENTIAL_TEMPERATURE:
      return {"air_potential_temperature", "air_potential_temperature", "potential temperature",
              "K"};
    case Column::EQUIVALENT_POTENTIAL_TEMPERATURE:
      return {"equivalent_potential_temperature", "equivalent_potential_temperature",
              "equivalent potential temperature", "K"};
    case Column::VIRTUAL_POTENTIAL_TEMPERATURE:
      return {"virtual_potential_temperature", "", "virtual potential temperature", "K"};
    case Column::U_WIND:
      return {"eastward_wind", "eastward_wind", "eastward wind", knots ? "knot" : "m s-1"};
    default:
      return {"northward_wind", "northward_wind", "northward wind", knots ? "knot" : "m s-1"};
  }
}

// Days from 1970-01-01 to the date (proleptic Gregorian calendar).
int64_t days_since_1970(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The release time (seconds since 1970) of a sounding at `time` whose release was at `hhmm`:
// the nearest such time of day, up to 12 hours before or after; NaN when absent.
double release_seconds(double time, int32_t hhmm) {
  if (hhmm < 0 || hhmm / 100 > 23 || hhmm % 100 > 59) return NAN;
  const double day_start = std::floor(time / 86400) * 86400;
  double release = day_start + (hhmm / 100) * 3600.0 + (hhmm % 100) * 60.0;
  if (release - time > 43200) release -= 86400;
  if (time - release > 43200) release += 86400;
  return release;
}

// The columns of the obs variables: the chosen level columns, else the default ones.
ColumnList obs_columns(const ColumnList& chosen) {
  ColumnList columns;
  for (int c = 0; c < COLUMN_COUNT; ++c) {
    const auto column = static_cast<Column>(c);
    if (!is_level_column(column)) continue;
    const bool wanted = chosen.empty()
                            ? c < DEFAULT_COLUMN_COUNT
                            : std::find(chosen.begin(), chosen.end(), column) != chosen.end();
    if (wanted) columns.push_back(column);
  }
  return columns;
}

// The profile values of the soundings not yet written.
struct ProfileBuffer {
  std::vector<std::string> id, wmo_id, station, name;
  std::vector<int32_t> wmo, wban, sonde_type, row_size;
  std::vector<float> latitude, longitude, altitude;
  std::vector<double> time, release_time;
  void clear() { *this = ProfileBuffer(); }
  size_t size() const { return wmo.size(); }
  void drop(size_t count) {
    for (auto* texts : {&id, &wmo_id, &station, &name}) drop_front(*texts, count);
    for (auto* numbers : {&wmo, &wban, &sonde_type, &row_size}) drop_front(*numbers, count);
    for (auto* numbers : {&latitude, &longitude, &altitude}) drop_front(*numbers, count);
    for (auto* times : {&time, &release_time}) drop_front(*times, count);
  }
};

// A failure of a netCDF call: its status (an errno when positive).
struct NetcdfFailure {
  int status;
};

void check(int status) {
  if (status != NC_NOERR) throw NetcdfFailure{status};
}

void put_text_attribute(int file, int variable, const char* name, const std::string& text) {
  if (text.empty()) return;
  check(nc_put_att_text(file, variable, name, text.size(), text.c_str()));
}

class NetcdfWriter : public OpenFormatWriter {
 public:
  NetcdfWriter(OutputFiles& files, NetcdfSettings settings)
      : OpenFormatWriter(files, ".nc", settings.units, settings.columns),
        history_(std::move(settings.history)),
        obs_columns_(obs_columns(settings.columns)),
        derived_(!obs_columns_.empty() && obs_columns_.back() >= Column::RELATIVE_HUMIDITY),
        theta_e_(std::find(obs_columns_.begin(), obs_columns_.end(),
                           Column::EQUIVALENT_POTENTIAL_TEMPERATURE) != obs_columns_.end()),
        obs_values_(obs_columns_.size()) {}
  ~NetcdfWriter() override { abandon(); }

  void start_file(int32_t date_hour, const StationRow& station) override;
  void write(const Sounding& sounding, const StationRow& station) override;
  void finish_file() override { close_file(); }
  void end() override { close_file(); }

 protected:
  std::string header() const override { return ""; }
  std::string station_text(const StationEntry&) const override { return ""; }

 private:
  void create(const std::string& path);
  void define_profile_variables(int profile);
  // A variable of `dimension`, chunked by `chunk`; with a `length`, a text of at most that
  // many characters per element (a second dimension of characters).
  int define_variable(const char* name, nc_type type, int dimension, size_t chunk,
                      size_t length = 0);
  void define_obs_variables(int obs);
  void add_profile(const Sounding& sounding, const StationEntry& entry, int32_t count);
  // Writes the buffered values, whole chunks only unless `last`.
  void flush(bool last);
  void flush_profiles(bool last);
  void close_file();
  // Ends the program after the failure `status` of the open file, which is removed.
  [[noreturn]] void fail(int status);
  // Closes and removes an unfinished file.
  void abandon();

  const std::string history_;
  const ColumnList obs_columns_;
  const bool derived_;  // a derived column is among them
  const bool theta_e_;
  int file_ = -1;
  std::string path_, temporary_;
  int slot_ = -1;
  int profile_ids_[14] = {};
  std::vector<int> obs_ids_;
  ProfileBuffer profiles_;
  std::vector<std::vector<float>> obs_values_;
  std::vector<signed char> kinds_;
  size_t profiles_written_ = 0;
  size_t obs_written_ = 0;
  size_t obs_buffered_ = 0;
};

enum ProfileVariable {
  PROFILE_ID,
  WMO,
  WMO_ID,
  WBAN,
  STATION,
  STATION_NAME,
  LATITUDE,
  LONGITUDE,
  ALTITUDE,
  TIME,
  RELEASE_TIME,
  SONDE_TYPE,
  ROW_SIZE,
};

// A variable of the profile dimension.
struct Definition {
  const char* name;
  nc_type type;
  const char* standard_name;
  const char* long_name;
  const char* units;
  size_t length = 0;  // of a text
};
// The profile variables in the order of ProfileVariable.
constexpr Definition DEFINITIONS[] = {
    {"profile_id", NC_CHAR, "", "station number and time", "", PROFILE_ID_LENGTH},
    {"wmo", NC_INT, "", "WMO station number", ""},
    {"wmo_id", NC_CHAR, "platform_id", "WMO station number, five digits", "", 5},
    {"wban", NC_INT, "", "WBAN station number", ""},
    {"station", NC_CHAR, "", "station initials", "", sizeof(StationEntry::initials)},
    {"station_name", NC_CHAR, "platform_name", "station name", "", sizeof(StationEntry::name)},
    {"latitude", NC_FLOAT, "latitude", "station latitude", "degrees_north"},
    {"longitude", NC_FLOAT, "longitude", "station longitude", "degrees_east"},
    {"altitude", NC_FLOAT, "surface_altitude", "station elevation", "m"},
    {"time", NC_DOUBLE, "time", "nominal observation time", "seconds since 1970-01-01 00:00:00"},
    {"release_time", NC_DOUBLE, "", "balloon release time", "seconds since 1970-01-01 00:00:00"},
    {"sonde_type", NC_INT, "", "radiosonde type code of the archive", ""},
    {"row_size", NC_INT, "", "number of levels of the profile", ""},
};

void NetcdfWriter::start_file(int32_t date_hour, const StationRow& station) {
  close_file();
  const std::string path = files_.claim_path(file_name(date_hour, *station.entry));
  try {
    create(path);
  } catch (const NetcdfFailure& failure) {
    fail(failure.status);
  }
}

int NetcdfWriter::define_variable(const char* name, nc_type type, int dimension, size_t chunk,
                                  size_t length) {
  int dimensions[2] = {dimension, -1};
  const size_t chunks[2] = {chunk, length};
  if (length > 0) {
    check(nc_def_dim(file_, (std::string(name) + "_length").c_str(), length, &dimensions[1]));
  }
  int id = -1;
  check(nc_def_var(file_, name, type, length > 0 ? 2 : 1, dimensions, &id));
  check(nc_def_var_chunking(file_, id, NC_CHUNKED, chunks));
  return id;
}

void NetcdfWriter::define_profile_variables(int profile) {
  for (int v = 0; v <= ROW_SIZE; ++v) {
    const Definition& d = DEFINITIONS[v];
    const int id = define_variable(d.name, d.type, profile, PROFILE_CHUNK, d.length);
    profile_ids_[v] = id;
    // Texts as fixed-length characters, which readers turn into strings: far faster to write
    // than variable-length strings.
    if (d.length > 0) put_text_attribute(file_, id, "_Encoding", "utf-8");
    put_text_attribute(file_, id, "standard_name", d.standard_name);
    put_text_attribute(file_, id, "long_name", d.long_name);
    put_text_attribute(file_, id, "units", d.units);
  }
  put_text_attribute(file_, profile_ids_[PROFILE_ID], "cf_role", "profile_id");
  put_text_attribute(file_, profile_ids_[ROW_SIZE], "sample_dimension", "obs");
  put_text_attribute(file_, profile_ids_[TIME], "axis", "T");
  put_text_attribute(file_, profile_ids_[TIME], "calendar", "standard");
  const double no_time = NC_FILL_DOUBLE;
  check(nc_put_att_double(file_, profile_ids_[RELEASE_TIME], "_FillValue", NC_DOUBLE, 1, &no_time));
  const int no_type = NC_FILL_INT;
  check(nc_put_att_int(file_, profile_ids_[SONDE_TYPE], "_FillValue", NC_INT, 1, &no_type));
}

void NetcdfWriter::define_obs_variables(int obs) {
  const std::string coordinates =
      std::string("time latitude longitude") +
      (chosen(Column::PRESSURE) || columns().empty() ? " air_pressure" : "");
  for (const Column column : obs_columns_) {
    const ObsVariable v = obs_variable(column, knots());
    const bool kind = column == Column::KIND;
    const int id = define_variable(v.name, kind ? NC_BYTE : NC_FLOAT, obs, OBS_CHUNK);
    obs_ids_.push_back(id);
    put_text_attribute(file_, id, "standard_name", v.standard_name);
    put_text_attribute(file_, id, "long_name", v.long_name);
    put_text_attribute(file_, id, "units", v.units);
    if (kind) {
      static constexpr signed char FLAGS[] = {4, 5, 6, 7, 8, 9};
      check(nc_put_att_schar(file_, id, "flag_values", NC_BYTE, 6, FLAGS));
      put_text_attribute(file_, id, "flag_meanings",
                         "mandatory significant wind tropopause max_wind surface");
      continue;
    }
    const float fill = NC_FILL_FLOAT;
    check(nc_put_att_float(file_, id, "_FillValue", NC_FLOAT, 1, &fill));
    put_text_attribute(file_, id, "coordinates", coordinates);
    if (column == Column::PRESSURE) {
      put_text_attribute(file_, id, "axis", "Z");
      put_text_attribute(file_, id, "positive", "down");
    }
  }
}

// The global attributes: what the file is and the command that wrote it.
void put_global_attributes(int file, const std::string& command) {
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  if (gmtime_r(&now, &utc) != nullptr) std::strftime(stamp, sizeof stamp, "%FT%TZ ", &utc);
  put_text_attribute(file, NC_GLOBAL, "Conventions", "CF-1.8");
  put_text_attribute(file, NC_GLOBAL, "featureType", "profile");
  put_text_attribute(file, NC_GLOBAL, "title", "Upper-air soundings");
  put_text_attribute(file, NC_GLOBAL, "history", stamp + command);
  put_text_attribute(
      file, NC_GLOBAL, "source",
      "radiosonde observations of an upper-air archive, written by wxfetch " WXFETCH_VERSION);
}

void NetcdfWriter::create(const std::string& path) {
  path_ = path;
  temporary_ = path + ".tmp-" + std::to_string(::getpid()) + ".nc";
  slot_ = note_temporary_file(temporary_);
  check(nc_create(temporary_.c_str(), NC_NETCDF4 | NC_CLOBBER, &file_));
  int old_mode = 0;
  check(nc_set_fill(file_, NC_NOFILL, &old_mode));
  int profile = -1, obs = -1;
  check(nc_def_dim(file_, "profile", NC_UNLIMITED, &profile));
  check(nc_def_dim(file_, "obs", NC_UNLIMITED, &obs));
  define_profile_variables(profile);
  define_obs_variables(obs);
  put_global_attributes(file_, history_);
  check(nc_enddef(file_));
  profiles_written_ = obs_written_ = obs_buffered_ = 0;
}

void NetcdfWriter::add_profile(const Sounding& sounding, const StationEntry& entry, int32_t count) {
  const double time =
      static_cast<double>(days_since_1970(sounding.year, sounding.month, sounding.day)) * 86400 +
      sounding.hour * 3600.0;
  const double release = release_seconds(time, sounding.release_time);
  ProfileBuffer& p = profiles_;
  p.id.push_back(cformat("%05d_%04d%02d%02d%02d", entry.wmo, sounding.year, sounding.month,
                         sounding.day, sounding.hour));
  p.wmo_id.push_back(wmo_id_text(entry.wmo));
  p.station.push_back(std::string(entry.initials, strnlen(entry.initials, sizeof entry.initials)));
  p.name.push_back(std::string(entry.name, strnlen(entry.name, sizeof entry.name)));
  p.wmo.push_back(entry.wmo);
  p.wban.push_back(entry.wban);
  p.sonde_type.push_back(sounding.sonde_type == MISSING_VALUE ? NC_FILL_INT : sounding.sonde_type);
  p.row_size.push_back(count);
  p.latitude.push_back(std::isfinite(entry.latitude) ? entry.latitude : NC_FILL_FLOAT);
  p.longitude.push_back(std::isfinite(entry.longitude) ? entry.longitude : NC_FILL_FLOAT);
  p.altitude.push_back(entry.elevation);
  p.time.push_back(time);
  p.release_time.push_back(std::isnan(release) ? NC_FILL_DOUBLE : release);
}

// One sounding: its profile values and its selected levels, written once a batch is full.
void NetcdfWriter::write(const Sounding& sounding, const StationRow& station) {
  if (file_ < 0) return;
  int16_t selected[MAX_LEVELS];
  const int32_t count = select_levels(sounding, selected);
  if (count == 0) return;
  add_profile(sounding, *station.entry, count);
  for (int32_t s = 0; s < count; ++s) {
    const SoundingLevel& level = sounding.levels[selected[s]];
    const DerivedValues derived =
        derived_ ? derived_values(level, knots(), theta_e_) : DerivedValues{};
    for (size_t c = 0; c < obs_columns_.size(); ++c) {
      const Column column = obs_columns_[c];
      if (column == Column::KIND) {
        kinds_.push_back(static_cast<signed char>(level.kind));
        continue;
      }
      double value = NAN;
      if (column <= Column::WIND_SPEED) {
        const int32_t archive = archive_level_value(column, level, knots());
        if (archive != MISSING_VALUE) value = in_tenths(column) ? archive / 10.0 : archive;
      } else {
        value = derived[column];
      }
      obs_values_[c].push_back(std::isfinite(value) ? static_cast<float>(value) : NC_FILL_FLOAT);
    }
  }
  obs_buffered_ += static_cast<size_t>(count);
  if (obs_buffered_ >= OBS_BATCH) {
    try {
      flush(false);
    } catch (const NetcdfFailure& failure) {
      fail(failure.status);
    }
  }
}

// Writes the buffered texts of a text variable of the profiles: `length` characters each,
// padded with NULs.
void put_texts(int file, int variable, size_t start, size_t count,
               const std::vector<std::string>& texts, size_t length) {
  std::string characters(count * length, '\0');
  for (size_t i = 0; i < count; ++i) texts[i].copy(&characters[i * length], length);
  const size_t starts[2] = {start, 0}, counts[2] = {count, length};
  check(nc_put_vara_text(file, variable, starts, counts, characters.data()));
}

void NetcdfWriter::flush_profiles(bool last) {
  ProfileBuffer& p = profiles_;
  const size_t start = profiles_written_;
  const size_t count = last ? p.size() : p.size() / PROFILE_CHUNK * PROFILE_CHUNK;
  if (count == 0) return;
  const int* const ids = profile_ids_;
  put_texts(file_, ids[PROFILE_ID], start, count, p.id, DEFINITIONS[PROFILE_ID].length);
  put_texts(file_, ids[WMO_ID], start, count, p.wmo_id, DEFINITIONS[WMO_ID].length);
  put_texts(file_, ids[STATION], start, count, p.station, DEFINITIONS[STATION].length);
  put_texts(file_, ids[STATION_NAME], start, count, p.name, DEFINITIONS[STATION_NAME].length);
  check(nc_put_vara_int(file_, ids[WMO], &start, &count, p.wmo.data()));
  check(nc_put_vara_int(file_, ids[WBAN], &start, &count, p.wban.data()));
  check(nc_put_vara_int(file_, ids[SONDE_TYPE], &start, &count, p.sonde_type.data()));
  check(nc_put_vara_int(file_, ids[ROW_SIZE], &start, &count, p.row_size.data()));
  check(nc_put_vara_float(file_, ids[LATITUDE], &start, &count, p.latitude.data()));
  check(nc_put_vara_float(file_, ids[LONGITUDE], &start, &count, p.longitude.data()));
  check(nc_put_vara_float(file_, ids[ALTITUDE], &start, &count, p.altitude.data()));
  check(nc_put_vara_double(file_, ids[TIME], &start, &count, p.time.data()));
  check(nc_put_vara_double(file_, ids[RELEASE_TIME], &start, &count, p.release_time.data()));
  profiles_written_ += count;
  p.drop(count);
}

void NetcdfWriter::flush(bool last) {
  flush_profiles(last);
  const size_t start = obs_written_;
  const size_t count = last ? obs_buffered_ : obs_buffered_ / OBS_CHUNK * OBS_CHUNK;
  if (count == 0) return;
  for (size_t c = 0; c < obs_columns_.size(); ++c) {
    if (obs_columns_[c] == Column::KIND) {
      check(nc_put_vara_schar(file_, obs_ids_[c], &start, &count, kinds_.data()));
      drop_front(kinds_, count);
    } else {
      check(nc_put_vara_float(file_, obs_ids_[c], &start, &count, obs_values_[c].data()));
      drop_front(obs_values_[c], count);
    }
  }
  obs_written_ += count;
  obs_buffered_ -= count;
}

void NetcdfWriter::close_file() {
  if (file_ < 0) return;
  try {
    flush(true);
    check(nc_close(file_));
    file_ = -1;
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) throw NetcdfFailure{errno};
  } catch (const NetcdfFailure& failure) {
    fail(failure.status);
  }
  forget_temporary_file(slot_);
  slot_ = -1;
  temporary_.clear();
  obs_ids_.clear();
}

void NetcdfWriter::abandon() {
  if (file_ >= 0) nc_abort(file_);
  file_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  forget_temporary_file(slot_);
  slot_ = -1;
  temporary_.clear();
  profiles_.clear();
  kinds_.clear();
  for (std::vector<float>& values : obs_values_) values.clear();
  obs_ids_.clear();
  obs_buffered_ = 0;
}

void NetcdfWriter::fail(int status) {
  abandon();
  files_.own_file_failed(status > 0 ? status : EIO);
}

}  // namespace

bool netcdf_available() {
  return true;
}

std::unique_ptr<SoundingWriter> make_netcdf_writer(OutputFiles& files, NetcdfSettings settings) {
  return std::make_unique<NetcdfWriter>(files, std::move(settings));
}

}  // namespace wxfetch

#else  // a build without the netCDF library

namespace wxfetch {

bool netcdf_available() {
  return false;
}

std::unique_ptr<SoundingWriter> make_netcdf_writer(OutputFiles&, NetcdfSettings) {
  return nullptr;
}

}  // namespace wxfetch

#endif
