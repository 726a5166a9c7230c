#!/usr/bin/env bash
# Hunts races: runs chosen tests of a build many times while busy loops keep
# every core loaded, and tells how often each failed and where. A test that
# fails here once is a fault to find, in the test or in the program; the
# test command itself still runs each test once.
#
#   tests/repeat.sh [-n TIMES] [-b BUILD_DIR] [--quiet-machine] TEST...
#
# TEST is a ctest name of the build (`ctest --preset windows -N` lists
# them); BUILD_DIR defaults to build/windows, which ./test.sh has built.
# Windows tests run under Wine on a private virtual display, as the test
# command runs them. Each run's output is kept in BUILD_DIR/repeat/; the
# summary gives, per test, the failures and the lines that failed.
# Exits 1 when any run failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
times=30
build=$root/build/windows
load=1
tests=()
while [ $# -gt 0 ]; do
  case "$1" in
    -n) times=$2; shift 2 ;;
    -b) build=$(cd "$2" && pwd); shift 2 ;;
    --quiet-machine) load=0; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) tests+=("$1"); shift ;;
  esac
done
if [ ${#tests[@]} -eq 0 ]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit 2
fi

logs=$build/repeat
rm -rf "$logs"
mkdir -p "$logs"

busy=()
stop_load() { for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done; }
if [ "$load" = 1 ]; then
  for _ in $(seq "$(nproc)"); do
    (while :; do :; done) &
    busy+=($!)
  done
fi

if [ -f "$build/wine-run.sh" ] && [ -z "${DISPLAY:-}" ]; then
  . "$root/tools/virtual-display.sh"
  use_virtual_display_for_wine "$build"
  trap 'stop_load; wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
else
  trap stop_load EXIT
fi

declare -A failures
for ((i = 1; i <= times; i++)); do
  for t in "${tests[@]}"; do
    log=$logs/$t-$i.log
    if (cd "$build" && ctest -R "^$t\$" --output-on-failure >"$log" 2>&1) && grep -q '100% tests passed' "$log"; then
      rm -f "$log"
    else
      failures[$t]=$((${failures[$t]:-0} + 1))
      echo "run $i of $t failed: $log"
    fi
  done
done

failed=0
echo
echo "== $times runs each$([ "$load" = 1 ] && echo ", $(nproc) busy loops beside them")"
for t in "${tests[@]}"; do
  n=${failures[$t]:-0}
  echo "$t: $n of $times failed"
  [ "$n" -gt 0 ] || continue
  failed=1
  # The failing lines, with how often each came.
  cat "$logs/$t"-*.log | tr -d '\r' |
    grep -E -A3 ': Failure$|\[  FAILED  \] [A-Za-z]|DIFFERENT:|Unhandled|\*\*\*(Failed|Timeout|Exception)' |
    grep -v -E '^--$' | sed 's/([0-9]* ms)$//' | sort | uniq -c | sort -rn | head -40
done
exit "$failed"
