#!/usr/bin/env bash
# wxget and wxls benchmark on the benchmark archive of bench/requests.sh (100 generated stations
# over 1999, 00 and 12 UTC every day): the whole year in KVT through wxfetch (piped replies) and
# through wxget, then CSV and JSON Lines through wxget, each pinned to one core; then wxls over
# the whole archive. Prints soundings, levels (lines of level data written), seconds (best of
# five runs, each after sync), the processor seconds of that run and levels per second of
# each; the goals are KVT as fast as wxfetch, CSV at 1.5e7 levels/s or more, NetCDF at 1e7 and
# the derived columns (--columns all) at 5e6 or more. The NetCDF levels are counted with ncdump.
#
#   bench/wxget.sh [BUILD_DIRECTORY]     (default: build/default, built beforehand)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
mkdir -p "$build/bench"
work=$(realpath "$build/bench")
wxfetch=$(realpath "$build/wxfetch")
wxget=$(realpath "$build/wxget")
wxls=$(realpath "$build/wxls")
wxsample=$(realpath "$build/tools/wxsample")
dir=$work/year
if [ ! -f "$dir/made" ]; then
  rm -rf "$dir" && mkdir -p "$dir/support"
  cp data/sample/support/tefahelp.txt "$dir/support/"
  "$wxsample" --bench 100 12 "$dir/archive" "$dir/support" > "$dir/made"
fi
cat "$dir/made"
# One core: the program and its background writer share it.
pin="taskset -c 0"
command -v taskset > /dev/null || pin=""

# best_of COMMAND...: the least wall-clock seconds of five runs, each after emptying the output
# folder and sync, and the processor seconds (user + system) of that run: on a machine shared
# with other work the processor seconds vary less.
TIMEFORMAT="%R %U %S"
best_of() {
  local best="" cpu="" t c
  for _ in 1 2 3 4 5; do
    rm -rf "$out" && mkdir -p "$out"
    sync
    { time "$@" 2> "$work/stderr"; } 2> "$work/time"
    t=$(cut -d' ' -f1 "$work/time")
    c=$(awk '{ print $2 + $3 }' "$work/time")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t cpu=$c; fi
  done
  echo "$best $cpu"
}

# report NAME "SECONDS CPU_SECONDS" LEVELS SOUNDINGS
report() {
  local t=${2% *} c=${2#* }
  printf "%-22s %9s %10s %8.2f %8.2f %12.0f %12.0f\n" "$1" "$4" "$3" "$t" "$c" \
    "$(echo "$3 / $t" | bc -l)" "$(echo "$3 / $c" | bc -l)"
}

kvt_levels() { cat "$out"/* | grep -c -v -E '^ +(254|1|2|3) ' || true; }
kvt_soundings() { cat "$out"/* | grep -c -E '^    254 ' || true; }

printf "%-22s %9s %10s %8s %8s %12s %12s\n" request soundings levels seconds "cpu s" levels/s \
  "levels/cpu-s"
out=$work/out-wxfetch
replies='\n1999010100\n1999123123\n0\n3\n0\nY\n0\n0\n0\n1\n.\n0\nN\nN\n'
fetch() {
  (cd "$out" && printf "$replies" | $pin "$wxfetch" "$dir/archive" "$dir/support" > /dev/null) ||
    true
}
t=$(best_of fetch)
report "wxfetch kvt" "$t" "$(kvt_levels)" "$(kvt_soundings)"
fetched=$(cat "$out"/*)

request=(--archive "$dir/archive" --support "$dir/support" --from 1999010100 --to 1999123123
         --all-stations --quiet)
out=$work/out-wxget
get() { $pin "$wxget" "${request[@]}" --format "$1" --output "$out"; }
t=$(best_of get kvt)
report "wxget kvt" "$t" "$(kvt_levels)" "$(kvt_soundings)"
if [ "$(cat "$out"/*)" != "$fetched" ]; then echo "wxget kvt differs from wxfetch" >&2; exit 1; fi
t=$(best_of get csv)
report "wxget csv" "$t" "$(($(cat "$out"/* | wc -l) - 1))" "$(tail -n +2 "$out"/* | cut -d, -f1,4 | uniq | wc -l)"
t=$(best_of get json)
report "wxget json" "$t" "$(grep -o '{"kind"' "$out"/* | wc -l)" "$(cat "$out"/* | wc -l)"
# The derived columns: every column of CSV, with the humidity, potential temperatures and wind
# components of each level.
getall() { $pin "$wxget" "${request[@]}" --format "$1" --columns all --output "$out"; }
t=$(best_of getall csv)
report "wxget csv all" "$t" "$(($(cat "$out"/* | wc -l) - 1))" "$(tail -n +2 "$out"/* | cut -d, -f1,4 | uniq | wc -l)"
# NetCDF (when the build has it): the levels are the obs dimension of the file.
if "$wxget" "${request[@]}" --format netcdf --output - 2>&1 | grep -q "no NetCDF"; then
  echo "wxget netcdf: this build has no NetCDF"
else
  dim() { ncdump -h "$out"/*.nc | sed -n "s/.*$1 = UNLIMITED ; \/\/ (\([0-9]*\) currently)/\1/p"; }
  t=$(best_of get netcdf)
  report "wxget netcdf" "$t" "$(dim obs)" "$(dim profile)"
  t=$(best_of getall netcdf)
  report "wxget netcdf all" "$t" "$(dim obs)" "$(dim profile)"
fi
out=$work/out-wxls
list() { $pin "$wxls" "$dir/archive" --support "$dir/support" --format csv > "$out/list.csv"; }
t=$(best_of list)
printf "%-22s %9s %10s %8.3f %8.3f   (%s station-years)\n" "wxls whole archive" - - ${t% *} ${t#* } \
  "$(($(wc -l < "$out/list.csv") - 1))"
