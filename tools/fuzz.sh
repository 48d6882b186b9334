#!/usr/bin/env bash
# Runs one fuzz target under libFuzzer for a while:
#
#   tools/fuzz.sh TARGET SECONDS [libFuzzer options ...]
#
# TARGET is a fuzz target of fuzz/ (decoder, drivers, catalogue, keyword_help, dialogue,
# history_help, and the importers igra2, wyoming and temp, with or without the suffix _fuzzer). The script configures a clang build with
# the fuzz targets as libFuzzer programs (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build/fuzz, builds the target and runs it for SECONDS on its committed corpus
# fuzz/corpus/TARGET. New inputs go to build/fuzz/corpus/TARGET, never into the repository;
# an input that crashes is written to build/fuzz/artifacts/TARGET/. Exits with the fuzzer's
# status (0 when nothing was found).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 2 || ! $2 =~ ^[0-9]+$ ]]; then
  echo "usage: tools/fuzz.sh TARGET SECONDS [libFuzzer options ...]" >&2
  exit 2
fi
target=${1%_fuzzer}_fuzzer
seconds=$2
shift 2
if [[ ! -f fuzz/$target.cpp ]]; then
  echo "tools/fuzz.sh: no fuzz target $target (see fuzz/*_fuzzer.cpp)" >&2
  exit 2
fi

root=$(pwd)
build=$root/build/fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWXFETCH_FUZZ=ON >/dev/null
cmake --build "$build" --target "$target" -j2

# Absolute paths: a target may change its working directory.
scratch=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$scratch" "$artifacts"
# The drivers target's mutator makes station-year files of real size (hundreds of KB).
defaults=()
[[ $target == drivers_fuzzer ]] && defaults=(-max_len=1048576)
# The first corpus directory receives the new inputs.
exec "$build/fuzz/$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "${defaults[@]}" "$@" \
  "$scratch" "$root/fuzz/corpus/$target" </dev/null
