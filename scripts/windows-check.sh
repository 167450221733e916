#!/usr/bin/env bash
# The Windows check (see cmake/tq_windows_check.cmake): every C++ source meant for Windows is
# compiled for Windows with the mingw-w64 cross compiler, syntax only, and every source in the
# tree is either checked or on the POSIX-only list. Tests, benchmarks and fuzzers run on the
# build machine only and are not checked. Usage: scripts/windows-check.sh [build folder]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${BUILD_DIR:-$here/build}}"
cmake -S "$here" -B "$build" >/dev/null
if ! grep -q '^TQ_MINGW_CXX:FILEPATH=/' "$build/CMakeCache.txt"; then
  echo "windows-check: x86_64-w64-mingw32-g++-posix not found (scripts/setup.sh --ship installs it)" >&2
  exit 1
fi
cmake --build "$build" --target windows_check -j"$(nproc)"

lists="$build/windows_check"
unlisted=$(cd "$here" && git ls-files '*.cpp' ':!tests/' ':!bench/' ':!fuzz/' ':!cmake/posix_probe.cpp' \
  | sort | comm -23 - <(sort -u "$lists/checked.txt" "$lists/posix_only.txt"))
if [ -n "$unlisted" ]; then
  echo "windows-check: these sources are neither checked for Windows nor listed as POSIX-only:" >&2
  echo "$unlisted" >&2
  echo "(tq_windows_check(<target>) or tq_posix_only(<target>) in the target's CMakeLists.txt)" >&2
  exit 1
fi
echo "windows-check: $(wc -l <"$lists/checked.txt") sources compile for Windows;" \
  "POSIX only: $(sort "$lists/posix_only.txt" | tr '\n' ' ')"
