#!/usr/bin/env bash
# Fails when a file of src/ includes against the flow of the program:
#
#   records, console  <-  database, stations, output  <-  extraction  <-  dialogue, the programs
#   records  <-  analysis  <-  plot
#   all of these  <-  get (the command-line programs wxget, wxls, wxplot --archive)
#
# - records/ (the shared values) and console/ include nothing of the other subsystems;
# - database/ includes records/ only; stations/ and output/ include records/ and console/;
# - extraction/ includes records/, console/, database/, stations/ and of output/ only the writer
#   interface (output/sounding_writer.h);
# - analysis/ (thermodynamics and indices) includes records/ only; plot/ (pictures) includes
#   records/, analysis/ and of output/ only the writer interface;
# - get/ includes every subsystem but dialogue/ and the top-level program files;
# - dialogue/ and the top-level program files may include anything; text.h and
#   number_format.h (top-level helpers) may be included by anyone and include nothing.
# and when the includes between concepts (a header and its source file are one concept) form a
# cycle.
#
#   tools/check-includes.sh [SOURCE_DIRECTORY]     (default: src/ of this repository)
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
cd "$src"

# allowed FROM_MODULE TARGET: true when a file of FROM_MODULE may include TARGET (a path
# relative to src/).
allowed() {
  local from=$1 target=$2
  local module=${target%%/*}
  [ "$module" = "$target" ] && module=top
  case "$target" in text.h | number_format.h) return 0 ;; esac
  [ "$module" = "$from" ] && return 0
  case "$from" in
    records | console) return 1 ;;
    database) [ "$module" = records ] ;;
    stations | output) [ "$module" = records ] || [ "$module" = console ] ;;
    extraction)
      case "$module" in
        records | console | database | stations) return 0 ;;
        output) [ "$target" = output/sounding_writer.h ] ;;
        *) return 1 ;;
      esac
      ;;
    analysis) [ "$module" = records ] ;;
    plot)
      case "$module" in
        records | analysis) return 0 ;;
        output) [ "$target" = output/sounding_writer.h ] ;;
        *) return 1 ;;
      esac
      ;;
    get)
      case "$module" in
        dialogue | top) return 1 ;;
        *) return 0 ;;
      esac
      ;;
    helper) return 1 ;;
    dialogue | top) return 0 ;;
    *) return 1 ;;
  esac
}

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
  case "$file" in
    */*) from=${file%%/*} ;;
    text.* | number_format.*) from=helper ;;
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
