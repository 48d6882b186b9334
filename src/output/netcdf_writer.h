// NetCDF-4 files of soundings for xarray and the CF tools: CF-1.8 discrete sampling geometry of
// featureType "profile" in the contiguous ragged array representation. A profile dimension
// holds each sounding's station (WMO and WBAN number, initials, name, latitude, longitude,
// altitude), its time and release time and its row_size (the number of its levels, with
// sample_dimension "obs"); the obs dimension holds the levels, one variable per level column
// (air_pressure, geopotential_height, air_temperature, ... and the derived columns), absent
// values as _FillValue. Files are named as the KVT files of the request, with ".nc", written
// under a temporary name beside the target and renamed when complete.
#pragma once

#include <memory>
#include <string>

#include "output/level_columns.h"
#include "output/open_format_writers.h"

namespace wxfetch {

struct NetcdfSettings {
  OpenWindUnits units = OpenWindUnits::METRES_PER_SECOND;
  ColumnList columns;   // the level columns of the obs variables; empty for the default set
  std::string history;  // the command that wrote the files, for the history attribute
};

// True when this build writes NetCDF (the netCDF library was found when it was configured).
bool netcdf_available();

// The NetCDF writer into `files` (which must go to a directory); null when !netcdf_available().
std::unique_ptr<SoundingWriter> make_netcdf_writer(OutputFiles& files, NetcdfSettings settings);

}  // namespace wxfetch
