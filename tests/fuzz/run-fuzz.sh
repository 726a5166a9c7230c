#!/usr/bin/env bash
# Builds a libFuzzer target of the preset "fuzz" (clang, libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs it for the given
# number of seconds (default 60) on a working copy of its seed corpus.
# Further arguments go to libFuzzer (e.g. -fork=2 for two processes).
#
#   run-fuzz.sh [settings|gif] [SECONDS] [libFuzzer options...]
#
# settings (the default): the settings storage, seeded from tests/fuzz/corpus.
# gif: the start-up picture's decoder, seeded from the picture itself.
#
# The working corpus, grown from run to run and merged down to the inputs
# that add coverage, lies in build/fuzz/work/TARGET/corpus; inputs that break
# a check or crash go to build/fuzz/work/TARGET/findings/, the whole log to
# build/fuzz/work/TARGET/last-run.log. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/../.."

target=settings
case "${1:-}" in settings|gif) target=$1; shift ;; esac
seconds="${1:-60}"
shift $(( $# > 0 ? 1 : 0 ))

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${target}_fuzzer"

work=build/fuzz/work/$target
mkdir -p "$work/corpus" "$work/findings"
options=()
if [ "$target" = settings ]; then
  cp tests/fuzz/corpus/* "$work/corpus/"
  options+=(-dict=tests/fuzz/settings.dict)
else
  cp resources/StartPicture.gif "$work/corpus/"
fi
log="$work/last-run.log"
fuzzer=build/fuzz/tests/fuzz/${target}_fuzzer

echo "== Fuzzing the $target target for ${seconds} s (corpus: $(ls "$work/corpus" | wc -l) inputs)"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  "${options[@]}" -artifact_prefix="$work/findings/" \
  "$@" "$work/corpus" >"$log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^Done [0-9]+ runs|^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" || true
grep -E '^#[0-9]+: cov:' "$log" | tail -n 1 || true  # the last line of -fork=N
if [ "$status" -ne 0 ]; then
  echo "== FINDING (exit status $status); end of $log:"
  tail -n 60 "$log"
  echo "== Inputs kept in $work/findings/:"
  ls -l "$work/findings/"
  exit 1
fi
echo "== No findings"

# Keeps the working corpus to the inputs that still add coverage.
rm -rf "$work/merged" && mkdir "$work/merged"
"$fuzzer" -merge=1 "$work/merged" "$work/corpus" >"$work/merge.log" 2>&1
rm -rf "$work/corpus" && mv "$work/merged" "$work/corpus"
echo "== Working corpus: $(ls "$work/corpus" | wc -l) inputs"
