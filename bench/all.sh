#!/usr/bin/env bash
# Every benchmark in one run, for the README's figures: the Google Benchmark programs one after
# the other, the opening of a 1 GiB saved trace (written into the build folder and removed), the
# series of 1, 8 and 32 controllers programmed in one run of tq310-cli (bench/series.sh), then
# the whole program beside the peer terminal (bench/whole_program.sh --peer,
# which needs what it lists). Figures of one machine at one time, to compare with each other.
#
#   bench/all.sh [--build DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
if [ "${1:-}" = "--build" ]; then
  build="$2"
fi
echo "benchmarks, $(date -u +%Y-%m-%d) on $(nproc) cores ($(uname -m)), load $(cut -d' ' -f1-3 /proc/loadavg)"
for program in params sim files link trace; do
  "$build/bench/bench_$program" --benchmark_min_time=0.2
done
"$build/bench/trace_file_memory" 1024 "$build"
"$here/bench/series.sh" --build "$build"
"$here/bench/whole_program.sh" --peer --build "$build"
