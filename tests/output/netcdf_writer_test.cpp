// wxget's NetCDF files as xarray reads them: every value that the CSV of the same request holds
// (the station's, the time, the kind and every level column, derived ones included) is in the
// file, absent values as NaN; the files are named as the CSV files and nothing else is left.
#include "output/netcdf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "commands/wxget.h"
#include "database/archive_writer.h"
#include "support/test_context.h"

namespace wxfetch {
namespace {

using pack::ABSENT;
using pack::PackSounding;

// Compares the NetCDF file argv[1] with the CSV file argv[2] (both of --columns all); prints
// "ok" or the first differences.
constexpr const char* CHECK_SCRIPT = R"(
import csv, math, sys
import numpy as np, xarray as xr
ds = xr.open_dataset(sys.argv[1])
rows = list(csv.DictReader(open(sys.argv[2])))
units = 'kt' if 'wind_speed_kt' in rows[0] else 'ms'
obs = {'pressure_hpa': 'air_pressure', 'height_m': 'geopotential_height',
       'temperature_c': 'air_temperature', 'dew_point_c': 'dew_point_temperature',
       'wind_direction_deg': 'wind_from_direction', 'wind_speed_' + units: 'wind_speed',
       'relative_humidity_pct': 'relative_humidity', 'mixing_ratio_gkg': 'humidity_mixing_ratio',
       'potential_temperature_k': 'air_potential_temperature',
       'equivalent_potential_temperature_k': 'equivalent_potential_temperature',
       'virtual_potential_temperature_k': 'virtual_potential_temperature',
       'u_wind_' + units: 'eastward_wind', 'v_wind_' + units: 'northward_wind'}
profile = {'wmo': 'wmo', 'wban': 'wban', 'station': 'station', 'wmo_id': 'wmo_id',
           'latitude': 'latitude', 'longitude': 'longitude', 'elevation_m': 'altitude'}
values = {name: ds[name].values for name in list(obs.values()) + list(profile.values())}
sizes = ds['row_size'].values
of = np.repeat(np.arange(len(sizes)), sizes)
kinds = dict(zip(ds['level_kind'].attrs['flag_values'], ds['level_kind'].attrs['flag_meanings'].split()))
bad = []
if len(rows) != ds.sizes['obs'] or len(rows) != sizes.sum():
    bad.append('rows %d obs %d' % (len(rows), ds.sizes['obs']))
def same(text, value):
    if text == '':
        return isinstance(value, float) and math.isnan(value)
    if isinstance(value, str):
        return text == value
    decimals = len(text) - text.index('.') - 1 if '.' in text else 0
    return abs(float(value) - float(text)) <= 0.5 * 10 ** -decimals + 1e-5 * abs(float(text))
for i, row in enumerate(rows[:len(of)]):
    p = of[i]
    checks = [(c, values[v][i]) for c, v in obs.items()] + [(c, values[v][p]) for c, v in profile.items()]
    checks.append(('time', np.datetime_as_string(ds['time'].values[p], unit='m') + 'Z'))
    checks.append(('kind', kinds[ds['level_kind'].values[i]]))
    for column, value in checks:
        value = value if isinstance(value, str) else float(value)
        if not same(row[column], value):
            bad.append('row %d %s: csv %r netcdf %r' % (i, column, row[column], value))
print('ok' if not bad else '\n'.join(bad[:10]))
)";

// A python3 that has xarray, or "".
std::string python_with_xarray() {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string command =
        std::string(python) + " -c 'import xarray, netCDF4' > /dev/null 2>&1";
    if (testing::run_shell(command) == 0) return python;
  }
  return "";
}

class NetcdfFiles : public ::testing::Test {
 protected:
  NetcdfFiles() {
    PackSounding denver;
    denver.wban = 23062;
    denver.month = 3;
    denver.release_time = 2309;
    denver.sonde_type = 52;
    denver.levels = {{9, 8295, 1611, -99, -194, 124, 37},
                     {4, 10000, 145, ABSENT, ABSENT, ABSENT, ABSENT},
                     {5, 8273, ABSENT, -100, -195, ABSENT, ABSENT},
                     {6, ABSENT, 3000, ABSENT, ABSENT, 270, 257},
                     {8, 2500, 10480, -520, ABSENT, 275, 108},
                     {7, 2170, 11500, -571, ABSENT, 280, 64}};
    PackSounding camborne;
    camborne.wban = 903808;
    camborne.month = 3;
    camborne.day = 2;
    camborne.hour = 12;
    camborne.levels = {{9, 10120, 88, -5, -15, 0, 0},
                       {4, 10000, 190, -20, -30, 10, 5},
                       {4, 8500, 1400, -101, -151, 20, 80},
                       {4, 7000, 2900, -200, -300, 30, 120},
                       {4, 5000, 5500, -401, ABSENT, 40, 201}};
    pack::write_archive(archive.path(), {denver, camborne});
  }

  // Runs wxget on the soundings of 1 and 2 March 1999 with the extra options; returns its
  // status and keeps its error text.
  int wxget(std::vector<std::string> options) {
    std::vector<std::string> args = {
        "--archive", archive.dir(),
        "--support", (testing::source_dir() / "data/sample/support").string(),
        "--from",    "1999030100",
        "--to",      "1999030212",
        "--wmo",     "72469,3808",
        "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    const int status = run_wxget(args, out, err, false);
    errors = err.str();
    return status;
  }

  std::vector<std::string> names_in(const testing::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir archive;
  testing::TempDir out;
  std::string errors;
};

TEST_F(NetcdfFiles, XarrayReadsEveryValueTheCsvHolds) {
  if (!netcdf_available()) GTEST_SKIP() << "built without NetCDF";
  const std::string python = python_with_xarray();
  if (python.empty()) GTEST_SKIP() << "no python3 with xarray and netCDF4";
  const std::string script = out.write("check.py", CHECK_SCRIPT).string();
  for (const char* units : {"ms", "kt"}) {
    ASSERT_EQ(
        wxget({"--format", "netcdf", "--columns", "all", "--units", units, "--output", out.dir()}),
        0)
        << errors;
    ASSERT_EQ(
        wxget({"--format", "csv", "--columns", "all", "--units", units, "--output", out.dir()}), 0)
        << errors;
    // Standard error apart: this xarray warns about the casts of absent release times.
    const std::string result = out.dir() + "result.txt", warnings = out.dir() + "warnings.txt";
    testing::run_shell(python + " " + testing::shell_quoted(script) + " " + out.dir() +
                       "1999030100.nc " + out.dir() + "1999030100.csv > " + result + " 2> " +
                       warnings);
    EXPECT_EQ(testing::read_file(result), "ok\n") << units << testing::read_file(warnings);
  }
}

TEST_F(NetcdfFiles, FilesAreNamedAsTheOtherFormatsAndNothingElseIsLeft) {
  if (!netcdf_available()) {
    EXPECT_EQ(wxget({"--format", "netcdf", "--output", out.dir()}), 2);
    EXPECT_NE(errors.find("this build has no NetCDF"), std::string::npos);
    return;
  }
  ASSERT_EQ(wxget({"--format", "netcdf", "--files", "day", "--output", out.dir()}), 0) << errors;
  EXPECT_EQ(names_in(out), (std::vector<std::string>{"1999030100.nc", "1999030212.nc"}));
  EXPECT_EQ(wxget({"--format", "netcdf", "--output", "-"}), 2);
  EXPECT_NE(errors.find("NetCDF is written to files only"), std::string::npos) << errors;
  // A folder that does not exist: the error names the file, and no file is made.
  EXPECT_EQ(wxget({"--format", "netcdf", "--output", out.dir() + "missing/"}), 2);
  EXPECT_NE(errors.find("missing/1999030100.nc"), std::string::npos) << errors;
  EXPECT_EQ(names_in(out).size(), 2u);
}

}  // namespace
}  // namespace wxfetch
