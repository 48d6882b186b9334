#!/usr/bin/env bash
# Builds and runs every test under both presets: the release build and the AddressSanitizer +
# UndefinedBehaviorSanitizer build. Installs what the build and the tests need when the machine
# lacks it.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/install-missing.sh
# rsvg-convert and a headless browser check the pictures of wxplot; ecCodes reads and writes
# BUFR (bufr_dump checks what wxget writes); libarchive reads zipped and gzipped input; xarray
# reads wxget's NetCDF.
install_missing cmake g++ make libgtest-dev libbenchmark-dev man-db librsvg2-bin chromium \
  libarchive-dev libeccodes-dev libeccodes-tools libnetcdf-dev python3-xarray python3-netcdf4
for preset in default asan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
