#!/usr/bin/env bash
# End-to-end request benchmark. Makes a benchmark archive with the archive builder (100 generated
# stations over 1999, soundings at 00 and 12 UTC every day), runs whole-archive requests through
# wxfetch with piped replies and prints, for each: soundings, level lines, seconds, levels/s, peak
# memory, and the ratio to the copy limit measured in the same run (reading the archive's bytes
# with cat to /dev/null plus writing the request's output bytes to a new file with cat).
#
#   bench/requests.sh [BUILD_DIRECTORY]     (default: build/default, built beforehand)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
mkdir -p "$build/bench"
work=$(realpath "$build/bench")
wxfetch=$(realpath "$build/wxfetch")
wxsample=$(realpath "$build/tools/wxsample")

# make_archive NAME STATIONS MONTHS: a benchmark archive and its support files under $work/NAME.
make_archive() {
  local dir=$work/$1
  if [ ! -f "$dir/made" ]; then
    rm -rf "$dir" && mkdir -p "$dir/support"
    cp data/sample/support/tefahelp.txt "$dir/support/"
    "$wxsample" --bench "$2" "$3" "$dir/archive" "$dir/support" > "$dir/made"
  fi
  cat "$dir/made"
}

# seconds COMMAND...: wall-clock seconds of a command.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# best_of PREPARE COMMAND...: the least wall-clock seconds of five runs of a command, each after
# the command PREPARE (untimed) and after the page cache has written back what earlier runs
# wrote: the machine's other work and that write-back make single runs noisy.
best_of() {
  local prepare=$1 best="" t
  shift
  for _ in 1 2 3 4 5; do
    $prepare
    sync
    t=$(seconds "$@")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

# The output folder of the current request, emptied before each run.
out=""
empty_out() { rm -rf "$out" && mkdir -p "$out"; }
no_preparation() { :; }
remove_copy() { rm -f "$work/copy"; }

# request DIR REPLIES: one run of wxfetch on the archive in DIR, in the output folder.
request() {
  (cd "$out" && printf "$2" | /usr/bin/time -f "%M" -o "$work/memory" \
     "$wxfetch" "$1/archive" "$1/support" > /dev/null) || true
}

# run NAME ARCHIVE LEVELS REPLIES [screen]: a request and its figures.
run() {
  local name=$1 dir=$work/$2 levels=$3 replies=$4 screen=${5:-}
  local elapsed memory soundings lines bytes
  out=$work/out-$name
  elapsed=$(best_of empty_out request "$dir" "$replies")
  memory=$(tail -1 "$work/memory")
  if [ -n "$screen" ]; then
    # The screen's text went to /dev/null: it is the synoptic request's text.
    out=$work/out-synoptic
  fi
  bytes=$(cat "$out"/* | wc -c)
  soundings=$(cat "$out"/* | grep -c -E '^    254 |TTAA' || true)
  lines=$(cat "$out"/* | wc -l)
  # The copy limit: read the archive's bytes, write this request's output bytes to a new file.
  local read_seconds write_seconds limit
  read_seconds=$(best_of no_preparation sh -c "cat $dir/archive/*/* > /dev/null")
  write_seconds=$(best_of remove_copy sh -c "cat $out/* > $work/copy")
  remove_copy
  limit=$(echo "$read_seconds + $write_seconds" | bc -l)
  printf "%-24s %9s %11s %8.2f %12.0f %8s KB %6.2f   (copy limit %.2f s)\n" \
    "$name" "$soundings" "$lines" "$elapsed" "$(echo "$levels / $elapsed" | bc -l)" \
    "$memory" "$(echo "$elapsed / $limit" | bc -l)" "$limit"
}

echo "== archives"
made_a=$(make_archive year 100 12)
echo "$made_a"
made_b=$(make_archive wide 1500 1)
echo "$made_b"
levels_a=$(echo "$made_a" | sed -E 's/.* soundings, ([0-9]+) levels.*/\1/')
levels_b=$(echo "$made_b" | sed -E 's/.* soundings, ([0-9]+) levels.*/\1/')

echo "== requests (levels/s counts the archive's levels)"
printf "%-24s %9s %11s %8s %12s %11s %6s\n" request soundings "out lines" seconds levels/s \
  "peak mem" ratio
# Replies: general offer, dates, hours, access 3 (global), format, [100 mb, levels, wind],
# sort, location, [directory, structure], continue N, more N.
run synoptic year "$levels_a" '\n1999010100\n1999123123\n0\n3\n0\nY\n0\n0\n0\n1\n.\n0\nN\nN\n'
run climatological year "$levels_a" '\n1999010100\n1999123123\n0\n3\n0\nY\n0\n0\n1\n1\n.\n0\nN\nN\n'
run faa604-per-station year "$levels_a" '\n1999010100\n1999123123\n0\n3\n1\n0\n1\n1\n.\n1\nN\nN\n'
run screen year "$levels_a" '\n1999010100\n1999123123\n0\n3\n0\nY\n0\n0\n0\n0\nc\nN\nN\n' screen
# More stations than the open-file limit: the files past it are read through a shared stream.
(ulimit -n 1024 && run synoptic-1500-stations wide "$levels_b" \
  '\n1999010100\n1999013123\n0\n3\n0\nY\n0\n0\n0\n1\n.\n0\nN\nN\n')
