#!/usr/bin/env bash
# Builds wxfetch and the sample archive (nothing else) and starts the program on them:
#
#   tools/start.sh [PAGE_LENGTH]
#
# Installs the compiler and CMake first when the machine lacks them.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/install-missing.sh
install_missing cmake g++ make
cmake --preset default >/dev/null
cmake --build --preset default --target wxfetch sample_archive >/dev/null
exec build/default/wxfetch build/default/sample/archive data/sample/support "$@"
