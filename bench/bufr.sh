#!/usr/bin/env bash
# BUFR speed: the whole sample archive written with `wxget --format bufr` and imported back
# with `wxpack --from bufr`, then high-resolution ascents of 5,000 levels (200 and 1,000
# messages, made with ecCodes) imported and thinned. Each call pinned to one core; prints
# seconds, processor seconds, levels per processor second and peak memory (which for the
# imports should not grow with the number of messages).
#
#   bench/bufr.sh [BUILD_DIRECTORY]     (default: build/default, built beforehand)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
work=$(realpath -m "$build/bench/bufr")
rm -rf "$work" && mkdir -p "$work"
wxget=$(realpath "$build/wxget")
wxpack=$(realpath "$build/wxpack")
support=data/sample/support
pin="taskset -c 0"
command -v taskset > /dev/null || pin=""

# measure LABEL LEVELS COMMAND...
measure() {
  local label=$1 levels=$2
  shift 2
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" $pin "$@" > /dev/null
  read -r wall user system peak < "$work/time"
  local cpu
  cpu=$(echo "$user + $system" | bc -l)
  printf "%-34s %9d levels %7.2f s %7.2f cpu-s %10.3g levels/cpu-s %7.1f MiB peak\n" "$label" \
    "$levels" "$wall" "$cpu" "$(echo "$levels / ($cpu + 0.005)" | bc -l)" \
    "$(echo "$peak / 1024" | bc -l)"
}

request=(--archive "$build/sample/archive" --support "$support" --from 1998010100
         --to 1999123123 --all-stations --quiet)
levels=$("$wxget" "${request[@]}" --format csv --output - | tail -n +2 | wc -l)
measure "export: sample archive" "$levels" "$wxget" "${request[@]}" --format bufr \
  --output "$work"
measure "import: sample archive" "$levels" "$wxpack" --from bufr --support "$support" --quiet \
  "$work/archive" "$work"/*.bufr
for messages in 200 1000; do
  "$build/bench/bufr_hires_files" "$work/hires-$messages.bufr" "$messages" 5000 > /dev/null
  measure "import: $messages x 5000-level ascents" $((messages * 5000)) "$wxpack" --from bufr \
    --support "$support" --quiet "$work/hires-$messages" "$work/hires-$messages.bufr"
done
