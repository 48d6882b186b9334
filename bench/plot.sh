#!/usr/bin/env bash
# wxplot benchmark: a station-year (730 soundings at 00 and 12 UTC, about 70 levels each, made up
# here as a KVT file) into one HTML page, then the same soundings as indices only and as SVG files,
# and ten such years (7300 soundings) as indices only, pinned to one core. Prints soundings,
# seconds (for the indices the least processor seconds of five runs) and soundings per second, and the page's size;
# the goals: the page under 5 s, indices at 16000 soundings per second or more.
#
#   bench/plot.sh [BUILD_DIRECTORY]     (default: build/default, wxplot built beforehand)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
mkdir -p "$build/bench/plot"
work=$(realpath "$build/bench/plot")
wxplot=$(realpath "$build/wxplot")

# A year of generated soundings in the full KVT variant: a surface level, then levels every
# 12.5 mb with a temperature that falls by about 6.5 K/km, a dew point that dries aloft, and
# winds that veer and strengthen with height; each sounding shifted a little by its day.
if [ ! -f "$work/year.txt" ]; then
  awk 'BEGIN {
    split("JAN FEB MAR APR MAY JUN JUL AUG SEP OCT NOV DEC", mon, " ");
    split("31 28 31 30 31 30 31 31 30 31 30 31", len, " ");
    for (m = 1; m <= 12; m++) for (d = 1; d <= len[m]; d++) for (h = 0; h <= 12; h += 12) {
      n++; shift = 60 * sin(n / 58.0) + 15 * sin(n * 1.7);
      printf "%7d %6d %6d %8s %7d\n", 254, h, d, " " mon[m], 1999;
      printf "%7d %6d %6d %6.2f%c% 6.2f%c %5d %6d\n", 1, 13957, 72357, 35.18, "N", 97.44, "W", 345, 2305;
      printf "%7d %6d %6d %6d %6d %6d %6d\n", 2, 9650, 2500, 1800, 74, 7, 3;
      printf "%7d %13s %20d %6s\n", 3, "OUN", 51, "kt";
      for (p = 9650; p >= 1000; p -= 125) {
        z = int(44330 * (1 - (p / 10132.5) ^ 0.1903));
        t = int(250 + shift - 65 * (z - 345) / 1000); if (t < -560) t = -560;
        td = int(t - 30 - 20 * (z - 345) / 1000); if (td < t - 400) td = t - 400;
        kind = (p == 9650) ? 9 : (p % 500 == 0 ? 4 : 5);
        printf "%7d %6d %6d %6d %6d %6d %6d\n", kind, p, z, t, td, (180 + int(z / 100)) % 360, 5 + int(z / 400);
      }
    }
  }' > "$work/year.txt"
fi

# seconds COMMAND...: wall-clock seconds of a command, its output thrown away.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l | xargs printf "%.2f"
}

if [ ! -f "$work/decade.txt" ]; then
  for _ in 1 2 3 4 5 6 7 8 9 10; do cat "$work/year.txt"; done > "$work/decade.txt"
fi

# cpu_seconds COMMAND...: processor seconds (user and system) of a command, its output thrown
# away; unlike the wall clock, not lengthened by other work on a shared machine.
cpu_seconds() {
  local TIMEFORMAT='%3U %3S' times
  times=$( { time "$@" > /dev/null; } 2>&1 )
  echo "$times" | awk '{ printf "%.2f", $1 + $2 }'
}

# best_cpu_seconds COMMAND...: the least of five runs' processor seconds.
best_cpu_seconds() {
  local best="" s
  for _ in 1 2 3 4 5; do
    s=$(cpu_seconds "$@")
    if [ -z "$best" ] || [ "$(echo "$s < $best" | bc -l)" = 1 ]; then best=$s; fi
  done
  echo "$best"
}

# rate COUNT SECONDS: soundings per second.
rate() {
  echo "$1 / $2" | bc -l | xargs printf "%.0f"
}

soundings=$(grep -c '^    254' "$work/year.txt")
rm -rf "$work/svg" && mkdir -p "$work/svg"
pin=()
if command -v taskset > /dev/null; then pin=(taskset -c 0); fi
line() {
  printf "%-30s %10s %8s %12s\n" "$1" "$2" "$3" "$(rate "$2" "$3")"
}
printf "%-30s %10s %8s %12s\n" "run" "soundings" "seconds" "per second"
line "HTML page (goal < 5 s)" "$soundings" \
  "$(seconds "$wxplot" --input "$work/year.txt" --html "$work/year.html")"
line "indices (CSV)" "$soundings" "$(best_cpu_seconds "${pin[@]}" "$wxplot" --input "$work/year.txt" --indices)"
line "indices, ten years (CSV)" "$((10 * soundings))" \
  "$(best_cpu_seconds "${pin[@]}" "$wxplot" --input "$work/decade.txt" --indices)"
line "SVG files" "$soundings" \
  "$(seconds "$wxplot" --input "$work/year.txt" --output "$work/svg")"
echo "page: $(du -k "$work/year.html" | cut -f1) KB"
