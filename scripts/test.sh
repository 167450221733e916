#!/usr/bin/env bash
# Usage: scripts/test.sh [--quick | FOLDER] [CTEST-ARGS...]
# Builds tq310-test and its simulator, then runs every test (the end-to-end ones on pseudo-terminals
# too). --quick builds and runs only the tests labelled unit and window (no pseudo-terminal, no X
# server): the loop to run after each change. FOLDER (params, link, app, fuzz, ...) builds and runs
# the tests of tests/FOLDER (or the fuzz replays).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/check-layers.sh"
build="${BUILD_DIR:-$here/build}"
labels=""
case "${1:-}" in
  --quick) labels="^(unit|window)$"; shift ;;
  -*|"") ;;
  *) [ -d "$here/tests/$1" ] || [ "$1" = fuzz ] || { echo "no test folder: $1" >&2; exit 2; }
     labels="^$1$"; shift ;;
esac
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cd "$build"
if [ -z "$labels" ]; then
  cmake --build "$build" -j"$(nproc)"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
  # The unplug trial's counts, when it ran.
  grep -h "unplugs, .* recovered" Testing/Temporary/LastTest.log || true
  exit 0
fi
# tests_<label> builds the programs of the tests with that label (cmake/tq_add_test.cmake).
if [ "$labels" = "^(unit|window)$" ]; then targets=(tests_unit tests_window); else targets=("tests_${labels:1:-1}"); fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -L "$labels" "$@"
