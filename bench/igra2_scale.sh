#!/usr/bin/env bash
# IGRA 2 at full scale: zipped station files as NCEI ships them, for STATIONS stations (default
# 2306, the stations of IGRA 2 with a WMO number) over one year at 00 and 12 UTC with LEVELS
# levels each (default 70: about 1.2e8 levels). Writes the station list's rows with
# `wxpack --from igra2-stations`, imports every file in one call pinned to one core, lists the
# archive with wxls and fetches one day of all stations with wxget. Prints the import's levels
# per second (of processor time and of wall-clock time), its peak memory, the archive's size
# and the times of the wxls and wxget calls; the goals: 5e6 levels a second on one core, peak
# memory bounded by one station-year.
#
#   bench/igra2_scale.sh [BUILD_DIRECTORY [STATIONS [LEVELS]]]
#       (default: build/default, built beforehand with bench/igra2_scale_files)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
stations=${2:-2306}
levels=${3:-70}
year=2023
work=$(realpath -m "$build/bench/igra2-scale")
wxpack=$(realpath "$build/wxpack")
wxls=$(realpath "$build/wxls")
wxget=$(realpath "$build/wxget")
input=$work/input-$stations-$levels
if [ ! -f "$input/made" ]; then
  rm -rf "$input" && mkdir -p "$work"
  "$build/bench/igra2_scale_files" "$input" "$stations" "$year" "$levels" > "$input.made"
  mv "$input.made" "$input/made"
fi
cat "$input/made"
echo "input: $(du -sh "$input" | cut -f1) zipped, $stations files"
pin="taskset -c 0"
command -v taskset > /dev/null || pin=""

# measure LABEL COMMAND...: wall-clock and processor seconds and peak resident memory.
measure() {
  local label=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@"
  read -r wall user system peak < "$work/time"
  printf "%-26s %8.2f s %8.2f cpu-s %9.1f MiB peak\n" "$label" "$wall" \
    "$(echo "$user + $system" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
}

support=$work/support
rm -rf "$support" "$work/archive" && mkdir -p "$support"
cp data/sample/support/stat2000.txt data/sample/support/tefahelp.txt "$support/"
"$wxpack" --from igra2-stations --stations "$support/stat2000.txt" \
  "$input/igra2-station-list.txt" > "$support/international_sites.txt" 2> "$work/rows.err" ||
  true
echo "station rows: $(wc -l < "$support/international_sites.txt") written"

sync
measure "import (one core)" $pin "$wxpack" --from igra2 --support "$support" --quiet \
  "$work/archive" "$input"/*.zip
import_cpu=$(awk '{ print $2 + $3 }' "$work/time")
import_wall=$(awk '{ print $1 }' "$work/time")
total=$(awk '{ print $(NF - 1) }' "$input/made")
printf "import: %.3g levels/cpu-s, %.3g levels/s\n" "$(echo "$total / $import_cpu" | bc -l)" \
  "$(echo "$total / $import_wall" | bc -l)"
echo "archive: $(du -sh "$work/archive" | cut -f1)"

measure "wxls whole archive" "$wxls" "$work/archive" --support "$support" > "$work/listing.txt"
echo "wxls: $(($(wc -l < "$work/listing.txt") - 1)) station-years listed"
rm -rf "$work/day" && mkdir -p "$work/day"
measure "wxget one day, all" "$wxget" --archive "$work/archive" --support "$support" \
  --from ${year}070100 --to ${year}070112 --all-stations --format csv --output "$work/day" \
  --quiet
echo "wxget: $(($(cat "$work/day"/* | wc -l) - 1)) levels of $(tail -n +2 "$work/day"/* |
  cut -d, -f1,4 | sort -u | wc -l) soundings"
