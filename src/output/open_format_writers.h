// The open formats of wxget, as writers behind the writer interface: CSV (RFC 4180, one row per
// level under a header row) and JSON Lines (one object per sounding with its levels in an
// array). Both print the levels of the request's level selection, values at the archive's
// precision in physical units, absent values empty (CSV) or null (JSON), and wind speeds in m/s
// or knots. Files are named as the KVT files of the same request, with ".csv" or ".jsonl".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "output/level_columns.h"
#include "output/sounding_writer.h"

namespace wxfetch {

class OutputFiles;
class OutputStream;

// The units of the open formats' wind speed column.
enum class OpenWindUnits { METRES_PER_SECOND, KNOTS };

// What the CSV and JSON Lines writers share: the files, the level selection, the header row at
// the head of every file, the station's texts by catalogue row, and the write check.
class OpenFormatWriter : public SoundingWriter {
 public:
  // `columns`: the columns in their order, empty for the default set.
  OpenFormatWriter(OutputFiles& files, const char* extension, OpenWindUnits units,
                   ColumnList columns = {})
      : files_(files),
        extension_(extension),
        knots_(units == OpenWindUnits::KNOTS),
        columns_(std::move(columns)) {}

  // A new run of files (or of the screen) for `request`: its level selection and file names.
  void begin(const AccessRequest& request) override;
  // Closes the open file and opens the next; its header row comes with its first sounding.
  void start_file(int32_t date_hour, const StationRow& station) override;
  // Closes the last file.
  void end() override;

 protected:
  // The header text of a file ("" for none); written before the first sounding of each file.
  virtual std::string header() const = 0;
  // The text that every row or object of this station begins with, made once per row.
  virtual std::string station_text(const StationEntry& entry) const = 0;

  // Puts the indices of the sounding's selected levels into `selected`; returns their count.
  int32_t select_levels(const Sounding& sounding, int16_t* selected) const;
  // The name of the file that starts with the sounding at `date_hour` of `station`.
  std::string file_name(int32_t date_hour, const StationEntry& station) const;
  // The output stream, after the header row of a new file.
  OutputStream& stream_for_sounding();
  // The station's text, cached by catalogue row.
  // REQUIRES: station.entry is not null and station.index >= 0.
  const std::string& cached_station_text(const StationRow& station);
  // Sends a write error of the stream to the files' reporter (which ends the program).
  void check_output();

  bool knots() const { return knots_; }
  // The chosen columns; empty for the default set.
  const ColumnList& columns() const { return columns_; }
  bool chosen(Column column) const;

  OutputFiles& files_;

 private:
  const char* const extension_;
  const bool knots_;
  const ColumnList columns_;
  uint32_t kinds_ = 0;
  SortOrder sort_ = SortOrder::CLIMATOLOGICAL;
  bool one_file_ = false;
  int32_t begin_date_ = 0;
  bool header_due_ = true;
  std::vector<std::string> station_texts_;
};

// CSV: the header row
// wmo,wban,station,time,kind,pressure_hpa,height_m,temperature_c,dew_point_c,
// wind_direction_deg,wind_speed_ms (or wind_speed_kt), then one row per selected level; or the
// chosen columns in their order.
class CsvWriter : public OpenFormatWriter {
 public:
  CsvWriter(OutputFiles& files, OpenWindUnits units, ColumnList columns = {})
      : OpenFormatWriter(files, ".csv", units, std::move(columns)) {}
  // REQUIRES: station.entry is not null and station.index >= 0.
  void write(const Sounding& sounding, const StationRow& station) override;

 protected:
  std::string header() const override;
  std::string station_text(const StationEntry& entry) const override;

 private:
  // The rows of the chosen columns for the `count` levels of `selected`.
  void write_chosen(const Sounding& sounding, const StationEntry& entry, const int16_t* selected,
                    int32_t count);
};

// JSON Lines: one object per sounding with wmo, wban, station, latitude, longitude, elevation,
// time, release_time, sonde_type and levels (objects keyed by the CSV level column names). With
// chosen columns, "wmo_id" follows "wmo" when it is chosen, and the level objects hold the
// chosen level columns in their order.
class JsonLinesWriter : public OpenFormatWriter {
 public:
  JsonLinesWriter(OutputFiles& files, OpenWindUnits units, ColumnList columns = {})
      : OpenFormatWriter(files, ".jsonl", units, std::move(columns)) {}
  // REQUIRES: station.entry is not null and station.index >= 0.
  void write(const Sounding& sounding, const StationRow& station) override;

 protected:
  std::string header() const override { return ""; }
  std::string station_text(const StationEntry& entry) const override;

 private:
  // The object's members up to the opening bracket of "levels".
  std::string head(const Sounding& sounding, const StationRow& station);
  // The level objects of the chosen columns; returns the end of the text put at `end`.
  char* put_chosen_levels(char* end, const Sounding& sounding, const int16_t* selected,
                          int32_t count) const;
};

}  // namespace wxfetch
