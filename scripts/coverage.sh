#!/usr/bin/env bash
# Usage: scripts/coverage.sh [--report | CTEST-ARGS...]
# Builds everything with g++'s coverage instrumentation (in build-coverage/, unoptimised), runs the
# test suite (or the part that CTEST-ARGS choose, e.g. -L unit), and prints line and branch coverage
# of tq310core, the logic library, per folder and in total.
# Branches the compiler adds for exceptions are left out, since no test can take them. --report
# prints the figures of the last run again without building or testing.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" --coverage
build="${COVERAGE_BUILD_DIR:-$here/build-coverage}"
if [ "${1:-}" != --report ]; then
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="--coverage" -DCMAKE_EXE_LINKER_FLAGS="--coverage" \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
find "$build" -name '*.gcda' -delete
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j"$(nproc)" "$@" >"$build/coverage-ctest.log" 2>&1) ||
  { tail -30 "$build/coverage-ctest.log" >&2; echo "tests failed; coverage of what ran:" >&2; }
fi

# Every object's counts are read, since an inline function of the core runs in whichever
# program's copy the linker kept; the sources of the other libraries and programs (the windows,
# app/, cli/, tq310-sim's front end) and their headers are left out.
excludes=(--exclude 'tests/' --exclude 'fuzz/' --exclude 'app/' --exclude 'cli/' --exclude 'ui/' --exclude "${build#"$here"/}/")
while read -r source; do
  [ -f "$here/$source.cpp" ] && excludes+=(--exclude "$source\\.(cpp|h)$")
done < <(cd "$build" && find . -name '*.gcno' ! -path './CMakeFiles/tq310core.dir/*' | sed -E 's|\.(cpp\|cc)\.gcno$||' |
  while read -r object; do
    # <folder>/CMakeFiles/<target>.dir/<path>: the source <folder>/<path>, where __ stands for ..
    folder="${object%%/CMakeFiles/*}"
    path="${object#*/CMakeFiles/*.dir/}"
    realpath -m --relative-to=. "$folder/${path//__/..}"
  done | sort -u)
summary="$build/coverage.json"
(cd "$here" && gcovr --root . --exclude-throw-branches --exclude-unreachable-branches "${excludes[@]}" \
  --json-summary "$summary" "$build")
python3 - "$summary" <<'EOF'
import json, sys
folders = {}
for f in json.load(open(sys.argv[1]))["files"]:
    folder = f["filename"].split("/")[0] if "/" in f["filename"] else "."
    t = folders.setdefault(folder, [0, 0, 0, 0])
    for i, key in enumerate(("line_covered", "line_total", "branch_covered", "branch_total")):
        t[i] += f[key]
def pct(a, b):
    return f"{100.0 * a / b:5.1f} %" if b else "    -  "
print(f"{'tq310core':12} {'lines':>16} {'line %':>8} {'branches':>16} {'branch %':>8}")
total = [0, 0, 0, 0]
for folder in sorted(folders):
    t = folders[folder]
    total = [a + b for a, b in zip(total, t)]
    print(f"{folder + '/':12} {t[0]:>7} of {t[1]:<5} {pct(t[0], t[1])} {t[2]:>7} of {t[3]:<5} {pct(t[2], t[3])}")
print(f"{'all':12} {total[0]:>7} of {total[1]:<5} {pct(total[0], total[1])} {total[2]:>7} of {total[3]:<5} {pct(total[2], total[3])}")
EOF
