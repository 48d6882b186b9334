#!/usr/bin/env bash
# Builds wxfetch and the sample archive (nothing else) and starts the program on them:
#
#   tools/start.sh [PAGE_LENGTH]
#
# Installs the compiler and CMake first when the machine lacks them. Says what it does, one line
# per step; the build shows "building N of M" with the file being compiled, and a failed
# configuration or build shows its errors. The build uses as many jobs as there are processors;
# its whole output is kept in build/default/start-build.log.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/install-missing.sh

targets=(wxfetch sample_archive)
jobs=$(nproc 2>/dev/null || echo 2)
log=build/default/start-build.log
# The lines of the build's output that are steps: a compile, a link, the sample archive.
step_pattern='Building CXX object|Linking CXX|Writing the sample archive'
# Lines of make's own bookkeeping, not shown.
quiet_pattern='^\[ *[0-9]+%\] Built target|^Scanning dependencies|^Consolidate compiler'

say() { echo "start.sh: $*" >&2; }

# The progress line of one step of the build's output: what is compiled, linked or written.
describe_step() {
  local line=${1#*] }
  case $line in
    "Building CXX object "*)
      local object=${line#Building CXX object }
      local folder=${object%%CMakeFiles/*}
      object=${object#*.dir/}
      echo "compiling $folder${object%.o}" ;;
    "Linking CXX "*) echo "linking ${line##* }" ;;
    *) echo "writing the sample archive" ;;
  esac
}

# Reads the build's output: a step becomes "building N of M: ...", kept on one line on a
# terminal; the compiler's warnings and errors are passed on as they come.
show_progress() {
  local total=$1 done=0 line open=0
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    if [[ $line =~ $step_pattern ]]; then
      done=$((done + 1))
      [ "$done" -gt "$total" ] && total=$done
      if [ -t 2 ]; then
        printf '\rstart.sh: building %d of %d: %s\033[K' "$done" "$total" \
          "$(describe_step "$line")" >&2
        open=1
      else
        say "building $done of $total: $(describe_step "$line")"
      fi
    elif [[ ! $line =~ $quiet_pattern ]]; then
      [ "$open" -eq 1 ] && echo >&2 && open=0
      printf '%s\n' "$line" >&2
    fi
  done
  [ "$open" -eq 1 ] && echo >&2
  return 0
}

say "checking for the compiler, make and CMake"
install_missing cmake g++ make

say "configuring build/default"
mkdir -p build/default
if ! cmake --preset default >"$log" 2>&1; then
  cat "$log" >&2
  say "the configuration failed; its output is above"
  exit 1
fi

# The steps still to do, from a dry run of the same build; when the dry run stops at a library
# not made yet (a build from scratch), every step of the targets and of the libraries they need,
# from the makefiles CMake wrote.
steps_to_do() {
  local dry
  if dry=$(cmake --build --preset default --target "${targets[@]}" -- -n 2>/dev/null); then
    grep -cE "$step_pattern" <<<"$dry" || true
    return
  fi
  local dirs=(CMakeFiles/wxfetch.dir tools/CMakeFiles/sample_archive.dir) seen=" " dir count=0
  while [ ${#dirs[@]} -gt 0 ]; do
    dir=${dirs[0]}
    dirs=("${dirs[@]:1}")
    [[ $seen == *" $dir "* ]] && continue
    seen+="$dir "
    count=$((count + $(grep -cE "$step_pattern" "build/default/$dir/build.make" || true)))
    mapfile -t -O ${#dirs[@]} dirs < <(sed -n "s|^$dir/all: \(.*\)/all\$|\1|p" \
      build/default/CMakeFiles/Makefile2)
  done
  echo "$count"
}
total=$(steps_to_do 2>/dev/null || echo 0)
if [ "$total" -eq 0 ]; then
  say "building: wxfetch and the sample archive are up to date"
else
  say "building wxfetch and the sample archive: $total steps, $jobs jobs"
fi
set +e
cmake --build --preset default -j "$jobs" --target "${targets[@]}" 2>&1 | show_progress "$total"
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ne 0 ]; then
  say "the build failed (status $status); its errors are above, its whole output in $log"
  exit 1
fi

say "starting build/default/wxfetch on the sample archive"
exec build/default/wxfetch build/default/sample/archive data/sample/support "$@"
