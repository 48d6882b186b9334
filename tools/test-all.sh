#!/usr/bin/env bash
# Builds and runs every test under both presets: the release build and the AddressSanitizer +
# UndefinedBehaviorSanitizer build. Installs what the build and the tests need when the machine
# lacks it.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/install-missing.sh
# The build: ecCodes reads and writes BUFR, libarchive reads zipped and gzipped input, netCDF
# writes wxget's NetCDF.
install_missing cmake g++ make libgtest-dev libbenchmark-dev libarchive-dev libeccodes-dev \
  libnetcdf-dev
# The tests' own tools install while the release build compiles: rsvg-convert and a headless
# browser check the pictures of wxplot, bufr_dump what wxget writes, xarray wxget's NetCDF.
test_tools=(man-db librsvg2-bin chromium libeccodes-tools python3-xarray python3-netcdf4)
# sudo asks for its password, when it needs one, here and not in the background.
if [ "$(id -u)" -ne 0 ] && [ -n "$(missing_packages "${test_tools[@]}")" ] &&
  command -v sudo >/dev/null; then
  sudo -v
fi
mkdir -p build
install_missing "${test_tools[@]}" >build/test-tools-install.log 2>&1 </dev/null &
tools_installed=$!
for preset in default asan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  if [ -n "$tools_installed" ]; then
    wait "$tools_installed" || { cat build/test-tools-install.log >&2; exit 1; }
    tools_installed=
  fi
  ctest --preset "$preset"
done
