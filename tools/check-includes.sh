#!/usr/bin/env bash
# Fails when a file of src/ includes against the flow of the layers, or when the includes
# between concepts (a header and its source file are one concept) form a cycle. The flow, each
# layer with the layers it may include (and itself):
#
#   base        text and number helpers, files read and written safely (nothing below it)
#   records     the values every layer shares
#   console     interactive input and output
#   database    the station-year format both ways        | each of these four: records, base
#   stations    station tables and selection             |
#   analysis    thermodynamics and indices               |
#   output      sinks and format writers                 | (and analysis, for derived columns)
#   extraction  database, stations, output
#   plot        analysis, output
#   import      database, stations, analysis
#   cli         extraction, plot, import (and what they include)
#   commands    cli (and what it includes)
#   dialogue    console, extraction (and what they include)
#   top         the programs' main files: anything
#
# Every folder of src/ must be named here; CMake links one library per layer in the same order.
#
#   tools/check-includes.sh [SOURCE_DIRECTORY]     (default: src/ of this repository)
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
cd "$src"

declare -A LOWER=(
  [base]=""
  [records]="base"
  [console]="base records"
  [database]="base records"
  [stations]="base records"
  [output]="base records analysis"
  [analysis]="base records"
  [extraction]="base records database stations output"
  [plot]="base records analysis output"
  [import]="base records database stations analysis"
  [cli]="base records database stations output analysis extraction plot import"
  [commands]="base records database stations output analysis extraction plot import cli"
  [dialogue]="base records console database stations output extraction"
)

# allowed FROM_LAYER TARGET: true when a file of FROM_LAYER may include TARGET (a path relative
# to src/).
allowed() {
  local from=$1 target=$2
  local layer=${target%%/*}
  [ "$from" = top ] && return 0
  [ "$layer" = "$from" ] && return 0
  [[ " ${LOWER[$from]} " == *" $layer "* ]]
}

status=0
for folder in */; do
  folder=${folder%/}
  if [ -z "${LOWER[$folder]+set}" ]; then
    echo "src/$folder/ is no layer of the flow: name it in tools/check-includes.sh" >&2
    status=1
  fi
done

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
  case "$file" in
    */*) from=${file%%/*} ;;
    *) from=top ;;
  esac
  concept=${file%.*}
  while IFS= read -r target; do
    if ! allowed "$from" "$target"; then
      echo "include against the flow: $file includes \"$target\"" >&2
      status=1
    fi
    [ "${target%.*}" != "$concept" ] && echo "$concept ${target%.*}" >> "$edges"
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##' | sort)

# tsort reports a loop on its error stream.
if ! loops=$(tsort "$edges" 2>&1 >/dev/null) || [ -n "$loops" ]; then
  echo "includes between concepts form a cycle:" >&2
  echo "$loops" >&2
  status=1
fi
exit $status
