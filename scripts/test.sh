#!/usr/bin/env bash
# Builds tq310-test and its simulator, then runs every test (the end-to-end ones on pseudo-terminals too).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/check-layers.sh"
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
# The unplug trial's counts, when it ran.
grep -h "unplugs, .* recovered" Testing/Temporary/LastTest.log || true
