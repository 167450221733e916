#!/usr/bin/env bash
# Usage: scripts/test.sh [--quick | FOLDER] [CTEST-ARGS...]
# Builds tq310-test and its simulator, then runs every test (the end-to-end ones on pseudo-terminals
# too). --quick builds and runs only the tests labelled unit and window (no pseudo-terminal, no X
# server): the loop to run after each change. FOLDER (params, link, app, fuzz, ...) builds and runs
# the tests of tests/FOLDER (or the fuzz replays).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
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
# The programs those tests run: every word of their commands that names a file of the build tree.
mapfile -t targets < <(ctest -N -V -L "$labels" | sed -n 's/^[0-9]*: Test command: //p' | tr ' ' '\n' |
  grep "^$build/" | xargs -r -n1 basename | sort -u)
[ ${#targets[@]} -gt 0 ] || { echo "no tests labelled $labels" >&2; exit 2; }
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -L "$labels" "$@"
