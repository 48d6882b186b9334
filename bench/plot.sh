#!/usr/bin/env bash
# wxplot benchmark: a station-year (730 soundings at 00 and 12 UTC, about 70 levels each, made up
# here as a KVT file) into one HTML page, then the same soundings as indices only and as SVG files.
# Prints soundings, seconds and the page's size; the goal for the page is under 5 s.
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

soundings=$(grep -c '^    254' "$work/year.txt")
rm -rf "$work/svg" && mkdir -p "$work/svg"
printf "%-28s %10s %8s\n" "run" "soundings" "seconds"
printf "%-28s %10s %8s\n" "HTML page (goal < 5 s)" "$soundings" \
  "$(seconds "$wxplot" --input "$work/year.txt" --html "$work/year.html")"
printf "%-28s %10s %8s\n" "indices (CSV)" "$soundings" \
  "$(seconds "$wxplot" --input "$work/year.txt" --indices)"
printf "%-28s %10s %8s\n" "SVG files" "$soundings" \
  "$(seconds "$wxplot" --input "$work/year.txt" --output "$work/svg")"
echo "page: $(du -k "$work/year.html" | cut -f1) KB"
