#!/usr/bin/env bash
# Usage: scripts/fuzz.sh [SECONDS [TARGET...]]
# Builds the fuzz targets with clang and libFuzzer under the address and undefined-behaviour
# sanitizers (in build-fuzz/) and runs each one (or the ones named) for SECONDS (30 when not
# given), one after the other; with FUZZ_RUNS=N a target also stops after N executions. Prints,
# per target, the executions, the seconds, the executions per second, the size of its corpus and
# its findings; fails when there is a finding.
#
# Each target's corpus grows in build-fuzz/corpus/<target>, starting from the seeds kept in
# fuzz/<target>/corpus. A finding is saved as fuzz/<target>/regressions/<kind>-<hash>: commit it
# with the fix, and the normal test run (fuzz_replay_<target>) replays it from then on.
# Replay one input by hand: build-fuzz/fuzz/fuzz_<target> <file>.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
shift || true
"$here/scripts/setup.sh" --fuzz
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"

# Target and the libFuzzer options it needs beyond the common ones.
targets=(
  "param_file -max_len=70000"   # long enough for a line over the 64 KiB cap
  "editor -max_len=600"          # the working copy and some 60 edits
  "controller -dict=$here/fuzz/controller/controller.dict"
  "port_digits"
  "receive_engine"
  "telnet"
)

if [ $# -gt 0 ]; then
  chosen=()
  for t in "${targets[@]}"; do
    for want in "$@"; do [ "${t%% *}" = "$want" ] && chosen+=("$t"); done
  done
  [ ${#chosen[@]} -eq $# ] || { echo "fuzz targets: ${targets[*]%% *}" >&2; exit 2; }
  targets=("${chosen[@]}")
fi
runs_option=""
[ -n "${FUZZ_RUNS:-}" ] && runs_option="-runs=$FUZZ_RUNS"

cmake -S "$here" -B "$build" -DTQ_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
names=()
for t in "${targets[@]}"; do names+=("fuzz_${t%% *}"); done
cmake --build "$build" -j"$(nproc)" --target "${names[@]}" >/dev/null

# A small quarantine: the targets free little memory per input, and cycling through the default
# 256 MB costs more time in page faults than the fuzzing itself.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
status=0
printf '%-16s %12s %8s %9s %8s %9s\n' target executions seconds 'exec/s' corpus findings
for t in "${targets[@]}"; do
  name="${t%% *}"
  options=""
  [ "$name" != "$t" ] && options="${t#* }"
  corpus="$build/corpus/$name"
  regressions="$here/fuzz/$name/regressions"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$regressions" "$(dirname "$log")"
  before=$(find "$regressions" -type f | wc -l)
  start=$(date +%s)
  # shellcheck disable=SC2086
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$regressions/" $runs_option $options "$corpus" "$here/fuzz/$name/corpus" >"$log" 2>&1 || true
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs="${runs:-0}"
  findings=$(( $(find "$regressions" -type f | wc -l) - before ))
  printf '%-16s %12s %8s %9s %8s %9s\n' "$name" "$runs" "$elapsed" "$(( runs / (elapsed > 0 ? elapsed : 1) ))" \
    "$(find "$corpus" -type f | wc -l)" "$findings"
  if [ "$findings" -ne 0 ] || ! grep -q '^Done [0-9]* runs' "$log"; then
    status=1
    echo "--- $name: see $log" >&2
    grep -m1 -A30 -E '^==[0-9]+==|runtime error|property does not hold|deadly signal' "$log" >&2 || tail -30 "$log" >&2
  fi
done
exit $status
